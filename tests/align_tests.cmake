# Alignment window tests.
ksr_add_test(tst_align_report
  LABEL unit
  SOURCES unit/tst_align_report.cpp
  LIBS ksr_align
  TIMEOUT 30)

ksr_add_test(tst_align_cycle
  LABEL unit
  SOURCES unit/tst_align_cycle.cpp
  LIBS ksr_align
  TIMEOUT 30)

ksr_add_test(tst_align_display
  LABEL unit
  SOURCES unit/tst_align_display.cpp
  LIBS ksr_align
  TIMEOUT 60)
# The same picture at every display scale.
ksr_add_scaled_runs(tst_align_display FACTORS 1.25 1.5 2)

# The window against the simulated reader, through a real serial port.
ksr_add_test(tst_align_window
  LABEL e2e
  SOURCES e2e/tst_align_window.cpp
  LIBS ksr_app ksr_simulator
  COST 8
  TIMEOUT 180)

# The simulated reader's alignment target, read back by the measurement.
ksr_add_test(tst_align_target
  LABEL unit
  SOURCES unit/tst_align_target.cpp
  LIBS ksr_align ksr_reader_model
  TIMEOUT 30)
