# Reader configuration tests: defaults, save, identification, symbology dialog.

# Pure parts: the dialog's selection, the identification verdicts, the simulated reader's settings.
ksr_add_test(tst_symbols_selection
  LABEL unit
  SOURCES unit/tst_symbols_selection.cpp
  LIBS ksr_symbols
  TIMEOUT 30)

ksr_add_test(tst_identify_verdict
  LABEL unit
  SOURCES unit/tst_identify_verdict.cpp
  LIBS ksr_reader_ops
  TIMEOUT 30)

ksr_add_test(tst_config_reader_model
  LABEL unit
  SOURCES unit/tst_config_reader_model.cpp
  LIBS ksr_reader_model ksr_symbols
  TIMEOUT 30)

# End to end through the simulated reader on a real serial port.
ksr_add_test(tst_config_operations
  LABEL e2e
  SOURCES e2e/tst_config_operations.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 120)

ksr_add_test(tst_identify_symbology
  LABEL e2e
  SOURCES e2e/tst_identify_symbology.cpp
  LIBS ksr_app ksr_simulator
  COST 6
  TIMEOUT 120)

ksr_add_test(tst_symbols_dialog
  LABEL e2e
  SOURCES e2e/tst_symbols_dialog.cpp
  LIBS ksr_app ksr_simulator
  COST 13
  TIMEOUT 180)
ksr_add_scaled_runs(tst_symbols_dialog FACTORS 1.5 2 FUNCTIONS controlsFollowTheLayoutTable)
