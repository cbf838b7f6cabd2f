# The simulated reader: its protocol model, and the pty seen through a real serial port.
ksr_add_test(tst_reader_model
  LABEL unit
  SOURCES unit/tst_reader_model.cpp
  LIBS ksr_reader_model
  TIMEOUT 30)

ksr_add_test(tst_pty_reader
  LABEL e2e
  SOURCES e2e/tst_pty_reader.cpp
  LIBS ksr_simulator Qt6::SerialPort
  TIMEOUT 60
  SERIAL)
