#include "link/com_port_option.h"

#include "link/telnet_codec.h"

#include <QtEndian>

namespace rfc2217 {

ControlGroup controlGroup(quint8 value) {
    switch (Control(value)) {
    case Control::RequestFlowControl:
    case Control::NoFlowControl:
    case Control::XonXoffFlowControl:
    case Control::HardwareFlowControl:
    case Control::DcdFlowControl:
    case Control::DsrFlowControl:
        return ControlGroup::FlowControl;
    case Control::RequestBreak:
    case Control::BreakOn:
    case Control::BreakOff:
        return ControlGroup::Break;
    case Control::RequestDtr:
    case Control::DtrOn:
    case Control::DtrOff:
        return ControlGroup::Dtr;
    case Control::RequestRts:
    case Control::RtsOn:
    case Control::RtsOff:
        return ControlGroup::Rts;
    case Control::RequestInboundFlowControl:
    case Control::NoInboundFlowControl:
    case Control::XonXoffInboundFlowControl:
    case Control::HardwareInboundFlowControl:
    case Control::DtrFlowControl:
        return ControlGroup::InboundFlowControl;
    }
    return ControlGroup::Unknown;
}

QString commandName(quint8 command) {
    switch (Command(command)) {
    case Command::Signature:
        return QStringLiteral("SIGNATURE");
    case Command::SetBaudRate:
        return QStringLiteral("SET-BAUDRATE");
    case Command::SetDataSize:
        return QStringLiteral("SET-DATASIZE");
    case Command::SetParity:
        return QStringLiteral("SET-PARITY");
    case Command::SetStopSize:
        return QStringLiteral("SET-STOPSIZE");
    case Command::SetControl:
        return QStringLiteral("SET-CONTROL");
    case Command::NotifyLineState:
        return QStringLiteral("NOTIFY-LINESTATE");
    case Command::NotifyModemState:
        return QStringLiteral("NOTIFY-MODEMSTATE");
    case Command::FlowControlSuspend:
        return QStringLiteral("FLOWCONTROL-SUSPEND");
    case Command::FlowControlResume:
        return QStringLiteral("FLOWCONTROL-RESUME");
    case Command::SetLineStateMask:
        return QStringLiteral("SET-LINESTATE-MASK");
    case Command::SetModemStateMask:
        return QStringLiteral("SET-MODEMSTATE-MASK");
    case Command::PurgeData:
        return QStringLiteral("PURGE-DATA");
    }
    return QStringLiteral("command %1").arg(command);
}

namespace {
const char* parityName(quint8 v) {
    switch (Parity(v)) {
    case Parity::None:
        return "no parity";
    case Parity::Odd:
        return "odd parity";
    case Parity::Even:
        return "even parity";
    case Parity::Mark:
        return "mark parity";
    case Parity::Space:
        return "space parity";
    case Parity::Request:
        break;
    }
    return nullptr;
}

const char* stopSizeName(quint8 v) {
    switch (StopSize(v)) {
    case StopSize::One:
        return "1 stop bit";
    case StopSize::Two:
        return "2 stop bits";
    case StopSize::OneAndHalf:
        return "1.5 stop bits";
    case StopSize::Request:
        break;
    }
    return nullptr;
}

const char* controlName(quint8 v) {
    switch (Control(v)) {
    case Control::NoFlowControl:
        return "no flow control";
    case Control::XonXoffFlowControl:
        return "XON/XOFF flow control";
    case Control::HardwareFlowControl:
        return "hardware flow control";
    case Control::DcdFlowControl:
        return "DCD flow control";
    case Control::DsrFlowControl:
        return "DSR flow control";
    case Control::BreakOn:
        return "BREAK on";
    case Control::BreakOff:
        return "BREAK off";
    case Control::DtrOn:
        return "DTR on";
    case Control::DtrOff:
        return "DTR off";
    case Control::RtsOn:
        return "RTS on";
    case Control::RtsOff:
        return "RTS off";
    case Control::NoInboundFlowControl:
        return "no inbound flow control";
    case Control::XonXoffInboundFlowControl:
        return "XON/XOFF inbound flow control";
    case Control::HardwareInboundFlowControl:
        return "hardware inbound flow control";
    case Control::DtrFlowControl:
        return "DTR flow control";
    case Control::RequestFlowControl:
    case Control::RequestBreak:
    case Control::RequestDtr:
    case Control::RequestRts:
    case Control::RequestInboundFlowControl:
        break;
    }
    return nullptr;
}

const char* purgeName(quint8 v) {
    switch (Purge(v)) {
    case Purge::ReceiveBuffer:
        return "purge the receive buffer";
    case Purge::TransmitBuffer:
        return "purge the transmit buffer";
    case Purge::BothBuffers:
        return "purge both buffers";
    }
    return nullptr;
}
} // namespace

QString describeValue(Command command, const QByteArray& value) {
    if (command == Command::SetBaudRate && value.size() == 4)
        return QStringLiteral("%1 baud").arg(qFromBigEndian<quint32>(value.constData()));
    if (command != Command::SetBaudRate && value.size() == 1) {
        const auto v = static_cast<quint8>(value.at(0));
        const char* name = nullptr;
        switch (command) {
        case Command::SetDataSize:
            if (v >= 5 && v <= 8)
                return QStringLiteral("%1 data bits").arg(v);
            break;
        case Command::SetParity:
            name = parityName(v);
            break;
        case Command::SetStopSize:
            name = stopSizeName(v);
            break;
        case Command::SetControl:
            name = controlName(v);
            break;
        case Command::PurgeData:
            name = purgeName(v);
            break;
        default:
            break;
        }
        if (name)
            return QLatin1String(name);
        return QStringLiteral("%1 value %2").arg(commandName(quint8(command))).arg(v);
    }
    return QStringLiteral("%1 with %2 bytes").arg(commandName(quint8(command))).arg(value.size());
}

namespace {
QByteArray oneByte(auto value) {
    return QByteArray(1, char(value));
}

Parity parityFor(LineSettings::Parity parity) {
    switch (parity) {
    case LineSettings::Parity::None:
        return Parity::None;
    case LineSettings::Parity::Odd:
        return Parity::Odd;
    case LineSettings::Parity::Even:
        return Parity::Even;
    case LineSettings::Parity::Mark:
        return Parity::Mark;
    case LineSettings::Parity::Space:
        return Parity::Space;
    }
    return Parity::None;
}

StopSize stopSizeFor(LineSettings::StopBits stopBits) {
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return StopSize::One;
    case LineSettings::StopBits::OneAndHalf:
        return StopSize::OneAndHalf;
    case LineSettings::StopBits::Two:
        return StopSize::Two;
    }
    return StopSize::One;
}

Control flowControlFor(LineSettings::FlowControl flow) {
    switch (flow) {
    case LineSettings::FlowControl::None:
        return Control::NoFlowControl;
    case LineSettings::FlowControl::XonXoff:
        return Control::XonXoffFlowControl;
    case LineSettings::FlowControl::Hardware:
        return Control::HardwareFlowControl;
    }
    return Control::NoFlowControl;
}

Request request(Command command, const QByteArray& value, bool required) {
    return {command, value, describeValue(command, value), required};
}
} // namespace

QList<Request> lineRequests(const LineSettings& line) {
    QByteArray baudRate(4, '\0');
    qToBigEndian(line.baudRate, baudRate.data());
    return {
        request(Command::SetBaudRate, baudRate, true),
        request(Command::SetDataSize, oneByte(line.dataBits), true),
        request(Command::SetParity, oneByte(parityFor(line.parity)), true),
        request(Command::SetStopSize, oneByte(stopSizeFor(line.stopBits)), true),
        request(Command::SetControl, oneByte(flowControlFor(line.flowControl)), true),
        // A server on a line without modem lines (a pseudo-terminal) leaves these unanswered.
        request(Command::SetControl, oneByte(line.dtr ? Control::DtrOn : Control::DtrOff), false),
        request(Command::SetControl, oneByte(line.rts ? Control::RtsOn : Control::RtsOff), false),
        request(Command::PurgeData, oneByte(Purge::BothBuffers), false),
    };
}

QByteArray encode(const Request& request) {
    return comPortCommand(quint8(request.command), request.value);
}

bool answerBelongsTo(const Request& request, Command command, const QByteArray& value) {
    if (request.command != command)
        return false;
    if (command != Command::SetControl)
        return true;
    return value.size() == 1 &&
           controlGroup(quint8(value.at(0))) == controlGroup(quint8(request.value.at(0)));
}

} // namespace rfc2217
