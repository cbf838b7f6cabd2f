# The serial link: conversions, port names, and the line through a real serial port.
ksr_add_test(tst_link_units
  LABEL unit
  SOURCES unit/tst_link_units.cpp
  LIBS ksr_link
  TIMEOUT 30)

ksr_add_test(tst_reader_link
  LABEL e2e
  SOURCES e2e/tst_reader_link.cpp
  LIBS ksr_link ksr_simulator
  TIMEOUT 90
  SERIAL)

# Reading the reader's replies and writing the report: pure functions.
ksr_add_test(tst_verification_reply
  LABEL unit
  SOURCES unit/tst_verification_reply.cpp
  LIBS ksr_reader_ops
  TIMEOUT 30)

ksr_add_test(tst_verification_judgement
  LABEL unit
  SOURCES unit/tst_verification_judgement.cpp
  LIBS ksr_reader_ops ksr_reader_model
  TIMEOUT 30)

# COM numbers for the devices found, and the file that remembers them.
ksr_add_test(tst_port_numbering
  LABEL unit
  SOURCES unit/tst_port_numbering.cpp
  LIBS ksr_ports
  TIMEOUT 30)

# Network addresses and the Telnet codec: pure.
ksr_add_test(tst_network_units
  LABEL unit
  SOURCES unit/tst_network_units.cpp
  LIBS ksr_transport
  TIMEOUT 30)

# The network transports against the real ser2net and scripted servers, on loopback only.
ksr_add_test(tst_network_transport
  LABEL e2e
  SOURCES e2e/tst_network_transport.cpp
  LIBS ksr_link ksr_simulator Qt6::Network
  TIMEOUT 90)

# The Line window's log: its cap and its two forms of an entry.
ksr_add_test(tst_line_log
  LABEL unit
  SOURCES unit/tst_line_log.cpp
  LIBS ksr_link
  TIMEOUT 30)
