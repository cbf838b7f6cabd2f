#pragma once

#include "link/port_map.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One port a command works on.
struct PortTarget {
    QString label;     // "COM3", or the device path as given
    int comNumber = 0; // n of COMn; 0 for a device path
    QString device;    // what is opened; empty when COMn has no device
    // Named by "all": left out when it turns out not to exist, as the window's probe leaves out
    // what it cannot open (a port in use stays in).
    bool optional = false;
};

// The PORT arguments in order: COMn through `ports`, device paths as they are, "all" as every
// COM1 to COM16 that has a device (optional ones). A port named twice counts once; two names for
// the same device are an error, said in *error.
std::optional<QList<PortTarget>> resolvePorts(const QStringList& arguments, const PortMap& ports,
                                              QString* error);

// The report file of one port in a folder: "COM3.txt"; a device path with its slashes as
// underscores ("dev_ttyUSB0.txt"), a network address likewise ("rfc2217_host_4001.txt").
QString reportFileName(const PortTarget& target);
