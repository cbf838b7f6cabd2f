#pragma once

#include "cli/command_line.h"
#include "link/port_map.h"

#include <QList>
#include <QString>
#include <optional>

// One port a command works on.
struct PortTarget {
    QString label;       // "COM3", or the device path or address
    ComPort com;         // invalid for a port named by its device or address
    PortAddress address; // what is opened; empty when COMn has none
    // Named by "all": left out when it turns out not to exist, as the window's probe leaves out
    // what it cannot open (a port in use stays in).
    bool optional = false;
};

// The PORT arguments in order: COMn through `ports`, device paths and addresses as they are,
// "all" as every COM1 to COM16 that has a device (optional ones) or an address. A port named
// twice counts once; two names for the same device are an error, said in *error.
std::optional<QList<PortTarget>> resolvePorts(const QList<PortArgument>& arguments,
                                              const PortMap& ports, QString* error);

// The report file of one port in a folder: "COM3.txt"; a device path with its slashes as
// underscores ("dev_ttyUSB0.txt"), a network address likewise ("rfc2217_host_4001.txt").
QString reportFileName(const PortTarget& target);
