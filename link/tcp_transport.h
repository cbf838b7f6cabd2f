#pragma once

#include "link/port_address.h"
#include "link/reset_watch.h"
#include "link/transport.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

// Why an open connection ended, in the operator's words.
QString lostReason(QAbstractSocket::SocketError error, const QString& detail);

// A reader behind a serial device server over plain TCP ("socket://"): the bytes go through as
// they are, the line settings are the server's. Connecting never blocks: open() answers
// Connecting and the outcome follows from the event loop, within the address's time-out.
class TcpTransport : public Transport {
    Q_OBJECT
public:
    // At most this much is taken from the server per turn of the event loop, so a server that
    // floods cannot hold up the other ports or the connect bound.
    static constexpr qint64 kReadSlice = 16 * 1024;
    // Bytes waiting for a server that does not read them; past this the port is dropped.
    static constexpr qint64 kMaxUnsent = 256 * 1024;

    explicit TcpTransport(NetworkAddress address, QObject* parent = nullptr);
    ~TcpTransport() override;

    OpenState open(PortError& why) override;
    void close() override;
    bool isOpen() const override { return state_ == State::Open; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    void discardInput() override;
    qint64 bytesAvailable() const override { return input_.size(); }
    qint64 bytesToWrite() const override;
    QString key() const override { return address_.text(); }
    // Raw TCP has nothing to ask the server: the system's own measure of the connection.
    std::optional<double> roundTripMs() const override;

protected:
    enum class State { Closed, Connecting, Negotiating, Open };

    // The connection is up: a raw line is open at once; RFC 2217 negotiates first.
    virtual void connectionMade();
    // Bytes from the server, as they came.
    virtual void received(const QByteArray& bytes);
    // Reader bytes as they go on the wire.
    virtual QByteArray encode(const QByteArray& bytes) const { return bytes; }
    // What the server sent before it closed a connection that never opened ("port in use").
    virtual QString serverSaid() const { return {}; }

    // For the negotiation: the line is ready, or it will not be (the socket is dropped).
    void finishOpening();
    void failOpening(const QString& reason);
    void sendRaw(const QByteArray& bytes);
    void deliver(const QByteArray& data);
    void beginNegotiating() { state_ = State::Negotiating; }

    const NetworkAddress& address() const { return address_; }
    State state() const { return state_; }

private:
    void onReadable();
    void onError(QAbstractSocket::SocketError error);
    void onTimeout();
    void drop();
    // False when the server has left too much unread: the port has then been dropped.
    bool withinUnsentBound();

    NetworkAddress address_;
    QTcpSocket socket_;
    QTimer connectBound_;
    QDeadlineTimer deadline_; // the same bound, checked as the server's bytes are taken
    ResetWatch resetWatch_;
    State state_ = State::Closed;
    QByteArray input_;
    std::optional<double> closedRoundTrip_; // the last measure, once the socket is gone
};
