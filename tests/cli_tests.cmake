# The commands without a window: pure parts, and the built program against simulator processes.
ksr_add_test(tst_cli_units
  LABEL unit
  SOURCES unit/tst_cli_units.cpp
  LIBS ksr_cli
  TIMEOUT 30)

ksr_add_test(tst_cli
  LABEL e2e
  SOURCES e2e/tst_cli.cpp
  LIBS ksr_cli ksr_simulator
  NEEDS ksr-utility ksr-reader-sim
  COST 45
  TIMEOUT 180)

# Each exchange as both runners play it, on an in-memory reader.
ksr_add_test(tst_exchanges
  LABEL unit
  SOURCES unit/tst_exchanges.cpp
  LIBS ksr_cli ksr_reader_model
  COST 13
  TIMEOUT 60)

# The commands on readers behind the real ser2net, on loopback.
ksr_add_test(tst_network_cli
  LABEL e2e
  SOURCES e2e/tst_network_cli.cpp
  LIBS ksr_cli ksr_simulator Qt6::Network
  NEEDS ksr-utility ksr-reader-sim
  COST 8
  TIMEOUT 120)

# The same across a slow network: a loopback proxy that holds every chunk, in front of ser2net.
ksr_add_test(tst_network_delay
  LABEL e2e
  SOURCES e2e/tst_network_delay.cpp
  LIBS ksr_link ksr_simulator Qt6::Network
  NEEDS ksr-utility ksr-reader-sim
  COST 25
  TIMEOUT 180)

# Baselines, the metrics text and the metrics file: what a plant's monitoring reads.
ksr_add_test(tst_plant_metrics
  LABEL unit
  SOURCES unit/tst_plant_metrics.cpp
  LIBS ksr_cli
  TIMEOUT 30)

# verify --expect --metrics read by the real node_exporter, on loopback.
ksr_add_test(tst_plant_monitoring
  LABEL e2e
  SOURCES e2e/tst_plant_monitoring.cpp
  LIBS ksr_cli ksr_simulator Qt6::Network
  NEEDS ksr-utility ksr-reader-sim
  TIMEOUT 120)
if(TARGET tst_plant_monitoring)
  # The package's timer service, whose commands the test plays, beside the test.
  configure_file(${CMAKE_SOURCE_DIR}/packaging/systemd/ksr-utility-verify.service
                 ${CMAKE_BINARY_DIR}/ksr-utility-verify.service COPYONLY)
endif()
