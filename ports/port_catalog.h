#pragma once

#include "link/port_map.h"
#include "ports/device_list.h"
#include "ports/port_numbering.h"
#include "ports/port_store.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

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

    // Why the file could not be used; empty when it could.
    const QString& storeProblem() const { return storeProblem_; }
    // Everything to say about the file: why it could not be used, what is odd in it, numbers
    // that hold for this run but could not be stored. One line each.
    QStringList storeNotes() const;
    // The notes not given before, one line each; empty when there are none.
    QString takeStoreProblem();

    // COMn for `address` (a found adapter by any of its names, any device path, or a reader
    // on the network), or, with an empty address, COMn freed. Stored at once, then renumbered.
    struct Change {
        ComPort port;
        PortAddress address;
    };
    // With `keepForThisRun`, the numbers given hold for this run even when they could not be
    // stored.
    bool apply(const QList<Change>& changes, QString* error, bool keepForThisRun = false);

    // The identity `address` is remembered by.
    QString identityOf(const PortAddress& address) const;

private:
    DeviceList devices_;
    PortStore store_;
    QMap<ComPort, PortAddress> thisRun_;
    QList<FoundDevice> found_;
    PortNumbering numbering_;
    QString storeProblem_;
    QStringList storeNotices_;
    QString notStored_;
    QStringList told_;
};

// What the operator is told when no port can be used: what was found and what to do.
QString noUsablePortAdvice(int devicesFound);
