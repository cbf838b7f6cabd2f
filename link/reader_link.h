#pragma once

#include "link/port_map.h"
#include "link/port_probe.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>

// The one serial line to the reader, and the link state every window shares:
// the current port, the three routing flags, the reply buffer and the tick counter.
class ReaderLink : public QObject {
    Q_OBJECT
public:
    // A valid reply is a few hundred characters; anything beyond this is a runaway line.
    static constexpr qsizetype kReplyBufferCap = 64 * 1024;

    explicit ReaderLink(PortMap ports, QObject* parent = nullptr);
    ~ReaderLink() override;

    // Probe: 0 the port opens (closed again), 1 it is already open, -1 anything else.
    // `why`, when given, says why it would not open.
    qint16 TestCOM(const qint16& Port, PortError* why = nullptr);
    // Opens COMn at 9600,N,8,1 with DTR and RTS. False when it failed; lastOpenError() says why.
    bool OpenCOM(const qint16& Port);
    void CloseCOM();
    // One frame, pushed to the device at once; does nothing while the port is closed.
    // False when the frame did not go out.
    bool SendCommand(const QString& code);

    bool isOpen() const { return MSComm1.isOpen(); }
    const PortError& lastOpenError() const { return lastOpenError_; }
    const PortMap& ports() const { return ports_; }

    // What the alignment and decode windows read from the line themselves.
    QByteArray readInput();
    // Discards everything received and not yet read.
    void discardInput();
    // Received and not yet read: what waits in the serial port's own buffer.
    qint64 pendingInput() const { return MSComm1.isOpen() ? MSComm1.bytesAvailable() : 0; }

    qint16 currentPort = 0;
    bool alignRouting = false;
    bool decodeRouting = false;
    bool collectReply = false;
    QString replyBuffer;

    // Called instead of reading when the matching routing flag is set.
    std::function<void()> alignReceiver;
    std::function<void()> decodeReceiver;

    // Tick counter, advanced by the main window's 50 ms timer. 64 bits: it never wraps.
    qint64 ticks() const { return ticks_; }
    void advanceTick();
    // Lets events run (at least once) until the counter exceeds the deadline. Sleeps between
    // events rather than polling.
    void tickWait(qint64 deadline);

signals:
    void ticked();
    // The device vanished while open; the port has been closed already.
    void lineLost(const QString& reason);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void appendReply(const QByteArray& data);

    QSerialPort MSComm1;
    PortMap ports_;
    PortError lastOpenError_;
    QString openDevice_; // canonical path of the device MSComm1 has open
    qint64 ticks_ = 0;
};
