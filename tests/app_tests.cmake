# The main window driven in-process against the simulated reader.
ksr_add_test(tst_command_line
  LABEL unit
  SOURCES unit/tst_command_line.cpp
  LIBS ksr_app
  TIMEOUT 30)

ksr_add_test(tst_main_window
  LABEL e2e
  SOURCES e2e/tst_main_window.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 120)

ksr_add_test(tst_verification
  LABEL e2e
  SOURCES e2e/tst_verification.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 180)
if(TARGET tst_verification)
  target_compile_definitions(tst_verification PRIVATE KSR_UTILITY_PATH="$<TARGET_FILE:ksr-utility>")
  add_dependencies(tst_verification ksr-utility)
endif()
