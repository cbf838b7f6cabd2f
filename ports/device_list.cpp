#include "ports/device_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace {
// The device each symlink of `folder` points to -> the symlink's path.
QHash<QString, QString> symlinksIn(const QString& folder) {
    QHash<QString, QString> names;
    const QDir dir(folder);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !names.contains(target))
            names.insert(target, link.absoluteFilePath());
    }
    return names;
}

QList<FoundDevice> systemDevices() {
    const QHash<QString, QString> byId = symlinksIn(QStringLiteral("/dev/serial/by-id"));
    const QHash<QString, QString> byPath = symlinksIn(QStringLiteral("/dev/serial/by-path"));
    QList<FoundDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        const QString real = QFileInfo(path).canonicalFilePath();
        devices.append({path, byId.value(real), byPath.value(real), info.description(),
                        info.manufacturer(), info.serialNumber()});
    }
    return devices;
}
} // namespace

QList<FoundDevice> parseDeviceListFile(const QByteArray& text) {
    QList<FoundDevice> devices;
    for (const QByteArray& line : text.split('\n')) {
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        if (f.value(0).trimmed().isEmpty())
            continue;
        devices.append({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4), f.value(5)});
    }
    return devices;
}

DeviceList systemDeviceList() {
    const QString file = qEnvironmentVariable("KSR_DEVICE_LIST");
    if (file.isEmpty())
        return systemDevices;
    return [file] {
        QFile list(file);
        return list.open(QIODevice::ReadOnly) ? parseDeviceListFile(list.readAll())
                                              : QList<FoundDevice>();
    };
}
