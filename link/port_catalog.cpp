#include "link/port_catalog.h"

#include "link/port_address.h"

#include "link/port_probe.h"

#include <QFileInfo>

PortCatalog::PortCatalog(DeviceList devices, PortStore store, QMap<int, QString> thisRun)
    : devices_(std::move(devices)), store_(std::move(store)), thisRun_(std::move(thisRun)) {
    refresh();
}

const PortNumbering& PortCatalog::refresh() {
    found_ = devices_ ? devices_() : QList<FoundDevice>();
    PortStore::Contents contents = store_.load();
    storeProblem_ = contents.problem;
    storeNotices_ = contents.notices;
    notStored_.clear();
    numbering_ = numberPorts(found_, contents.assignments, thisRun_);
    if (!numbering_.newlyRemembered.isEmpty() && storeProblem_.isEmpty()) {
        QString error;
        // Under the lock another program may have taken a number meanwhile: number again on
        // what is stored then.
        const bool written = store_.update(
            [this](QMap<int, QString>& stored) {
                numbering_ = numberPorts(found_, stored, thisRun_);
                for (auto it = numbering_.newlyRemembered.begin();
                     it != numbering_.newlyRemembered.end(); ++it)
                    stored.insert(it.key(), it.value());
            },
            &error);
        if (!written) {
            // The numbers hold for this run all the same.
            QStringList ports;
            for (auto it = numbering_.newlyRemembered.begin();
                 it != numbering_.newlyRemembered.end(); ++it)
                ports << QStringLiteral("COM%1 (%2)")
                             .arg(it.key())
                             .arg(numbering_.port(it.key()).device);
            notStored_ = QStringLiteral("%1 used for this run but not stored: %2")
                             .arg(ports.join(QStringLiteral(", ")), error);
        }
    }
    return numbering_;
}

PortMap PortCatalog::portMap() const {
    PortMap map = PortMap::explicitOnly();
    for (int n = 1; n <= PortNumbering::kPorts; ++n) {
        if (const NumberedPort& port = numbering_.port(n); !port.device.isEmpty())
            map.map(n, port.device);
    }
    return map;
}

QStringList PortCatalog::storeNotes() const {
    QStringList notes = storeNotices_;
    for (const QString& note : {storeProblem_, notStored_}) {
        if (!note.isEmpty())
            notes << note;
    }
    return notes;
}

QString PortCatalog::takeStoreProblem() {
    QStringList fresh;
    for (const QString& note : storeNotes()) {
        if (!told_.contains(note))
            fresh << note;
    }
    told_ << fresh;
    return fresh.join(u'\n');
}

QString PortCatalog::identityOf(const QString& device) const {
    // A reader on the network is known by its address, exactly as given.
    if (isNetworkAddress(device))
        return device;
    const QString real = canonicalDevice(device);
    for (const FoundDevice& found : found_) {
        if (device == found.path || device == found.byId || device == found.byPath ||
            real == canonicalDevice(found.path))
            return deviceIdentity(found);
    }
    return QFileInfo(device).absoluteFilePath();
}

bool PortCatalog::apply(const QList<Change>& changes, QString* error, bool keepForThisRun) {
    for (const Change& change : changes) {
        if (const QString wrong = portAddressError(change.device); !wrong.isEmpty()) {
            *error = wrong;
            return false;
        }
        const NumberedPort& port = numbering_.port(change.port);
        if (port.origin == PortOrigin::BuiltIn && port.device != change.device) {
            *error = QStringLiteral("COM%1 is the built-in port %2; it keeps its number")
                         .arg(change.port)
                         .arg(port.device);
            return false;
        }
    }
    const bool written = store_.update(
        [&](QMap<int, QString>& stored) {
            for (const Change& change : changes) {
                if (change.device.isEmpty()) {
                    stored.remove(change.port);
                    continue;
                }
                const QString identity = identityOf(change.device);
                stored.removeIf(
                    [&identity](const auto& entry) { return entry.value() == identity; });
                stored.insert(change.port, identity);
            }
        },
        error);
    if (!written && keepForThisRun) {
        // The operator's choice holds until the program ends, stored or not.
        for (const Change& change : changes) {
            if (!change.device.isEmpty())
                thisRun_.insert(change.port, change.device);
        }
    }
    refresh();
    return written;
}

QString noUsablePortAdvice(int devicesFound) {
    const QString todo = QStringLiteral(
        "Plug the reader's serial adapter in; if it is in, check that your user is in the dialout "
        "group (sudo adduser $USER dialout, then log in again); a device the list leaves out can "
        "be given a number in the Ports dialog (ksr-utility ports assign COMn DEVICE).");
    if (devicesFound == 0)
        return QStringLiteral("No serial device was found. ") + todo;
    return QStringLiteral("%1 serial device(s) found, none of them can be opened. ")
               .arg(devicesFound) +
           todo;
}
