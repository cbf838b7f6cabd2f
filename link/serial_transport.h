#pragma once

#include "link/transport.h"

#include <QSerialPort>

// Qt reports both "already open elsewhere" and "not allowed" as PermissionError: told apart here.
PortFailure classifyOpenError(QSerialPort::SerialPortError error, const QString& device);

// Opens `device` as the link would, closes it again, and says why it would not open.
PortError probeSerialDevice(const QString& device);

// A local serial device: a tty, a USB adapter, a pseudo-terminal, or a symlink to one.
class SerialTransport : public Transport {
    Q_OBJECT
public:
    explicit SerialTransport(QString device, QObject* parent = nullptr);
    ~SerialTransport() override;

    OpenState open(PortError& why) override;
    void close() override;
    bool isOpen() const override { return MSComm1.isOpen(); }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override { return MSComm1.readAll(); }
    void discardInput() override;
    qint64 bytesAvailable() const override { return MSComm1.bytesAvailable(); }
    qint64 bytesToWrite() const override { return MSComm1.bytesToWrite(); }
    QString key() const override { return canonicalDevice(device_); }

private:
    void onError(QSerialPort::SerialPortError error);
    // Why the open device cannot be used any more; empty while it can.
    QString goneReason() const;

    QString device_;
    QSerialPort MSComm1;
};
