#pragma once

#include "cli/port_targets.h"
#include "link/reader_link.h"

#include <QObject>
#include <QTimer>

class LineTrace;

// A command's own line to one port: a link that knows only the target's device, named in the
// trace as the target is, with its own 50 ms tick.
class PortLine : public QObject {
    Q_OBJECT
public:
    PortLine(const PortTarget& target, LineTrace* trace, QObject* parent = nullptr);

    ReaderLink& link() { return link_; }
    // COMn of the target, or 1 for a device named by its path.
    qint16 comNumber() const { return comNumber_; }
    void startTicking() { tickTimer_.start(); }
    // Closes the port and stops the tick.
    void close();

private:
    ReaderLink link_;
    QTimer tickTimer_;
    qint16 comNumber_;
};
