#include "link/rfc2217_transport.h"

#include <bit>

using namespace telnet;

namespace {
TelnetOptions clientOptions() {
    return TelnetOptions({kComPortOption, kBinary}, {kBinary});
}
} // namespace

Rfc2217Transport::Rfc2217Transport(NetworkAddress address, QObject* parent)
    : TcpTransport(std::move(address), parent), options_(clientOptions()) {
    grace_.setSingleShot(true);
    connect(&grace_, &QTimer::timeout, this, &Rfc2217Transport::giveUpOptional);
    clock_.start();
    connect(&probe_, &QTimer::timeout, this, &Rfc2217Transport::probeRoundTrip);
    connect(this, &Transport::opened, this, [this] {
        announced_ = roundTripMs().value_or(0);
        probe_.start(kRoundTripProbeMs);
        // The settings' answers may include the server's time to set its line (tens of ms
        // for a baud rate): safe for a wait, but the question measures the network alone, so
        // it is asked soon. Not at once: a server that closes as the line opens would find a
        // question in flight and end in a reset rather than the close it made.
        QTimer::singleShot(kRoundTripProbeMs / 5, this, &Rfc2217Transport::probeRoundTrip);
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
    sendRaw(rfc2217::encode({rfc2217::Command::SetBaudRate, QByteArray(4, '\0'), {}, false}));
}

void Rfc2217Transport::answered(rfc2217::Command command) {
    // While the line is set up, any answer answers the settings sent; later, only the question.
    if (state() == State::Open && command != rfc2217::Command::SetBaudRate)
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
    options_ = clientOptions();
    requests_.clear();
    serverSaid_.clear();
    outgoing_.clear();
    settingsSent_ = false;
    tracedNegotiations_ = 0;
    untracedNegotiations_ = 0;
    untracedAnswers_ = 0;
    grace_.stop();
    roundTrip_ = RoundTripMeter();
    emit note(QStringLiteral("connected; negotiating the line"));
    const QByteArray start = options_.start();
    for (qsizetype i = 0; i + 2 < start.size(); i += 3)
        emit note(describeNegotiation("sent", quint8(start[i + 1]), quint8(start[i + 2])));
    // The settings follow at once rather than a round trip later: the server reads the stream
    // in order, so it has taken up the option (or refused it, and then the port is refused
    // anyway) before it reads them. On a distant network that is a round trip saved per port.
    sendSettings();
    sendRaw(start + std::exchange(outgoing_, {}));
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
            subnegotiation(item);
            break;
        case TelnetItem::Kind::Command:
            break; // NOP, BRK, GA...: nothing for a reader's line
        }
    }
    if (state() == State::Closed)
        return;
    if (!outgoing_.isEmpty())
        sendRaw(std::exchange(outgoing_, {}));
}

void Rfc2217Transport::negotiation(quint8 command, quint8 option) {
    const bool traced = tracedNegotiations_ < kTracedNegotiations;
    if (traced) {
        ++tracedNegotiations_;
        emit note(describeNegotiation("received", command, option));
    }
    const QByteArray answer = options_.receive(command, option);
    if (!answer.isEmpty()) {
        if (traced)
            emit note(describeNegotiation("sent", quint8(answer[1]), quint8(answer[2])));
        else
            ++untracedAnswers_;
        outgoing_ += answer;
    }
    // Beyond the first ones, a line at each doubling: a flood costs the trace a few lines.
    if (!traced && std::has_single_bit(quint64(++untracedNegotiations_)))
        emit note(QStringLiteral("telnet received %1 more negotiations and answered %2 of them "
                                 "(not traced one by one)")
                      .arg(untracedNegotiations_)
                      .arg(untracedAnswers_));
    if (state() != State::Negotiating)
        return;
    if (options_.refused(kComPortOption)) {
        failOpening(QStringLiteral("line settings refused: the server does not offer RFC 2217 "
                                   "(COM-PORT-OPTION)"));
        return;
    }
    if (options_.refused(kBinary)) {
        failOpening(QStringLiteral("line settings refused: the server will not carry binary data"));
        return;
    }
    if (options_.localEnabled(kComPortOption) && !settingsSent_)
        sendSettings();
    checkSettled();
}

void Rfc2217Transport::sendSettings() {
    settingsSent_ = true;
    requests_.clear();
    for (const rfc2217::Request& request : rfc2217::lineRequests(kReaderLine)) {
        requests_.append({request});
        emit note(QStringLiteral("rfc2217 sent: %1 %2")
                      .arg(rfc2217::commandName(quint8(request.command)), request.what));
        outgoing_ += rfc2217::encode(request);
    }
    roundTrip_.requestSent(nowMs()); // they go out at the end of this turn
}

void Rfc2217Transport::subnegotiation(const TelnetItem& item) {
    if (item.option != kComPortOption || item.bytes.isEmpty())
        return;
    const auto answer = static_cast<quint8>(item.bytes.at(0));
    if (answer < rfc2217::kServerReplyOffset)
        return;
    const auto command = rfc2217::Command(answer - rfc2217::kServerReplyOffset);
    const QByteArray value = item.bytes.mid(1);
    // Line and modem state notifications are taken and not needed.
    if (command == rfc2217::Command::NotifyLineState ||
        command == rfc2217::Command::NotifyModemState)
        return;
    answered(command);
    if (state() != State::Negotiating)
        return; // a late answer: the line is already set
    // The request this answers: the one whose value it can be, else the first one open for
    // that command, so that an answer no request can have is named rather than waited past.
    Pending* pending = nullptr;
    for (const bool strict : {true, false}) {
        for (Pending& candidate : requests_) {
            if (candidate.answered || candidate.request.command != command)
                continue;
            if (!strict ||
                (!item.cut && rfc2217::answerBelongsTo(candidate.request, command, value))) {
                pending = &candidate;
                break;
            }
        }
        if (pending)
            break;
    }
    if (!pending)
        return; // an answer nobody asked for
    pending->answered = true;
    const rfc2217::Request& request = pending->request;
    const QString said = item.cut ? QStringLiteral("%1 with more than %2 bytes")
                                        .arg(rfc2217::commandName(quint8(command)))
                                        .arg(TelnetDecoder::kMaxSubnegotiation)
                                  : rfc2217::describeValue(command, value);
    emit note(QStringLiteral("rfc2217 received: %1").arg(said));
    if (item.cut || value != request.value) {
        if (!request.required) {
            emit note(
                QStringLiteral("the server answered %1 when asked for %2").arg(said, request.what));
        } else {
            failOpening(
                QStringLiteral("line settings refused: asked for %1, the server answered %2")
                    .arg(request.what, said));
            return;
        }
    }
    checkSettled();
}

void Rfc2217Transport::checkSettled() {
    if (state() != State::Negotiating || !settingsSent_ || !options_.localEnabled(kComPortOption))
        return;
    bool optionalOpen = false;
    for (const Pending& pending : std::as_const(requests_)) {
        if (!pending.answered && pending.request.required)
            return;
        optionalOpen = optionalOpen || !pending.answered;
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
    for (const Pending& pending : std::as_const(requests_)) {
        if (!pending.answered)
            missing << pending.request.what;
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
