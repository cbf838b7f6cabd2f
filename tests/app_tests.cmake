# The main window driven in-process against the simulated reader.
ksr_add_test(tst_command_line
  SOURCES unit/tst_command_line.cpp
  LIBS ksr_cli
  TIMEOUT 30)

ksr_add_test(tst_main_window
  SOURCES e2e/tst_main_window.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 120)
# Captions fit and nothing overlaps on scaled displays too.
ksr_add_scaled_runs(tst_main_window FACTORS 1.5 2 FUNCTIONS controlsMatchTheLayoutTable)

ksr_add_test(tst_verification
  SOURCES e2e/tst_verification.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 180)
target_compile_definitions(tst_verification PRIVATE KSR_UTILITY_PATH="$<TARGET_FILE:ksr-utility>")
add_dependencies(tst_verification ksr-utility)

ksr_add_test(tst_port_list
  SOURCES e2e/tst_port_list.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 60)

ksr_add_test(tst_no_display
  SOURCES e2e/tst_no_display.cpp
  LIBS ksr_simulator
  TIMEOUT 90)
target_compile_definitions(tst_no_display PRIVATE KSR_UTILITY_PATH="$<TARGET_FILE:ksr-utility>")
add_dependencies(tst_no_display ksr-utility)
