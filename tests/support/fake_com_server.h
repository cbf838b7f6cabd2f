#pragma once

#include "link/com_port_option.h"
#include "link/telnet_codec.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include <functional>

#include <sys/socket.h>

// A scripted serial device server on loopback, for what the real one never does: stay silent,
// set another value, send byte 255, flood the client with requests, stop reading, reset.
class FakeComServer : public QObject {
public:
    enum class Behaviour {
        Silent,
        Agreeable,
        Answers4800,
        AnswersControl200, // SET-CONTROL answered with a value no request can have
        AnswersOverlong,   // SET-BAUDRATE answered with 100 bytes
        FloodsThenAgrees,  // option requests for every option, many times over, first
        FloodsForever,     // option requests and nothing else, as long as the client is there
    };
    // Option requests sent by the flooding servers before they agree.
    int floodRequests = 200000;
    // The reader behind the server, when there is one: reader data in, its replies out.
    std::function<QByteArray(const QByteArray&)> reader;

    explicit FakeComServer(Behaviour behaviour, const QHostAddress& on = QHostAddress::LocalHost)
        : behaviour_(behaviour) {
        server_.listen(on);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            client_ = socket;
            decoder_ = TelnetDecoder();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                if (socket == client_)
                    onBytes(socket->readAll());
            });
            if (behaviour_ == Behaviour::FloodsThenAgrees)
                client_->write(requestFlood(floodRequests));
            if (behaviour_ == Behaviour::FloodsForever) {
                connect(client_, &QTcpSocket::bytesWritten, this, [this] {
                    if (client_->bytesToWrite() < 65536)
                        client_->write(requestFlood(20000));
                });
                client_->write(requestFlood(20000));
            }
        });
    }

    // IAC WILL x / IAC DO x for every option but the two a client asks for, over and over.
    static QByteArray requestFlood(int requests) {
        QByteArray out;
        out.reserve(requests * 3);
        for (int i = 0; i < requests; ++i) {
            const quint8 option = quint8(2 + (i / 2) % 40);
            out += telnetNegotiation(i % 2 ? telnet::DO : telnet::WILL,
                                     option == telnet::kComPortOption ? 1 : option);
        }
        return out;
    }

    quint16 port() const { return server_.serverPort(); }
    QTcpSocket* client() const { return client_; }
    // Reader data the client sent, after unescaping.
    QByteArray data() const { return data_; }
    // The subnegotiation commands the client sent.
    QList<int> commands() const { return commands_; }
    // The negotiations the client sent.
    int negotiations() const { return negotiations_; }
    void send(const QByteArray& wire) { client_->write(wire); }

    // Reads nothing more, with as little room as the system gives, and floods the client with
    // requests that each change an option's state and so each need an answer.
    void stopReadingAndToggle(int pairs) {
        disconnect(client_, &QTcpSocket::readyRead, this, nullptr);
        client_->setReadBufferSize(1);
        client_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 1);
        QByteArray toggles;
        for (int i = 0; i < pairs; ++i)
            toggles += telnetNegotiation(telnet::DONT, telnet::kComPortOption) +
                       telnetNegotiation(telnet::DO, telnet::kComPortOption);
        client_->write(toggles);
    }
    // Ends the connection with a reset (RST) rather than a close.
    void reset() {
        const linger hard{1, 0};
        ::setsockopt(int(client_->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        client_->abort();
    }

private:
    void onBytes(const QByteArray& bytes) {
        for (const TelnetItem& item : decoder_.feed(bytes)) {
            if (behaviour_ == Behaviour::Silent)
                continue;
            if (item.kind == TelnetItem::Kind::Data) {
                data_ += item.bytes;
                if (reader)
                    client_->write(telnetEscape(reader(item.bytes)));
            }
            if (item.kind == TelnetItem::Kind::Negotiation)
                ++negotiations_;
            if (behaviour_ == Behaviour::FloodsForever)
                continue;
            if (item.kind == TelnetItem::Kind::Negotiation && item.command == telnet::WILL)
                client_->write(telnetNegotiation(telnet::DO, item.option));
            if (item.kind == TelnetItem::Kind::Negotiation && item.command == telnet::DO)
                client_->write(telnetNegotiation(telnet::WILL, item.option));
            if (item.kind != TelnetItem::Kind::Subnegotiation || item.bytes.isEmpty())
                continue;
            const quint8 command = quint8(item.bytes.at(0));
            commands_ << command;
            client_->write(comPortCommand(command + rfc2217::kServerReplyOffset,
                                          answer(rfc2217::Command(command), item.bytes.mid(1))));
        }
    }

    QByteArray answer(rfc2217::Command command, const QByteArray& asked) const {
        using rfc2217::Command;
        if (command == Command::SetBaudRate && behaviour_ == Behaviour::Answers4800)
            return QByteArray::fromHex("000012c0");
        if (command == Command::SetBaudRate && behaviour_ == Behaviour::AnswersOverlong)
            return QByteArray(100, '\x01');
        if (command == Command::SetControl && behaviour_ == Behaviour::AnswersControl200)
            return QByteArray(1, char(200));
        return asked;
    }

    Behaviour behaviour_;
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    TelnetDecoder decoder_;
    QByteArray data_;
    QList<int> commands_;
    int negotiations_ = 0;
};
