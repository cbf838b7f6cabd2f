#pragma once

#include "ports/port_numbering.h"

#include <QList>
#include <functional>

// Where the serial devices come from: the system's list, or one a test or the simulator gives.
using DeviceList = std::function<QList<FoundDevice>()>;

// QSerialPortInfo's devices with their /dev/serial/by-id and by-path names. When the
// environment variable KSR_DEVICE_LIST names a file, its lines are the list instead (for the
// tests, which never read the real one): tab-separated path, by-id, by-path, description,
// maker, serial number; everything after the path may be left out.
DeviceList systemDeviceList();

// The lines of such a file, parsed.
QList<FoundDevice> parseDeviceListFile(const QByteArray& text);
