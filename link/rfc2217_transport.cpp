#include "link/rfc2217_transport.h"

#include <QtEndian>

using namespace telnet;

namespace {
QByteArray oneByte(quint8 value) {
    return QByteArray(1, char(value));
}

QByteArray baudRate(quint32 rate) {
    QByteArray value(4, '\0');
    qToBigEndian(rate, value.data());
    return value;
}

// An answer's value in words, for the reason a port is refused.
QString describeValue(quint8 command, const QByteArray& value) {
    if (command == comport::SetBaudRate && value.size() == 4)
        return QStringLiteral("%1 baud").arg(qFromBigEndian<quint32>(value.constData()));
    if (value.size() != 1)
        return QStringLiteral("%1 bytes").arg(value.size());
    const auto v = static_cast<quint8>(value.at(0));
    switch (command) {
    case comport::SetDataSize:
        return QStringLiteral("%1 data bits").arg(v);
    case comport::SetParity: {
        static const char* const names[] = {"?", "no", "odd", "even", "mark", "space"};
        return QStringLiteral("%1 parity").arg(QLatin1String(v < 6 ? names[v] : "unknown"));
    }
    case comport::SetStopSize: {
        static const char* const names[] = {"? stop bits", "1 stop bit", "2 stop bits",
                                            "1.5 stop bits"};
        return v < 4 ? QLatin1String(names[v]) : QStringLiteral("stop size %1").arg(v);
    }
    case comport::SetControl: {
        static const char* const names[] = {"flow control state",
                                            "no flow control",
                                            "XON/XOFF flow control",
                                            "hardware flow control",
                                            "BREAK state",
                                            "BREAK on",
                                            "BREAK off",
                                            "DTR state",
                                            "DTR on",
                                            "DTR off",
                                            "RTS state",
                                            "RTS on",
                                            "RTS off"};
        return v < 13 ? QLatin1String(names[v]) : QStringLiteral("control %1").arg(v);
    }
    case comport::PurgeData: {
        static const char* const names[] = {"purge nothing", "purge the receive buffer",
                                            "purge the transmit buffer", "purge both buffers"};
        return v < 4 ? QLatin1String(names[v]) : QStringLiteral("purge %1").arg(v);
    }
    default:
        return QStringLiteral("value %1").arg(v);
    }
}
} // namespace

Rfc2217Transport::Rfc2217Transport(NetworkAddress address, QObject* parent)
    : TcpTransport(std::move(address), parent), options_({kComPort, kBinary}, {kBinary}) {
    grace_.setSingleShot(true);
    connect(&grace_, &QTimer::timeout, this, &Rfc2217Transport::giveUpOptional);
    clock_.start();
    connect(&probe_, &QTimer::timeout, this, &Rfc2217Transport::probeRoundTrip);
    connect(this, &Transport::opened, this, [this] {
        announced_ = roundTripMs().value_or(0);
        probe_.start(kRoundTripProbeMs);
        // The settings' answers may include the server's time to set its line (tens of ms
        // for a baud rate): safe for a wait, but the question measures the network alone.
        probeRoundTrip();
    });
}

std::optional<double> Rfc2217Transport::roundTripMs() const {
    if (const auto measured = roundTrip_.latestMs())
        return measured;
    return TcpTransport::roundTripMs();
}

void Rfc2217Transport::probeRoundTrip() {
    if (state() != State::Open) {
        probe_.stop();
        return;
    }
    if (roundTrip_.awaiting(nowMs()))
        return;
    roundTrip_.requestSent(nowMs());
    // Asking for the baud rate (the value 0) changes nothing on the line; the server answers
    // with the rate it has.
    sendRaw(comPortCommand(comport::SetBaudRate, baudRate(0)));
}

void Rfc2217Transport::answered(quint8 command) {
    // While the line is set up, any answer answers the settings sent; later, only the question.
    if (state() == State::Open && command != comport::SetBaudRate)
        return;
    if (!roundTrip_.answerArrived(nowMs()) || state() != State::Open)
        return;
    const double now = *roundTrip_.latestMs();
    if (qAbs(now - announced_) > qMax(10.0, announced_ / 5)) {
        announced_ = now;
        emit note(QStringLiteral("now ") + describeRoundTrip(now));
    }
}

void Rfc2217Transport::connectionMade() {
    beginNegotiating();
    decoder_ = TelnetDecoder();
    options_ = TelnetOptions({kComPort, kBinary}, {kBinary});
    requests_.clear();
    serverSaid_.clear();
    settingsSent_ = false;
    grace_.stop();
    roundTrip_ = RoundTripMeter();
    emit note(QStringLiteral("connected; negotiating the line"));
    const QByteArray start = options_.start();
    for (qsizetype i = 0; i + 2 < start.size(); i += 3)
        emit note(describeNegotiation("sent", quint8(start[i + 1]), quint8(start[i + 2])));
    sendRaw(start);
    // The settings follow at once rather than a round trip later: the server reads the stream
    // in order, so it has taken up the option (or refused it, and then the port is refused
    // anyway) before it reads them. On a distant network that is a round trip saved per port.
    sendSettings();
}

void Rfc2217Transport::received(const QByteArray& bytes) {
    for (const TelnetItem& item : decoder_.feed(bytes)) {
        // A failed negotiation drops the connection: the rest is not for anyone.
        if (state() == State::Closed)
            return;
        switch (item.kind) {
        case TelnetItem::Kind::Data:
            // What arrives before the line is set up predates the purge, as on a local port;
            // a server that turns us away says why in it.
            if (state() == State::Open)
                deliver(item.bytes);
            else if (serverSaid_.size() < 200)
                serverSaid_ += item.bytes.left(200);
            break;
        case TelnetItem::Kind::Negotiation:
            negotiation(item.command, item.option);
            break;
        case TelnetItem::Kind::Subnegotiation:
            subnegotiation(item.option, item.bytes);
            break;
        case TelnetItem::Kind::Command:
            break; // NOP, BRK, GA...: nothing for a reader's line
        }
    }
}

void Rfc2217Transport::negotiation(quint8 command, quint8 option) {
    emit note(describeNegotiation("received", command, option));
    const QByteArray answer = options_.receive(command, option);
    if (!answer.isEmpty()) {
        emit note(describeNegotiation("sent", quint8(answer[1]), quint8(answer[2])));
        sendRaw(answer);
    }
    if (state() != State::Negotiating)
        return;
    if (options_.refused(kComPort)) {
        failOpening(QStringLiteral("line settings refused: the server does not offer RFC 2217 "
                                   "(COM-PORT-OPTION)"));
        return;
    }
    if (options_.refused(kBinary)) {
        failOpening(QStringLiteral("line settings refused: the server will not carry binary data"));
        return;
    }
    if (options_.localEnabled(kComPort) && !settingsSent_)
        sendSettings();
    checkSettled();
}

void Rfc2217Transport::sendSettings() {
    settingsSent_ = true;
    requests_ = {
        {comport::SetBaudRate, baudRate(9600), QStringLiteral("9600 baud"), true},
        {comport::SetDataSize, oneByte(8), QStringLiteral("8 data bits"), true},
        {comport::SetParity, oneByte(1), QStringLiteral("no parity"), true},
        {comport::SetStopSize, oneByte(1), QStringLiteral("1 stop bit"), true},
        {comport::SetControl, oneByte(1), QStringLiteral("no flow control"), true},
        {comport::SetControl, oneByte(8), QStringLiteral("DTR on"), false},
        {comport::SetControl, oneByte(11), QStringLiteral("RTS on"), false},
        {comport::PurgeData, oneByte(3), QStringLiteral("purge both buffers"), false},
    };
    QByteArray out;
    for (const Request& request : std::as_const(requests_)) {
        emit note(QStringLiteral("rfc2217 sent: set %1").arg(request.what));
        out += comPortCommand(request.command, request.value);
    }
    roundTrip_.requestSent(nowMs());
    sendRaw(out);
}

void Rfc2217Transport::subnegotiation(quint8 option, const QByteArray& payload) {
    if (option != kComPort || payload.isEmpty())
        return;
    const auto answer = static_cast<quint8>(payload.at(0));
    if (answer < comport::kServerOffset)
        return;
    const quint8 command = answer - comport::kServerOffset;
    const QByteArray value = payload.mid(1);
    // Line and modem state notifications are taken and not needed.
    if (command == comport::NotifyLineState || command == comport::NotifyModemState)
        return;
    answered(command);
    Request* request = nullptr;
    for (Request& candidate : requests_) {
        if (candidate.answered || candidate.command != command)
            continue;
        // The three SET-CONTROL requests each have their own group of values.
        if (command == comport::SetControl && value.size() == 1 &&
            (quint8(value.at(0)) - 1) / 3 != (quint8(candidate.value.at(0)) - 1) / 3 &&
            quint8(value.at(0)) != 0)
            continue;
        request = &candidate;
        break;
    }
    if (!request || state() != State::Negotiating)
        return; // an answer nobody asked for, or a late one: the line is already set
    request->answered = true;
    const QString said = describeValue(command, value);
    emit note(QStringLiteral("rfc2217 received: %1").arg(said));
    if (value != request->value) {
        if (!request->required) {
            emit note(QStringLiteral("the server answered %1 when asked for %2")
                          .arg(said, request->what));
        } else {
            failOpening(
                QStringLiteral("line settings refused: asked for %1, the server answered %2")
                    .arg(request->what, said));
            return;
        }
    }
    checkSettled();
}

void Rfc2217Transport::checkSettled() {
    if (state() != State::Negotiating || !settingsSent_ || !options_.localEnabled(kComPort))
        return;
    bool optionalOpen = false;
    for (const Request& request : std::as_const(requests_)) {
        if (!request.answered && request.required)
            return;
        optionalOpen = optionalOpen || !request.answered;
    }
    if (!optionalOpen) {
        grace_.stop();
        finishOpening();
    } else if (!grace_.isActive()) {
        grace_.start(kOptionalAnswerGraceMs);
    }
}

void Rfc2217Transport::giveUpOptional() {
    if (state() != State::Negotiating)
        return;
    QStringList missing;
    for (const Request& request : std::as_const(requests_)) {
        if (!request.answered)
            missing << request.what;
    }
    emit note(QStringLiteral("the server did not acknowledge %1 (no modem lines there?); "
                             "going on without")
                  .arg(missing.join(QStringLiteral(", "))));
    finishOpening();
}

QString Rfc2217Transport::serverSaid() const {
    QString text;
    for (const char c : serverSaid_) {
        if (c >= ' ' && c < 127)
            text += QLatin1Char(c);
        else if (!text.endsWith(u' '))
            text += u' ';
    }
    return text.trimmed();
}
