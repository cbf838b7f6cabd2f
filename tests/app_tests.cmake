# The main window driven in-process against the simulated reader.
ksr_add_test(tst_command_line
  LABEL unit
  SOURCES unit/tst_command_line.cpp
  LIBS ksr_cli
  TIMEOUT 30)

ksr_add_test(tst_main_window
  LABEL e2e
  SOURCES e2e/tst_main_window.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 120)
# Captions fit and nothing overlaps on scaled displays too.
ksr_add_scaled_runs(tst_main_window FACTORS 1.25 1.5 2 FUNCTIONS controlsFollowTheLayoutTable)

ksr_add_test(tst_verification
  LABEL e2e
  SOURCES e2e/tst_verification.cpp
  LIBS ksr_app ksr_simulator
  NEEDS ksr-utility
  COST 10
  TIMEOUT 180)

ksr_add_test(tst_port_list
  LABEL e2e
  SOURCES e2e/tst_port_list.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 60)
# The Ports dialog's captions fit on scaled displays too.
ksr_add_scaled_runs(tst_port_list FACTORS 1.25 1.5 2 FUNCTIONS portsDialogFollowsItsLayoutTable)

ksr_add_test(tst_no_display
  LABEL e2e
  SOURCES e2e/tst_no_display.cpp
  LIBS ksr_simulator
  NEEDS ksr-utility
  TIMEOUT 90)

# The main window with readers behind ser2net and a scripted server, on loopback.
ksr_add_test(tst_network_window
  LABEL e2e
  SOURCES e2e/tst_network_window.cpp
  LIBS ksr_app ksr_simulator Qt6::Network
  TIMEOUT 120)

# The Line window on the main window's link, and beside the alignment window.
ksr_add_test(tst_line_window
  LABEL e2e
  SOURCES e2e/tst_line_window.cpp
  LIBS ksr_app ksr_simulator
  COST 9
  TIMEOUT 120)
ksr_add_scaled_runs(tst_line_window FACTORS 1.25 1.5 2
                    FUNCTIONS controlsFitAndTheKeyboardReachesThem)

# The one probe: its states as one table, and the Ports dialog and the ports command on it.
ksr_add_test(tst_port_probe
  LABEL e2e
  SOURCES e2e/tst_port_probe.cpp
  LIBS ksr_app ksr_cli ksr_simulator Qt6::Network
  TIMEOUT 60)

# Every text the windows show has its German, Spanish and Chinese translation.
add_test(NAME tst_translations_complete
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DLUPDATE=${KSR_LUPDATE}
          "-DFOLDERS=${KSR_TRANSLATED_FOLDERS}" "-DLANGUAGES=${KSR_LANGUAGES}"
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/translations_check
          -P ${CMAKE_CURRENT_SOURCE_DIR}/translations_complete.cmake)
set_tests_properties(tst_translations_complete PROPERTIES LABELS unit TIMEOUT 120)

# The windows in English (C.UTF-8) and in German, Spanish and Chinese, at scale factors 1 and 2;
# the commands in English under German.
ksr_add_test(tst_language
  LABEL e2e
  SOURCES e2e/tst_language.cpp
  LIBS ksr_app ksr_simulator
  NEEDS ksr-utility ksr-reader-sim ksr_translations
  TIMEOUT 120)
ksr_add_language_runs(tst_language LANGUAGES C.UTF-8 de_DE.UTF-8 es_ES.UTF-8 zh_CN.UTF-8
                      FACTORS 1 2)
