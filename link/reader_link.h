#pragma once

#include "link/line_log.h"
#include "link/line_receiver.h"
#include "link/line_trace.h"
#include "link/port_error.h"
#include "link/port_map.h"
#include "link/transport.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// The one line to the reader, and the link state every window shares: the current port, the
// receiver the line is routed to, the collect-reply flag, the reply buffer and the tick counter.
// It knows no consumer: what it carries goes through a Transport, what it sees leaves as signals.
class ReaderLink : public QObject {
    Q_OBJECT
public:
    // A valid reply is a few hundred characters; anything beyond this is a runaway line.
    static constexpr qsizetype kReplyBufferCap = 64 * 1024;
    // The tick counter advances every 50 ms; the program's one tick interval.
    static constexpr int kTickIntervalMs = 50;

    explicit ReaderLink(PortMap ports, QObject* parent = nullptr);
    ~ReaderLink() override;

    // How a device or address becomes a transport; the system's own unless a test gives one.
    void setTransportFactory(TransportFactory factory) { factory_ = std::move(factory); }

    // The transport's key of the line held now (a canonical device or an address); empty while
    // nothing is open or opening. A port with this key is in use here.
    QString heldKey() const;
    // Makes COMn the current port and opens it at 9600,N,8,1 with DTR and RTS. A transport that
    // connects is waited for with events running. False when it failed; lastOpenError() says why.
    bool OpenCOM(const qint16& Port);
    // The same without waiting: openFinished() tells the outcome, always from the event loop.
    void openAsync(qint16 Port);
    void CloseCOM();
    // One frame, pushed to the device at once; does nothing while the port is closed.
    // False when the frame did not go out.
    bool SendCommand(const QString& code);

    bool isOpen() const { return transport_ && transport_->isOpen(); }
    // COMn in use or last used; 1 until a port is opened.
    qint16 currentPort() const { return currentPort_; }
    ComPort currentComPort() const { return ComPort{currentPort_}; }
    // What stands for the current port.
    PortAddress currentAddress() const { return ports_.addressFor(currentComPort()); }
    const PortError& lastOpenError() const { return lastOpenError_; }
    const PortMap& ports() const { return ports_; }
    // A new numbering; the open line, if any, stays as it is.
    void setPorts(PortMap ports) { ports_ = std::move(ports); }

    // The network's round trip as last measured, in ms; none for a local line.
    std::optional<double> roundTripMs() const;
    // What every wait for the reader gets on top of its own ticks: the round trip in whole
    // ticks, 0 on a local line, so a reader behind a device server is judged as one on the desk.
    int roundTripTicks() const;
    // A wait of `ticks` for the reader, on this line.
    int replyTicks(int ticks) const { return ticks + roundTripTicks(); }

    // What the alignment and decode windows read from the line themselves.
    QByteArray readInput();
    // Discards everything received and not yet read.
    void discardInput();
    // Received and not yet read: what waits in the transport's own buffer.
    qint64 pendingInput() const { return isOpen() ? transport_->bytesAvailable() : 0; }
    // Ticks since the last frame was handed to the transport.
    qint64 ticksSinceSent() const { return ticks_ - lastSentTick_; }
    // Written but not yet handed to the device.
    qint64 pendingOutput() const { return isOpen() ? transport_->bytesToWrite() : 0; }

    // Whether what arrives before the command goes out may still count as its reply.
    enum class EarlierInput { Keep, Discard };
    // The collect-reply exchange: empties the reply buffer, collects while `code` goes out and
    // for replyTicks(ticks) ticks after, and returns what was collected. The buffer keeps it
    // afterwards.
    QString collectReply(const QString& code, int ticks, EarlierInput earlier);
    // The same exchange in two halves, for callers that wait on `ticked` themselves: the first
    // returns the deadline, the second is called once the counter has passed it.
    // `sent`, when given, tells whether the command went out.
    qint64 startCollecting(const QString& code, int ticks, EarlierInput earlier,
                           bool* sent = nullptr);
    QString stopCollecting();
    bool collectingReply() const { return collectReply_; }
    const QString& replyBuffer() const { return replyBuffer_; }
    void clearReplyBuffer() { replyBuffer_.clear(); }

    // While a receiver is set, it is called for every receive event instead of reading, and it
    // reads the line itself; nothing goes to the reply buffer. Null: the reply buffer, or nowhere.
    void setReceiver(LineReceiver* receiver) { receiver_ = receiver; }
    LineReceiver* receiver() const { return receiver_; }

    // Tick counter, advanced every kTickIntervalMs by the link's own timer ("Timer1") while it
    // ticks. 64 bits: it never wraps.
    qint64 ticks() const { return ticks_; }
    // Whoever owns the link starts the tick before the first wait and may stop it once done.
    // Tests may run the clock faster than the reader's.
    void startTicking(int intervalMs = kTickIntervalMs) { tick_.start(intervalMs); }
    void stopTicking() { tick_.stop(); }
    bool ticking() const { return tick_.isActive(); }
    int tickInterval() const { return tick_.interval(); }
    // Lets events run (at least once) until the counter exceeds the deadline. Sleeps between
    // events rather than polling. A wait on a link that is not ticking starts the tick, since
    // the wait would never end otherwise.
    void tickWait(qint64 deadline);

    // How the trace names this line: "COMn" unless a name is given.
    void setPortLabel(const QString& label) { portLabel_ = label; }
    QString portLabel() const;
    // Every frame sent, chunk received and line event also goes to `trace` (not owned; null
    // for none), and always to the "ksr.link" logging category.
    void setTrace(LineTrace* trace) { trace_ = trace; }
    // From now on every frame, chunk and event is also kept, as it came, in the last
    // LineLog::kCapacity entries of lineLog() (for the Line window, which may open later).
    // False forgets the log and keeps none (to measure what keeping costs); nothing may hold
    // on to the log then.
    void keepLineLog(bool keep = true);
    // Null until keepLineLog().
    LineLog* lineLog() const { return log_.get(); }

signals:
    void ticked();
    // The device vanished while open; the port has been closed already.
    void lineLost(const QString& reason);
    // The end of openAsync().
    void openFinished(bool ok);

private:
    void advanceTick();
    // Starts opening COMn on a fresh transport; the outcome comes through finishOpening().
    Transport::OpenState beginOpening(qint16 Port);
    void finishOpening(bool ok);
    void onDataArrived();
    void onLost(const QString& reason);
    void appendReply(const QByteArray& data);
    QByteArray readTraced();
    void traceData(TraceDirection direction, const QByteArray& bytes);
    void traceEvent(const QString& event);

    LineReceiver* receiver_ = nullptr;
    bool collectReply_ = false;
    QString replyBuffer_;

    TransportFactory factory_;
    std::unique_ptr<Transport> transport_;
    bool opening_ = false;
    PortMap ports_;
    PortError lastOpenError_;
    qint16 currentPort_ = 1;
    QTimer tick_;
    qint64 ticks_ = 0;
    qint64 lastSentTick_ = -1000;
    QString portLabel_;
    LineTrace* trace_ = nullptr;
    std::unique_ptr<LineLog> log_;
    // portLabel() as last made, for the port it was made for.
    mutable QString labelCache_;
    mutable qint16 labelCachePort_ = 0;
};
