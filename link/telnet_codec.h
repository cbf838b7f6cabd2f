#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Telnet (RFC 854, 855) as a serial device server speaks it, with the COM port option of
// RFC 2217. Pure: bytes in, data and commands out; nothing here knows of sockets or time.
namespace telnet {
constexpr quint8 SE = 240;
constexpr quint8 NOP = 241;
constexpr quint8 SB = 250;
constexpr quint8 WILL = 251;
constexpr quint8 WONT = 252;
constexpr quint8 DO = 253;
constexpr quint8 DONT = 254;
constexpr quint8 IAC = 255;

// Options by their registered names.
constexpr quint8 kBinary = 0;
constexpr quint8 kEcho = 1;
constexpr quint8 kSuppressGoAhead = 3;
constexpr quint8 kComPortOption = 44; // RFC 2217
} // namespace telnet

// One thing read from the stream: reader data, an option negotiation, a subnegotiation or a
// bare command (NOP, BRK, ...).
struct TelnetItem {
    enum class Kind { Data, Negotiation, Subnegotiation, Command };
    Kind kind = Kind::Data;
    quint8 command = 0; // WILL/WONT/DO/DONT, or the bare command
    quint8 option = 0;  // negotiated option, or the subnegotiation's option
    QByteArray bytes;   // data, or the subnegotiation's payload (IAC IAC undoubled)
    bool cut = false;   // a subnegotiation longer than the decoder keeps: `bytes` is its start
};

// Splits the stream as it arrives, in pieces of any size.
class TelnetDecoder {
public:
    // A longer subnegotiation is a broken server: it is cut here, never grown without end, and
    // handed on marked as cut so that what it answered can be named.
    static constexpr qsizetype kMaxSubnegotiation = 64;

    QList<TelnetItem> feed(const QByteArray& bytes);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    State state_ = State::Data;
    quint8 command_ = 0;
    QByteArray sub_;
    bool subOverflow_ = false;
};

// Reader data ready for the stream: every 255 doubled.
QByteArray telnetEscape(const QByteArray& data);
// IAC SB COM-PORT-OPTION command value IAC SE, the value escaped.
QByteArray comPortCommand(quint8 command, const QByteArray& value);
// A negotiation, three bytes.
QByteArray telnetNegotiation(quint8 command, quint8 option);

// A negotiation in words for the trace: "received WILL COM-PORT-OPTION".
QString describeNegotiation(const char* direction, quint8 command, quint8 option);
