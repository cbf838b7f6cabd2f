#pragma once

#include <QtGlobal>

// How the line to a reader is set, in one place for every transport that sets a line: the local
// serial port and the far end of an RFC 2217 device server.
struct LineSettings {
    enum class Parity { None, Odd, Even, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };
    enum class FlowControl { None, XonXoff, Hardware };

    quint32 baudRate;
    quint8 dataBits;
    Parity parity;
    StopBits stopBits;
    FlowControl flowControl;
    bool dtr; // asserted while the port is open
    bool rts;
};

// The reader's line: 9600 baud, 8 data bits, no parity, 1 stop bit ("9600,N,8,1"), no flow
// control, DTR and RTS on.
inline constexpr LineSettings kReaderLine{9600,
                                          8,
                                          LineSettings::Parity::None,
                                          LineSettings::StopBits::One,
                                          LineSettings::FlowControl::None,
                                          true,
                                          true};
