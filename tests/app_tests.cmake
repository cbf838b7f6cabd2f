# The main window driven in-process against the simulated reader.
ksr_add_test(tst_command_line
  SOURCES unit/tst_command_line.cpp
  LIBS ksr_cli
  TIMEOUT 30)

ksr_add_test(tst_main_window
  SOURCES e2e/tst_main_window.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 120)

ksr_add_test(tst_verification
  SOURCES e2e/tst_verification.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 180)
target_compile_definitions(tst_verification PRIVATE KSR_UTILITY_PATH="$<TARGET_FILE:ksr-utility>")
add_dependencies(tst_verification ksr-utility)
