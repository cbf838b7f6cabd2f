#pragma once

#include "link/line_settings.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The Telnet COM port option (RFC 2217) by the RFC's own names: the commands a client sends
// inside IAC SB COM-PORT-OPTION ... IAC SE, their values, and how the line a reader needs is
// asked for. Pure: bytes and words, nothing of sockets.
namespace rfc2217 {

enum class Command : quint8 {
    Signature = 0,
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    FlowControlSuspend = 8,
    FlowControlResume = 9,
    SetLineStateMask = 10,
    SetModemStateMask = 11,
    PurgeData = 12,
};
// A server answers a command with the command's number plus this.
constexpr quint8 kServerReplyOffset = 100;

enum class Parity : quint8 { Request = 0, None = 1, Odd = 2, Even = 3, Mark = 4, Space = 5 };
enum class StopSize : quint8 { Request = 0, One = 1, Two = 2, OneAndHalf = 3 };

enum class Control : quint8 {
    RequestFlowControl = 0,
    NoFlowControl = 1,
    XonXoffFlowControl = 2,
    HardwareFlowControl = 3,
    RequestBreak = 4,
    BreakOn = 5,
    BreakOff = 6,
    RequestDtr = 7,
    DtrOn = 8,
    DtrOff = 9,
    RequestRts = 10,
    RtsOn = 11,
    RtsOff = 12,
    RequestInboundFlowControl = 13,
    NoInboundFlowControl = 14,
    XonXoffInboundFlowControl = 15,
    HardwareInboundFlowControl = 16,
    DcdFlowControl = 17,
    DtrFlowControl = 18,
    DsrFlowControl = 19,
};
// What a SET-CONTROL value is about: a server answers each request with a value of its group.
enum class ControlGroup { FlowControl, Break, Dtr, Rts, InboundFlowControl, Unknown };
ControlGroup controlGroup(quint8 value);

enum class Purge : quint8 { ReceiveBuffer = 1, TransmitBuffer = 2, BothBuffers = 3 };

// "SET-BAUDRATE", or "command 42" for a number the RFC does not name.
QString commandName(quint8 command);
// A value as the operator reads it: "9600 baud", "no parity", "DTR on", "SET-CONTROL value 200".
QString describeValue(Command command, const QByteArray& value);

// One setting asked of the server.
struct Request {
    Command command;
    QByteArray value;
    QString what;  // "9600 baud"
    bool required; // false: a server may leave it unanswered (no modem lines there)
};

// The requests that set the far line as `line` says, in the order they are sent, and then
// purge both of its buffers.
QList<Request> lineRequests(const LineSettings& line);
// IAC SB COM-PORT-OPTION command value IAC SE.
QByteArray encode(const Request& request);

// Whether a server's answer with `value` can be the one to `request` (same command; for
// SET-CONTROL, a value of the request's group).
bool answerBelongsTo(const Request& request, Command command, const QByteArray& value);

} // namespace rfc2217
