#include "ports/port_rows.h"

QList<PortRow> portRows(const PortCatalog& catalog, const QMap<ComPort, PortState>& states) {
    QList<PortRow> rows;
    for (const ComPort port : ComPort::all()) {
        const NumberedPort& numbered = catalog.numbering().port(port);
        const FoundDevice details =
            numbered.found ? numbered.details : detailsOf(catalog.found(), numbered.address);
        rows.append({port, numbered.address, deviceDescription(details), states.value(port).word(),
                     originName(numbered.origin), details});
    }
    return rows;
}

FoundDevice detailsOf(const QList<FoundDevice>& found, const PortAddress& address) {
    if (address.isNetwork())
        return {};
    for (const FoundDevice& device : found) {
        if (isAdapter(device, address.path()))
            return device;
    }
    return {};
}
