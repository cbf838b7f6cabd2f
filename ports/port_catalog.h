#pragma once

#include "link/port_map.h"
#include "ports/device_list.h"
#include "ports/port_numbering.h"
#include "ports/port_store.h"

#include <QList>
#include <QMap>
#include <QString>

// COM1 to COM16 as this program run sees them: the devices found, numbered with what the
// user's configuration remembers and what --port says for this run. New adapters get their
// numbers stored as they are found, so they keep them.
class PortCatalog {
public:
    PortCatalog(DeviceList devices, PortStore store, QMap<ComPort, PortAddress> thisRun);

    // Looks for the devices again and renumbers.
    const PortNumbering& refresh();
    const PortNumbering& numbering() const { return numbering_; }
    const QList<FoundDevice>& found() const { return found_; }
    PortMap portMap() const;
    const PortStore& store() const { return store_; }
    const QMap<ComPort, PortAddress>& thisRun() const { return thisRun_; }

    // Why the file could not be used, or a number could not be stored in it; empty when all
    // went well. takeStoreProblem() gives each problem once.
    const QString& storeProblem() const { return storeProblem_; }
    QString takeStoreProblem();

    // COMn for `address` (a found adapter by any of its names, any device path, or a reader
    // on the network), or, with an empty address, COMn freed. Stored at once, then renumbered.
    struct Change {
        ComPort port;
        PortAddress address;
    };
    bool apply(const QList<Change>& changes, QString* error);

    // The identity `address` is remembered by.
    QString identityOf(const PortAddress& address) const;

private:
    void setStoreProblem(const QString& problem);

    DeviceList devices_;
    PortStore store_;
    QMap<ComPort, PortAddress> thisRun_;
    QList<FoundDevice> found_;
    PortNumbering numbering_;
    QString storeProblem_;
    bool problemTold_ = false;
};

// What the operator is told when no port can be used: what was found and what to do.
QString noUsablePortAdvice(int devicesFound);
