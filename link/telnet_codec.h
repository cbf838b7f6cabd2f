#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
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

constexpr quint8 kBinary = 0;
constexpr quint8 kComPort = 44;

// COM port option commands, client to server; the server answers with the same number + 100.
namespace comport {
constexpr quint8 SetBaudRate = 1;
constexpr quint8 SetDataSize = 2;
constexpr quint8 SetParity = 3;
constexpr quint8 SetStopSize = 4;
constexpr quint8 SetControl = 5;
constexpr quint8 NotifyLineState = 6;
constexpr quint8 NotifyModemState = 7;
constexpr quint8 PurgeData = 12;
constexpr quint8 kServerOffset = 100;
} // namespace comport
} // namespace telnet

// One thing read from the stream: reader data, an option negotiation, a subnegotiation or a
// bare command (NOP, BRK, ...).
struct TelnetItem {
    enum class Kind { Data, Negotiation, Subnegotiation, Command };
    Kind kind = Kind::Data;
    quint8 command = 0; // WILL/WONT/DO/DONT, or the bare command
    quint8 option = 0;  // negotiated option, or the subnegotiation's option
    QByteArray bytes;   // data, or the subnegotiation's payload (IAC IAC undoubled)
};

// Splits the stream as it arrives, in pieces of any size.
class TelnetDecoder {
public:
    // A longer subnegotiation is a broken server: it is cut here, never grown without end.
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

// The options a client turns on (RFC 1143, without the queue: each option is asked at most once
// here). Unknown options are refused; a refusal of a refused option is not answered again, so
// the two sides never loop.
class TelnetOptions {
public:
    // `local`: what this side does (answers DO); `remote`: what it wants the server to do
    // (answers WILL).
    TelnetOptions(QSet<quint8> local, QSet<quint8> remote);

    // The opening requests: WILL for each local option, DO for each remote one.
    QByteArray start();
    // The answer to a received negotiation (may be empty).
    QByteArray receive(quint8 command, quint8 option);

    bool localEnabled(quint8 option) const { return localOn_.contains(option); }
    bool remoteEnabled(quint8 option) const { return remoteOn_.contains(option); }
    // The server said DONT/WONT to an option asked for.
    bool refused(quint8 option) const { return refused_.contains(option); }

private:
    QSet<quint8> local_, remote_;
    QSet<quint8> localOn_, remoteOn_, localAsked_, remoteAsked_, refused_;
};

// A negotiation in words for the trace: "received WILL COM-PORT-OPTION".
QString describeNegotiation(const char* direction, quint8 command, quint8 option);
