#include "ports/port_catalog.h"

#include <QFileInfo>

namespace {
// The identities as the file has them, each read as an address once, here. One that is not an
// address is left out and said.
QMap<int, PortAddress> rememberedAddresses(const QMap<int, QString>& stored, QString* problem) {
    QMap<int, PortAddress> addresses;
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        QString error;
        if (const auto address = PortAddress::parse(it.value(), &error))
            addresses.insert(it.key(), *address);
        else if (problem->isEmpty())
            *problem = QStringLiteral("%1 is not used: %2").arg(ComPort{it.key()}.label(), error);
    }
    return addresses;
}
} // namespace

PortCatalog::PortCatalog(DeviceList devices, PortStore store, QMap<ComPort, PortAddress> thisRun)
    : devices_(std::move(devices)), store_(std::move(store)), thisRun_(std::move(thisRun)) {
    refresh();
}

const PortNumbering& PortCatalog::refresh() {
    found_ = devices_ ? devices_() : QList<FoundDevice>();
    PortStore::Contents contents = store_.load();
    storeProblem_ = contents.problem;
    storeNotices_ = contents.notices;
    notStored_.clear();
    QString entry;
    const QMap<int, PortAddress> remembered = rememberedAddresses(contents.assignments, &entry);
    if (!entry.isEmpty())
        storeNotices_ << QStringLiteral("%1: %2").arg(store_.path(), entry);
    numbering_ = numberPorts(found_, remembered, thisRun_);
    if (!numbering_.newlyRemembered.isEmpty() && storeProblem_.isEmpty()) {
        QString error;
        // Under the lock another program may have taken a number meanwhile: number again on
        // what is stored then.
        const bool written = store_.update(
            [this](QMap<int, QString>& stored) {
                QString ignored; // said above
                numbering_ = numberPorts(found_, rememberedAddresses(stored, &ignored), thisRun_);
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
                ports << QStringLiteral("%1 (%2)").arg(
                    ComPort{it.key()}.label(), numbering_.port(ComPort{it.key()}).address.text());
            notStored_ = QStringLiteral("%1 used for this run but not stored: %2")
                             .arg(ports.join(QStringLiteral(", ")), error);
        }
    }
    return numbering_;
}

PortMap PortCatalog::portMap() const {
    PortMap map = PortMap::explicitOnly();
    for (const ComPort n : ComPort::all()) {
        if (const NumberedPort& port = numbering_.port(n); !port.address.isEmpty())
            map.map(n, port.address);
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

QString PortCatalog::identityOf(const PortAddress& address) const {
    // A reader on the network is known by its address.
    if (address.isNetwork())
        return address.text();
    for (const FoundDevice& found : found_) {
        if (isAdapter(found, address.path()))
            return deviceIdentity(found);
    }
    return QFileInfo(address.path()).absoluteFilePath();
}

bool PortCatalog::apply(const QList<Change>& changes, QString* error, bool keepForThisRun) {
    for (const Change& change : changes) {
        const NumberedPort& port = numbering_.port(change.port);
        if (port.origin == PortOrigin::BuiltIn && port.address != change.address) {
            *error = QStringLiteral("%1 is the built-in port %2; it keeps its number")
                         .arg(change.port.label(), port.address.text());
            return false;
        }
    }
    const bool written = store_.update(
        [&](QMap<int, QString>& stored) {
            for (const Change& change : changes) {
                if (change.address.isEmpty()) {
                    stored.remove(change.port.number);
                    continue;
                }
                const QString identity = identityOf(change.address);
                stored.removeIf(
                    [&identity](const auto& entry) { return entry.value() == identity; });
                stored.insert(change.port.number, identity);
            }
        },
        error);
    if (!written && keepForThisRun) {
        // The operator's choice holds until the program ends, stored or not.
        for (const Change& change : changes) {
            if (!change.address.isEmpty())
                thisRun_.insert(change.port, change.address);
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
