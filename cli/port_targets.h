#pragma once

#include "link/port_map.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One port a command works on.
struct PortTarget {
    QString label;     // "COM3", or the device path as given
    int comNumber = 0; // n of COMn; 0 for a device path
    QString device;    // what is opened; empty when COMn has no device
};

// The PORT arguments in order: COMn through `ports`, device paths as they are, "all" as every
// COMn for which `found` (the probe) holds. A port named twice counts once; two names for the
// same device are an error, said in *error.
std::optional<QList<PortTarget>> resolvePorts(const QStringList& arguments, const PortMap& ports,
                                              const std::function<bool(int)>& found,
                                              QString* error);

// The report file of one port in a folder: "COM3.txt"; a device path with its slashes as
// underscores ("dev_ttyUSB0.txt").
QString reportFileName(const PortTarget& target);
