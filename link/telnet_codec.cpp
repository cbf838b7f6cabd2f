#include "link/telnet_codec.h"

using namespace telnet;

QList<TelnetItem> TelnetDecoder::feed(const QByteArray& bytes) {
    QList<TelnetItem> items;
    QByteArray data;
    const auto flushData = [&] {
        if (!data.isEmpty()) {
            items.append({TelnetItem::Kind::Data, 0, 0, data});
            data.clear();
        }
    };
    const auto endSub = [&] {
        if (!sub_.isEmpty()) {
            flushData();
            items.append({TelnetItem::Kind::Subnegotiation, SB, quint8(sub_.at(0)), sub_.mid(1),
                          subOverflow_});
        }
        sub_.clear();
        subOverflow_ = false;
    };
    for (const char c : bytes) {
        const auto byte = static_cast<quint8>(c);
        switch (state_) {
        case State::Data:
            if (byte == IAC)
                state_ = State::Iac;
            else
                data.append(c);
            break;
        case State::Iac:
            if (byte == IAC) {
                data.append(c);
                state_ = State::Data;
            } else if (byte >= WILL) {
                command_ = byte;
                state_ = State::Option;
            } else if (byte == SB) {
                sub_.clear();
                subOverflow_ = false;
                state_ = State::Sub;
            } else {
                flushData();
                items.append({TelnetItem::Kind::Command, byte, 0, {}});
                state_ = State::Data;
            }
            break;
        case State::Option:
            flushData();
            items.append({TelnetItem::Kind::Negotiation, command_, byte, {}});
            state_ = State::Data;
            break;
        case State::Sub:
            if (byte == IAC) {
                state_ = State::SubIac;
            } else if (sub_.size() < kMaxSubnegotiation) {
                sub_.append(c);
            } else {
                subOverflow_ = true;
            }
            break;
        case State::SubIac:
            if (byte == IAC) {
                if (sub_.size() < kMaxSubnegotiation)
                    sub_.append(c);
                else
                    subOverflow_ = true;
                state_ = State::Sub;
            } else if (byte == SE) {
                endSub();
                state_ = State::Data;
            } else {
                // A command inside a subnegotiation ends it unfinished; the command counts.
                sub_.clear();
                subOverflow_ = false;
                state_ = State::Iac;
                const QList<TelnetItem> rest = feed(QByteArray(1, c));
                flushData();
                items.append(rest);
            }
            break;
        }
    }
    flushData();
    return items;
}

QByteArray telnetEscape(const QByteArray& data) {
    if (!data.contains(char(IAC)))
        return data;
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char c : data) {
        out.append(c);
        if (static_cast<quint8>(c) == IAC)
            out.append(c);
    }
    return out;
}

QByteArray comPortCommand(quint8 command, const QByteArray& value) {
    QByteArray out;
    out.append(char(IAC)).append(char(SB)).append(char(kComPortOption)).append(char(command));
    out.append(telnetEscape(value));
    out.append(char(IAC)).append(char(SE));
    return out;
}

QByteArray telnetNegotiation(quint8 command, quint8 option) {
    QByteArray out;
    out.append(char(IAC)).append(char(command)).append(char(option));
    return out;
}

namespace {
QString commandName(quint8 command) {
    switch (command) {
    case WILL:
        return QStringLiteral("WILL");
    case WONT:
        return QStringLiteral("WONT");
    case DO:
        return QStringLiteral("DO");
    case DONT:
        return QStringLiteral("DONT");
    default:
        return QString::number(command);
    }
}

QString optionName(quint8 option) {
    switch (option) {
    case kBinary:
        return QStringLiteral("BINARY");
    case kEcho:
        return QStringLiteral("ECHO");
    case kSuppressGoAhead:
        return QStringLiteral("SUPPRESS-GO-AHEAD");
    case kComPortOption:
        return QStringLiteral("COM-PORT-OPTION");
    default:
        return QStringLiteral("option %1").arg(option);
    }
}
} // namespace

QString describeNegotiation(const char* direction, quint8 command, quint8 option) {
    return QStringLiteral("telnet %1 %2 %3")
        .arg(QLatin1String(direction), commandName(command), optionName(option));
}
