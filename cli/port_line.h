#pragma once

#include "cli/port_targets.h"
#include "link/reader_link.h"

#include <QObject>

class LineTrace;

// A command's own line to one port: a link that knows only the target's device, named in the
// trace as the target is, ticking while the command uses it.
class PortLine : public QObject {
    Q_OBJECT
public:
    // `transports`, when given, replaces the system's (tests give an in-memory reader).
    PortLine(const PortTarget& target, LineTrace* trace, TransportFactory transports = {},
             QObject* parent = nullptr);

    ReaderLink& link() { return link_; }
    // COMn of the target, or 1 for a device named by its path.
    qint16 comNumber() const { return comNumber_; }
    void startTicking() { link_.startTicking(); }
    // Closes the port and stops the tick.
    void close();

private:
    ReaderLink link_;
    qint16 comNumber_;
};
