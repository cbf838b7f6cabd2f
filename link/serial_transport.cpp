#include "link/serial_transport.h"

#include "link/line_settings.h"

#include <QFileInfo>

namespace {
QSerialPort::Parity serialParity(LineSettings::Parity parity) {
    switch (parity) {
    case LineSettings::Parity::None:
        return QSerialPort::NoParity;
    case LineSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case LineSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case LineSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    case LineSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits serialStopBits(LineSettings::StopBits stopBits) {
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return QSerialPort::OneStop;
    case LineSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case LineSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl serialFlowControl(LineSettings::FlowControl flow) {
    switch (flow) {
    case LineSettings::FlowControl::None:
        return QSerialPort::NoFlowControl;
    case LineSettings::FlowControl::XonXoff:
        return QSerialPort::SoftwareControl;
    case LineSettings::FlowControl::Hardware:
        return QSerialPort::HardwareControl;
    }
    return QSerialPort::NoFlowControl;
}
} // namespace

SerialTransport::SerialTransport(QString device, QObject* parent)
    : Transport(parent), device_(std::move(device)), MSComm1(this) {
    connect(&MSComm1, &QSerialPort::readyRead, this, &Transport::dataArrived);
    connect(&MSComm1, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport() {
    // Closing here keeps our own error handler from running on a half-destroyed transport.
    MSComm1.disconnect(this);
    MSComm1.close();
}

Transport::OpenState SerialTransport::open(PortError& why) {
    why = PortError{PortFailure::None, device_, {}};
    if (device_.isEmpty() || !QFileInfo::exists(device_)) {
        why.kind = PortFailure::Missing;
        return OpenState::Failed;
    }
    MSComm1.setPortName(canonicalDevice(device_));
    MSComm1.setBaudRate(qint32(kReaderLine.baudRate));
    MSComm1.setParity(serialParity(kReaderLine.parity));
    MSComm1.setDataBits(QSerialPort::DataBits(kReaderLine.dataBits));
    MSComm1.setStopBits(serialStopBits(kReaderLine.stopBits));
    MSComm1.setFlowControl(serialFlowControl(kReaderLine.flowControl));
    if (!MSComm1.open(QIODevice::ReadWrite)) {
        why.kind = classifyOpenError(MSComm1.error(), device_);
        why.detail = MSComm1.errorString();
        MSComm1.clearError();
        return OpenState::Failed;
    }
    // A pseudo-terminal has no modem lines; the failure is harmless there.
    MSComm1.setDataTerminalReady(kReaderLine.dtr);
    MSComm1.setRequestToSend(kReaderLine.rts);
    MSComm1.clearError();
    // What arrived while nobody had the port open is not for us.
    MSComm1.clear(QSerialPort::AllDirections);
    return OpenState::Open;
}

void SerialTransport::close() {
    if (MSComm1.isOpen())
        MSComm1.close();
    MSComm1.clearError();
}

bool SerialTransport::write(const QByteArray& bytes) {
    if (!MSComm1.isOpen() || MSComm1.write(bytes) != bytes.size())
        return false;
    // write() only buffers until the event loop runs; push the bytes out now.
    MSComm1.flush();
    // A device that vanished shows here: the port has been closed meanwhile.
    return MSComm1.isOpen();
}

void SerialTransport::discardInput() {
    if (MSComm1.isOpen())
        MSComm1.clear(QSerialPort::Input);
}

void SerialTransport::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
    case QSerialPort::WriteError:
        break;
    default:
        // Open failures are read by open(); DTR/RTS on a pseudo-terminal is not a fault.
        return;
    }
    if (!MSComm1.isOpen())
        return;
    const QString reason = MSComm1.errorString();
    // Closing at once ends the error storm Qt emits after a hang-up.
    MSComm1.close();
    MSComm1.clearError();
    emit lost(reason);
}
