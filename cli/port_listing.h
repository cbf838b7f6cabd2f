#pragma once

#include <QJsonDocument>
#include <QString>

class PortCatalog;

// COM1 to COM16 as the catalog numbers them, each with its device, state (each one probed),
// how its number was given and what the system says about it; then the devices that got no
// number, and what to do when none of the ports can be used.
QString portListing(const PortCatalog& catalog);
QJsonDocument portListingJson(const PortCatalog& catalog);
