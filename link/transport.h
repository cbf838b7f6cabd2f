#pragma once

#include "link/port_error.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// One way of carrying bytes to a reader and back: a local serial port, a TCP connection to a
// serial device server, or an in-memory reader. The link owns one at a time and knows nothing
// of which it is; the transport knows nothing of readers.
class Transport : public QObject {
    Q_OBJECT
public:
    enum class OpenState {
        Open,       // ready now
        Failed,     // `why` says why
        Connecting, // opened() or openFailed() follows, from the event loop
    };

    using QObject::QObject;
    ~Transport() override = default;

    // Opens the line at 9600,N,8,1 with DTR and RTS on and both directions purged.
    virtual OpenState open(PortError& why) = 0;
    // Closes it; does nothing while closed. Emits nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Hands the bytes to the device at once. False when they did not all go out (the line may
    // have been lost meanwhile: lost() has then been emitted and the transport is closed).
    virtual bool write(const QByteArray& bytes) = 0;
    // Everything received and not yet read.
    virtual QByteArray readAll() = 0;
    // Drops everything received and not yet read, here and where the transport can reach.
    virtual void discardInput() = 0;
    virtual qint64 bytesAvailable() const = 0;
    // Written and not yet handed to the device.
    virtual qint64 bytesToWrite() const = 0;
    // What the transport is open on, as one name: a canonical device path, or an address.
    // Two ports with the same key are one line.
    virtual QString key() const = 0;
    // The network's round trip as last measured, in ms; none for a local line. Kept after the
    // line closes.
    virtual std::optional<double> roundTripMs() const { return std::nullopt; }

signals:
    // Received bytes wait in readAll().
    void dataArrived();
    // The line went away while open (device unplugged, connection closed); already closed.
    void lost(const QString& reason);
    // The end of a Connecting open.
    void opened();
    void openFailed(const PortError& why);
    // Something worth a line in the trace that is not data: a negotiation step, a setting the
    // far side would not take.
    void note(const QString& event);
};

// Makes the transport for a device or address ("/dev/ttyUSB0", "rfc2217://host:4001").
using TransportFactory = std::function<std::unique_ptr<Transport>(const PortAddress& address)>;
