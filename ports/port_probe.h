#pragma once

#include "link/port_error.h"
#include "link/port_map.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Transport;

// What state COMn is in, for serial and network ports alike: the one answer every view shows.
struct PortState {
    enum class Kind {
        NoDevice,     // nothing stands for the number
        Probing,      // a network port whose connection is still being tried
        Present,      // it opens
        InUse,        // another program holds it
        InUseHere,    // this program has it open
        Missing,      // no device at that path
        NoPermission, // the user may not open it
        NotSerial,    // a file, /dev/zero, a folder: no serial port
        Unreachable,  // a network port that did not connect; `detail` says why
        Other,        // anything else; `detail` has the system's words
    };
    Kind kind = Kind::NoDevice;
    QString detail;

    // The port list shows the ports that are there: free, or held.
    bool listable() const {
        return kind == Kind::Present || kind == Kind::InUse || kind == Kind::InUseHere;
    }
    // The state in a word or two: "present", "in use here", "unreachable (connection refused)".
    QString word() const;
    // The failure the state stands for, for the messages that name the port and the reason.
    PortError error(const PortAddress& address) const;

    friend bool operator==(const PortState&, const PortState&) = default;
};

// The state a failed opening (or none) comes to.
PortState stateOf(const PortError& error);

// A local port now: opened and closed again, unless it is the line this program holds
// (`heldKey`, a canonical device or an address: in use here). A network port gives Probing:
// PortProbe connects to it without waiting here.
PortState probeNow(const PortAddress& address, const QString& heldKey);

// The probe of every port of a map at once: the local ones before start() returns, the network
// ones all in parallel, each within its own connect bound, so the whole takes one bound however
// many there are. Nothing waits: each answer comes as stateKnown() from the event loop.
class PortProbe : public QObject {
    Q_OBJECT
public:
    // How a network address is connected to (tests give their own).
    using Connector = std::function<std::unique_ptr<Transport>(const NetworkAddress&)>;

    explicit PortProbe(QObject* parent = nullptr);
    ~PortProbe() override;
    void setConnector(Connector connector) { connector_ = std::move(connector); }

    // Forgets a probe under way and starts another over `ports`.
    void start(const PortMap& ports, const QString& heldKey);
    bool isRunning() const { return !pending_.isEmpty(); }
    // The latest answer for each of COM1 to COM16 probed (Probing while it is awaited).
    const QMap<ComPort, PortState>& states() const { return states_; }
    PortState state(ComPort port) const { return states_.value(port); }

signals:
    void stateKnown(ComPort port, const PortState& state);
    // Every network port has answered.
    void finished();

private:
    void answer(ComPort port, const PortState& state);

    Connector connector_;
    QMap<ComPort, PortState> states_;
    QMap<ComPort, std::shared_ptr<Transport>> pending_;
};

// The ports a port list shows, ascending: each of COM1 to COM16 whose state is listable, and
// `kept` (none when invalid), which is listed whatever its state: the port the program itself
// holds or was told to hold.
QList<ComPort> listablePorts(const QMap<ComPort, PortState>& states, ComPort kept = {});
