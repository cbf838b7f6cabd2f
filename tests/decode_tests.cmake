# Decode test: the report and the collect cycle alone, then the window.
ksr_add_test(tst_decode_report
  LABEL unit
  SOURCES unit/tst_decode_report.cpp
  LIBS ksr_decode_measure
  TIMEOUT 30)

# The window against the simulated reader, through a real serial port.
ksr_add_test(tst_decode_window
  LABEL e2e
  SOURCES e2e/tst_decode_window.cpp
  LIBS ksr_app ksr_simulator
  COST 8
  TIMEOUT 240)
ksr_add_scaled_runs(tst_decode_window FACTORS 1.25 1.5 2
  FUNCTIONS theReadersReportIsShownAsItCame scaleAndCaptionsFit)

ksr_add_test(tst_decode_scan
  LABEL unit
  SOURCES unit/tst_decode_scan.cpp
  LIBS ksr_decode_measure
  TIMEOUT 30)
