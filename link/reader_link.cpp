#include "link/reader_link.h"

#include "link/line_log.h"
#include "protocol/reader_command.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

ReaderLink::ReaderLink(PortMap ports, QObject* parent)
    : QObject(parent), MSComm1(this), ports_(std::move(ports)) {
    connect(&MSComm1, &QSerialPort::readyRead, this, &ReaderLink::onReadyRead);
    connect(&MSComm1, &QSerialPort::errorOccurred, this, &ReaderLink::onError);
}

ReaderLink::~ReaderLink() {
    // Closing here keeps our own error handler from running on a half-destroyed link.
    MSComm1.disconnect(this);
    MSComm1.close();
}

namespace {
void applyLineSettings(QSerialPort& port) {
    port.setBaudRate(QSerialPort::Baud9600);
    port.setParity(QSerialPort::NoParity);
    port.setDataBits(QSerialPort::Data8);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

// Opens `device` on `port`; fills `error` when it fails.
bool openDevice(QSerialPort& port, const QString& device, PortError& error) {
    error = PortError{PortFailure::None, device, {}};
    if (device.isEmpty()) {
        error.kind = PortFailure::Missing;
        return false;
    }
    if (!QFileInfo::exists(device)) {
        error.kind = PortFailure::Missing;
        return false;
    }
    port.setPortName(canonicalDevice(device));
    if (port.open(QIODevice::ReadWrite))
        return true;
    error.kind = classifyOpenError(port.error(), device);
    error.detail = port.errorString();
    port.clearError();
    return false;
}
} // namespace

qint16 ReaderLink::TestCOM(const qint16& Port, PortError* why) {
    const QString device = ports_.deviceFor(Port);
    PortError error;
    if (!why)
        why = &error;
    if (MSComm1.isOpen() && !device.isEmpty() && canonicalDevice(device) == openDevice_) {
        *why = {PortFailure::Busy, device, {}};
        return 1; // held by this program
    }
    QSerialPort probe;
    if (openDevice(probe, device, *why)) {
        probe.close();
        return 0;
    }
    return why->kind == PortFailure::Busy ? 1 : -1;
}

bool ReaderLink::OpenCOM(const qint16& Port) {
    const QString device = ports_.deviceFor(Port);
    if (MSComm1.isOpen()) {
        lastOpenError_ = {PortFailure::Busy, device, {}};
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
        return false;
    }
    applyLineSettings(MSComm1);
    if (!openDevice(MSComm1, device, lastOpenError_)) {
        traceEvent(QStringLiteral("open failed: ") + portFailureReason(lastOpenError_));
        return false;
    }
    openDevice_ = canonicalDevice(device);
    traceEvent(QStringLiteral("opened ") + device);
    // A pseudo-terminal has no modem lines; the failure is harmless there.
    MSComm1.setDataTerminalReady(true);
    MSComm1.setRequestToSend(true);
    MSComm1.clearError();
    // What arrived while nobody had the port open is not for us.
    MSComm1.clear(QSerialPort::AllDirections);
    return true;
}

void ReaderLink::CloseCOM() {
    if (MSComm1.isOpen()) {
        MSComm1.close();
        traceEvent(QStringLiteral("closed"));
    }
    MSComm1.clearError();
}

bool ReaderLink::SendCommand(const QString& code) {
    if (!MSComm1.isOpen())
        return false;
    const QByteArray frame = frameCommand(code);
    traceData(TraceDirection::Sent, frame);
    if (MSComm1.write(frame) != frame.size())
        return false;
    // write() only buffers until the event loop runs; push the frame out now.
    MSComm1.flush();
    // A device that vanished shows here: the port has been closed meanwhile.
    return MSComm1.isOpen();
}

QByteArray ReaderLink::readInput() {
    return MSComm1.isOpen() ? readTraced() : QByteArray();
}

void ReaderLink::discardInput() {
    if (!MSComm1.isOpen())
        return;
    MSComm1.clear(QSerialPort::Input);
    readTraced();
}

QByteArray ReaderLink::readTraced() {
    const QByteArray data = MSComm1.readAll();
    traceData(TraceDirection::Received, data);
    return data;
}

QString ReaderLink::portLabel() const {
    return portLabel_.isEmpty() ? QStringLiteral("COM%1").arg(currentPort) : portLabel_;
}

void ReaderLink::traceData(TraceDirection direction, const QByteArray& bytes) {
    const bool logged = lcLink().isDebugEnabled();
    if (bytes.isEmpty() || (!trace_ && !logged && !observer_))
        return;
    const double ms = traceMilliseconds();
    if (observer_)
        observer_->lineData(ms, portLabel(), direction, bytes);
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
    if (!trace_ && !logged && !observer_)
        return;
    const double ms = traceMilliseconds();
    if (observer_)
        observer_->lineEvent(ms, portLabel(), event);
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

qint64 ReaderLink::startCollecting(const QString& code, int ticks, EarlierInput earlier) {
    const qint64 deadline = ticks_ + ticks;
    replyBuffer_.clear();
    collectReply_ = true;
    SendCommand(code);
    if (earlier == EarlierInput::Discard)
        discardInput();
    return deadline;
}

QString ReaderLink::stopCollecting() {
    collectReply_ = false;
    return replyBuffer_;
}

void ReaderLink::onReadyRead() {
    if (alignRouting_ && alignReceiver_) {
        alignReceiver_();
        return;
    }
    if (decodeRouting_ && decodeReceiver_) {
        decodeReceiver_();
        return;
    }
    const QByteArray data = readTraced();
    if (collectReply_ && !alignRouting_ && !decodeRouting_)
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

void ReaderLink::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
        break;
    default:
        // Open failures are read by OpenCOM; DTR/RTS on a pseudo-terminal is not a fault.
        return;
    }
    if (!MSComm1.isOpen())
        return;
    const QString reason = MSComm1.errorString();
    // Closing at once ends the error storm Qt emits after a hang-up.
    MSComm1.close();
    MSComm1.clearError();
    traceEvent(QStringLiteral("lost: ") + reason);
    emit lineLost(reason);
}
