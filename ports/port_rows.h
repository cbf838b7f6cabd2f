#pragma once

#include "ports/port_catalog.h"
#include "ports/port_probe.h"

#include <QList>
#include <QMap>
#include <QString>

// One row of COM1 to COM16 as the Ports dialog and the ports command both show it.
struct PortRow {
    ComPort port;
    PortAddress address;
    QString description; // what the system says about the device
    QString state;       // PortState::word(); empty for a free number
    QString given;       // "built-in", "remembered", "this run"; empty for a free number
    FoundDevice details;
};

// The rows of the catalog's numbering with the probe's states.
QList<PortRow> portRows(const PortCatalog& catalog, const QMap<ComPort, PortState>& states);

// The details of the adapter `address` names, if it is one of those found.
FoundDevice detailsOf(const QList<FoundDevice>& found, const PortAddress& address);
