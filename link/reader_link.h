#pragma once

#include "link/line_trace.h"
#include "link/port_map.h"
#include "link/port_probe.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>

class LineObserver;

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
    // Written but not yet handed to the device.
    qint64 pendingOutput() const { return MSComm1.isOpen() ? MSComm1.bytesToWrite() : 0; }

    qint16 currentPort = 0;

    // Whether what arrives before the command goes out may still count as its reply.
    enum class EarlierInput { Keep, Discard };
    // The collect-reply exchange: empties the reply buffer, collects while `code` goes out and
    // for `ticks` ticks after, and returns what was collected. The buffer keeps it afterwards.
    QString collectReply(const QString& code, int ticks, EarlierInput earlier);
    // The same exchange in two halves, for callers that wait on `ticked` themselves: the first
    // returns the deadline, the second is called once the counter has passed it.
    qint64 startCollecting(const QString& code, int ticks, EarlierInput earlier);
    QString stopCollecting();
    bool collectingReply() const { return collectReply_; }
    const QString& replyBuffer() const { return replyBuffer_; }
    void clearReplyBuffer() { replyBuffer_.clear(); }

    // Routing to the alignment and decode windows: while a route is on, its receiver is called
    // instead of reading, and it reads the line itself.
    using Receiver = std::function<void()>;
    void setAlignReceiver(Receiver receiver) { alignReceiver_ = std::move(receiver); }
    void setDecodeReceiver(Receiver receiver) { decodeReceiver_ = std::move(receiver); }
    void setAlignRouting(bool on) { alignRouting_ = on; }
    void setDecodeRouting(bool on) { decodeRouting_ = on; }
    bool alignRouting() const { return alignRouting_; }
    bool decodeRouting() const { return decodeRouting_; }

    // Tick counter, advanced by the main window's 50 ms timer. 64 bits: it never wraps.
    qint64 ticks() const { return ticks_; }
    void advanceTick();
    // Lets events run (at least once) until the counter exceeds the deadline. Sleeps between
    // events rather than polling.
    void tickWait(qint64 deadline);

    // How the trace names this line: "COMn" unless a name is given.
    void setPortLabel(const QString& label) { portLabel_ = label; }
    QString portLabel() const;
    // Every frame sent, chunk received and line event also goes to `trace` (not owned; null
    // for none), and always to the "ksr.link" logging category.
    void setTrace(LineTrace* trace) { trace_ = trace; }
    // The same, told to `observer` (not owned; null for none) while it is set.
    void setLineObserver(LineObserver* observer) { observer_ = observer; }
    LineObserver* lineObserver() const { return observer_; }

signals:
    void ticked();
    // The device vanished while open; the port has been closed already.
    void lineLost(const QString& reason);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void appendReply(const QByteArray& data);
    QByteArray readTraced();
    void traceData(TraceDirection direction, const QByteArray& bytes);
    void traceEvent(const QString& event);

    bool alignRouting_ = false;
    bool decodeRouting_ = false;
    bool collectReply_ = false;
    QString replyBuffer_;
    Receiver alignReceiver_;
    Receiver decodeReceiver_;

    QSerialPort MSComm1;
    PortMap ports_;
    PortError lastOpenError_;
    QString openDevice_; // canonical path of the device MSComm1 has open
    qint64 ticks_ = 0;
    QString portLabel_;
    LineTrace* trace_ = nullptr;
    LineObserver* observer_ = nullptr;
};
