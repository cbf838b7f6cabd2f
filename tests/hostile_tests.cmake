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
