#include "link/tcp_transport.h"

#include "link/round_trip.h"
#include "link/tcp_liveness.h"

namespace {
// Why a connection could not be made, in the operator's words.
QString connectFailure(QAbstractSocket::SocketError error, const QString& detail) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused (is the server running?)");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the host name was not found");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("the host is unreachable");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("connecting timed out");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("the connection was closed by the server");
    default:
        return detail;
    }
}

QString unsentReason(qint64 unsent) {
    return QStringLiteral("the server does not read what is sent to it (%1 bytes waiting)")
        .arg(unsent);
}
} // namespace

QString lostReason(QAbstractSocket::SocketError error, const QString& detail) {
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("the connection was closed by the server");
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::NetworkError:
        // What keepalive and the unacknowledged-data bound end a connection with.
        return QStringLiteral("the device server stopped answering for %1 s (switched off, or "
                              "the network to it is down): ")
                   .arg(tcp_liveness::kUnacknowledgedMs / 1000) +
               detail;
    default:
        return QStringLiteral("the connection failed: ") + detail;
    }
}

TcpTransport::TcpTransport(NetworkAddress address, QObject* parent)
    : Transport(parent), address_(std::move(address)), socket_(this) {
    connectBound_.setSingleShot(true);
    connect(&connectBound_, &QTimer::timeout, this, &TcpTransport::onTimeout);
    socket_.setReadBufferSize(kReadSlice);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        if (state_ != State::Connecting)
            return;
        resetWatch_.watch(socket_.socketDescriptor());
        // A frame is a few bytes: out at once, not held back to be joined with the next.
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (QString why; !tcp_liveness::enable(socket_.socketDescriptor(), &why))
            emit note(QStringLiteral("a dead connection may go unnoticed: ") + why);
        connectionMade();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &TcpTransport::onReadable);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
    // A clean close by the server comes without an error on some paths.
    connect(&socket_, &QTcpSocket::disconnected, this,
            [this] { onError(QAbstractSocket::RemoteHostClosedError); });
}

TcpTransport::~TcpTransport() {
    socket_.disconnect(this);
    socket_.abort();
}

Transport::OpenState TcpTransport::open(PortError& why) {
    why = PortError{PortFailure::None, address_.text(), {}};
    if (state_ != State::Closed) {
        why.kind = PortFailure::Busy;
        return OpenState::Failed;
    }
    input_.clear();
    state_ = State::Connecting;
    emit note(QStringLiteral("connecting to %1:%2").arg(address_.host).arg(address_.port));
    connectBound_.start(address_.timeoutMs);
    deadline_.setRemainingTime(address_.timeoutMs);
    socket_.connectToHost(address_.host, address_.port);
    return OpenState::Connecting;
}

void TcpTransport::close() {
    if (state_ == State::Closed)
        return;
    drop();
}

void TcpTransport::drop() {
    if (state_ != State::Closed)
        closedRoundTrip_ = roundTripMs();
    state_ = State::Closed;
    connectBound_.stop();
    input_.clear();
    socket_.abort();
    resetWatch_.release();
}

bool TcpTransport::write(const QByteArray& bytes) {
    if (state_ != State::Open)
        return false;
    const QByteArray wire = encode(bytes);
    if (socket_.write(wire) != wire.size())
        return false;
    // write() only buffers until the event loop runs; hand the bytes to the system now.
    socket_.flush();
    return withinUnsentBound() && state_ == State::Open;
}

QByteArray TcpTransport::readAll() {
    return std::exchange(input_, {});
}

void TcpTransport::discardInput() {
    // Only what has reached us: asking the server to purge would race the reply to a command
    // that is already on its way.
    if (state_ == State::Open)
        received(socket_.readAll());
    input_.clear();
}

qint64 TcpTransport::bytesToWrite() const {
    return state_ == State::Open ? socket_.bytesToWrite() : 0;
}

void TcpTransport::connectionMade() {
    finishOpening();
}

std::optional<double> TcpTransport::roundTripMs() const {
    if (state_ == State::Closed)
        return closedRoundTrip_;
    return tcp_liveness::systemRoundTripMs(socket_.socketDescriptor());
}

void TcpTransport::received(const QByteArray& bytes) {
    if (state_ == State::Open)
        deliver(bytes);
}

void TcpTransport::deliver(const QByteArray& data) {
    if (data.isEmpty())
        return;
    input_ += data;
    emit dataArrived();
}

void TcpTransport::finishOpening() {
    connectBound_.stop();
    state_ = State::Open;
    const std::optional<double> roundTrip = roundTripMs();
    emit note(QStringLiteral("connected, ") +
              (roundTrip ? describeRoundTrip(*roundTrip) : QStringLiteral("round trip unknown")));
    emit opened();
}

void TcpTransport::failOpening(const QString& reason) {
    drop();
    emit openFailed(PortError{PortFailure::Network, address_.text(), reason});
}

void TcpTransport::sendRaw(const QByteArray& bytes) {
    socket_.write(bytes);
    socket_.flush();
    withinUnsentBound();
}

bool TcpTransport::withinUnsentBound() {
    const qint64 unsent = socket_.bytesToWrite();
    if (unsent <= kMaxUnsent)
        return true;
    if (state_ == State::Open) {
        drop();
        emit lost(unsentReason(unsent));
    } else if (state_ != State::Closed) {
        failOpening(unsentReason(unsent));
    }
    return false;
}

void TcpTransport::onReadable() {
    if (state_ == State::Closed)
        return;
    // The bound holds however fast the server talks: its timer may not have had a turn yet.
    if (state_ != State::Open && deadline_.hasExpired()) {
        onTimeout();
        return;
    }
    received(socket_.read(kReadSlice));
}

void TcpTransport::onError(QAbstractSocket::SocketError error) {
    switch (state_) {
    case State::Closed:
        return;
    case State::Connecting:
    case State::Negotiating: {
        QString reason = connectFailure(error, socket_.errorString());
        if (error == QAbstractSocket::RemoteHostClosedError && resetWatch_.wasReset())
            reason = QStringLiteral("the connection was reset by the server");
        if (const QString said = serverSaid(); !said.isEmpty())
            reason += QStringLiteral(" (it said \"%1\")").arg(said);
        failOpening(reason);
        return;
    }
    case State::Open: {
        const QString reason = error != QAbstractSocket::RemoteHostClosedError
                                   ? lostReason(error, socket_.errorString())
                               : resetWatch_.wasReset()
                                   ? QStringLiteral("the connection was reset by the server")
                                   : QStringLiteral("the connection was closed by the server");
        // Closed before telling anyone: whatever the socket says next finds nobody listening.
        drop();
        emit lost(reason);
        return;
    }
    }
}

void TcpTransport::onTimeout() {
    if (state_ == State::Connecting)
        failOpening(
            QStringLiteral("connecting timed out after %1 s").arg(address_.timeoutMs / 1000.0));
    else if (state_ == State::Negotiating)
        failOpening(QStringLiteral("the server did not set up the line within %1 s (timed out)")
                        .arg(address_.timeoutMs / 1000.0));
}
