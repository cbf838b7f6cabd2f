#include "link/reader_link.h"

#include "link/line_log.h"
#include "link/round_trip.h"
#include "link/transport_factory.h"
#include "protocol/reader_command.h"

#include <QCoreApplication>
#include <QEventLoop>

ReaderLink::ReaderLink(PortMap ports, QObject* parent)
    : QObject(parent), factory_(defaultTransportFactory()), ports_(std::move(ports)) {
    tick_.setObjectName(QStringLiteral("Timer1"));
    tick_.setTimerType(Qt::PreciseTimer);
    tick_.setInterval(kTickIntervalMs);
    connect(&tick_, &QTimer::timeout, this, &ReaderLink::advanceTick);
}

ReaderLink::~ReaderLink() {
    // Our own handlers must not run on a half-destroyed link.
    if (transport_)
        transport_->disconnect(this);
}

QString ReaderLink::heldKey() const {
    return transport_ && (transport_->isOpen() || opening_) ? transport_->key() : QString();
}

bool ReaderLink::OpenCOM(const qint16& Port) {
    Transport::OpenState state = beginOpening(Port);
    if (state == Transport::OpenState::Connecting) {
        QEventLoop loop;
        connect(this, &ReaderLink::openFinished, &loop, &QEventLoop::quit);
        loop.exec();
        return isOpen();
    }
    return state == Transport::OpenState::Open;
}

void ReaderLink::openAsync(qint16 Port) {
    const Transport::OpenState state = beginOpening(Port);
    if (state != Transport::OpenState::Connecting) {
        // Told from the event loop, as a connection's outcome would be.
        QMetaObject::invokeMethod(
            this, [this, ok = state == Transport::OpenState::Open] { emit openFinished(ok); },
            Qt::QueuedConnection);
    }
}

Transport::OpenState ReaderLink::beginOpening(qint16 Port) {
    currentPort_ = Port;
    const PortAddress address = currentAddress();
    const QString device = address.text();
    if (isOpen() || opening_) {
        lastOpenError_ = {PortFailure::Busy, device, {}};
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
        return Transport::OpenState::Failed;
    }
    if (address.isEmpty()) {
        lastOpenError_ = {PortFailure::Missing, device, {}};
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
        return Transport::OpenState::Failed;
    }
    if (transport_) {
        // It may be the sender of the signal we are running in: let it go once that returns.
        transport_->disconnect(this);
        transport_.release()->deleteLater();
    }
    transport_ = factory_(address);
    connect(transport_.get(), &Transport::dataArrived, this, &ReaderLink::onDataArrived);
    connect(transport_.get(), &Transport::lost, this, &ReaderLink::onLost);
    connect(transport_.get(), &Transport::note, this, &ReaderLink::traceEvent);
    connect(transport_.get(), &Transport::opened, this, [this] { finishOpening(true); });
    connect(transport_.get(), &Transport::openFailed, this, [this](const PortError& why) {
        lastOpenError_ = why;
        finishOpening(false);
    });
    const Transport::OpenState state = transport_->open(lastOpenError_);
    switch (state) {
    case Transport::OpenState::Open:
        traceEvent(QStringLiteral("opened ") + device);
        break;
    case Transport::OpenState::Failed:
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
        break;
    case Transport::OpenState::Connecting:
        opening_ = true;
        traceEvent(QStringLiteral("connecting to ") + device);
        break;
    }
    return state;
}

void ReaderLink::finishOpening(bool ok) {
    if (!opening_)
        return;
    opening_ = false;
    if (ok)
        traceEvent(QStringLiteral("opened ") + currentAddress().text());
    else
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
    emit openFinished(ok);
}

void ReaderLink::CloseCOM() {
    if (!transport_)
        return;
    const bool wasOpen = transport_->isOpen() || opening_;
    transport_->close();
    if (opening_) {
        lastOpenError_ = {PortFailure::Other, currentAddress().text(),
                          QStringLiteral("closed while connecting")};
        finishOpening(false);
    }
    if (wasOpen)
        traceEvent(QStringLiteral("closed"));
}

bool ReaderLink::SendCommand(const QString& code) {
    if (!isOpen())
        return false;
    const QByteArray frame = frameCommand(code);
    traceData(TraceDirection::Sent, frame);
    lastSentTick_ = ticks_;
    return transport_->write(frame);
}

std::optional<double> ReaderLink::roundTripMs() const {
    return transport_ ? transport_->roundTripMs() : std::nullopt;
}

int ReaderLink::roundTripTicks() const {
    return ticksCovering(roundTripMs(), kTickIntervalMs);
}

QByteArray ReaderLink::readInput() {
    return isOpen() ? readTraced() : QByteArray();
}

void ReaderLink::discardInput() {
    if (!isOpen())
        return;
    transport_->discardInput();
    readTraced();
}

QByteArray ReaderLink::readTraced() {
    const QByteArray data = transport_->readAll();
    traceData(TraceDirection::Received, data);
    return data;
}

QString ReaderLink::portLabel() const {
    if (!portLabel_.isEmpty())
        return portLabel_;
    // Made once per port: every chunk on the line asks for it.
    if (labelCache_.isEmpty() || labelCachePort_ != currentPort_) {
        labelCache_ = currentComPort().label();
        labelCachePort_ = currentPort_;
    }
    return labelCache_;
}

void ReaderLink::keepLineLog(bool keep) {
    if (!keep)
        log_.reset();
    else if (!log_)
        log_ = std::make_unique<LineLog>();
}

void ReaderLink::traceData(TraceDirection direction, const QByteArray& bytes) {
    const bool logged = lcLink().isDebugEnabled();
    if (bytes.isEmpty() || (!trace_ && !logged && !log_))
        return;
    const double ms = traceMilliseconds();
    if (log_) {
        const auto kind =
            direction == TraceDirection::Sent ? LineEntry::Kind::Sent : LineEntry::Kind::Received;
        log_->append(LineEntry{ms, portLabel(), kind, bytes, {}});
    }
    if (!trace_ && !logged)
        return;
    const QByteArray line = traceDataLine(ms, portLabel(), direction, bytes);
    if (trace_)
        trace_->write(line);
    if (logged)
        qCDebug(lcLink).noquote() << line;
}

void ReaderLink::traceEvent(const QString& event) {
    const bool logged = lcLink().isDebugEnabled();
    if (!trace_ && !logged && !log_)
        return;
    const double ms = traceMilliseconds();
    if (log_)
        log_->append(LineEntry{ms, portLabel(), LineEntry::Kind::Event, {}, event});
    if (!trace_ && !logged)
        return;
    const QByteArray line = traceEventLine(ms, portLabel(), event);
    if (trace_)
        trace_->write(line);
    if (logged)
        qCDebug(lcLink).noquote() << line;
}

void ReaderLink::advanceTick() {
    ++ticks_;
    emit ticked();
}

void ReaderLink::tickWait(qint64 deadline) {
    if (!tick_.isActive())
        tick_.start();
    QCoreApplication::processEvents();
    if (ticks_ > deadline)
        return;
    QEventLoop loop;
    const auto connection = connect(this, &ReaderLink::ticked, &loop, [&] {
        if (ticks_ > deadline)
            loop.quit();
    });
    loop.exec();
    disconnect(connection);
}

QString ReaderLink::collectReply(const QString& code, int ticks, EarlierInput earlier) {
    tickWait(startCollecting(code, ticks, earlier));
    return stopCollecting();
}

qint64 ReaderLink::startCollecting(const QString& code, int ticks, EarlierInput earlier,
                                   bool* sent) {
    const qint64 deadline = ticks_ + replyTicks(ticks);
    replyBuffer_.clear();
    collectReply_ = true;
    const bool out = SendCommand(code);
    if (sent)
        *sent = out;
    if (earlier == EarlierInput::Discard)
        discardInput();
    return deadline;
}

QString ReaderLink::stopCollecting() {
    collectReply_ = false;
    return replyBuffer_;
}

void ReaderLink::onDataArrived() {
    if (receiver_) {
        receiver_->OnComm();
        return;
    }
    if (!isOpen())
        return;
    const QByteArray data = readTraced();
    if (collectReply_)
        appendReply(data);
}

void ReaderLink::appendReply(const QByteArray& data) {
    // Reply positions count from the buffer's start, so a runaway line loses its tail, not its
    // head.
    const qsizetype room = kReplyBufferCap - replyBuffer_.size();
    if (room <= 0)
        return;
    replyBuffer_.append(QString::fromLatin1(data.left(room)));
}

void ReaderLink::onLost(const QString& reason) {
    traceEvent(QStringLiteral("lost: ") + reason);
    emit lineLost(reason);
}
