# A hostile line: floods, noise, vanishing devices, reports that cannot be written.
ksr_add_test(tst_hostile_flood
  LABEL hostile
  SOURCES e2e/tst_hostile_flood.cpp
  LIBS ksr_app ksr_simulator
  COST 10
  TIMEOUT 180
  SERIAL)

ksr_add_test(tst_hostile_line
  LABEL hostile
  SOURCES e2e/tst_hostile_line.cpp
  LIBS ksr_app ksr_simulator
  COST 18
  TIMEOUT 240)

ksr_add_test(tst_hostile_outputs
  LABEL hostile
  SOURCES e2e/tst_hostile_outputs.cpp
  LIBS ksr_program Qt6::Network
  NEEDS ksr-utility
  TIMEOUT 120)
