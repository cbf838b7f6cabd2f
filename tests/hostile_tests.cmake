# A hostile line: floods, noise, vanishing devices, reports that cannot be written.
ksr_add_test(tst_hostile_flood
  LABEL hostile
  SOURCES e2e/tst_hostile_flood.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 180
  SERIAL)

ksr_add_test(tst_hostile_line
  LABEL hostile
  SOURCES e2e/tst_hostile_line.cpp
  LIBS ksr_app ksr_simulator
  TIMEOUT 240)

ksr_add_test(tst_hostile_outputs
  LABEL hostile
  SOURCES e2e/tst_hostile_outputs.cpp
  LIBS ksr_program Qt6::Network
  TIMEOUT 120)
if(TARGET tst_hostile_outputs)
  add_dependencies(tst_hostile_outputs ksr-utility)
endif()
