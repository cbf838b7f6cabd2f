#pragma once

#include "link/telnet_codec.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

// A scripted serial device server on loopback, for what the real one never does: stay silent,
// set another baud rate, send byte 255.
class FakeComServer : public QObject {
public:
    enum class Behaviour { Silent, Agreeable, Answers4800 };

    explicit FakeComServer(Behaviour behaviour, const QHostAddress& on = QHostAddress::LocalHost)
        : behaviour_(behaviour) {
        server_.listen(on);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            client_ = server_.nextPendingConnection();
            connect(client_, &QTcpSocket::readyRead, this, [this] { onBytes(client_->readAll()); });
        });
    }

    quint16 port() const { return server_.serverPort(); }
    QTcpSocket* client() const { return client_; }
    // Reader data the client sent, after unescaping.
    QByteArray data() const { return data_; }
    // The subnegotiation commands the client sent.
    QList<int> commands() const { return commands_; }
    void send(const QByteArray& wire) { client_->write(wire); }

private:
    void onBytes(const QByteArray& bytes) {
        for (const TelnetItem& item : decoder_.feed(bytes)) {
            if (behaviour_ == Behaviour::Silent)
                continue;
            if (item.kind == TelnetItem::Kind::Data)
                data_ += item.bytes;
            if (item.kind == TelnetItem::Kind::Negotiation && item.command == telnet::WILL)
                client_->write(telnetNegotiation(telnet::DO, item.option));
            if (item.kind == TelnetItem::Kind::Negotiation && item.command == telnet::DO)
                client_->write(telnetNegotiation(telnet::WILL, item.option));
            if (item.kind != TelnetItem::Kind::Subnegotiation || item.bytes.isEmpty())
                continue;
            const quint8 command = quint8(item.bytes.at(0));
            commands_ << command;
            QByteArray value = item.bytes.mid(1);
            if (command == telnet::comport::SetBaudRate && behaviour_ == Behaviour::Answers4800)
                value = QByteArray::fromHex("000012c0");
            client_->write(comPortCommand(command + telnet::comport::kServerOffset, value));
        }
    }

    Behaviour behaviour_;
    QTcpServer server_;
    QTcpSocket* client_ = nullptr;
    TelnetDecoder decoder_;
    QByteArray data_;
    QList<int> commands_;
};
