#include "cli/port_listing.h"

#include "cli/text_table.h"
#include "ports/port_probe.h"
#include "ports/port_rows.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>

namespace {
struct Listing {
    QList<PortRow> rows;
    bool anyUsable = false;
};

// Every port probed at once: the network ones in parallel, so the whole takes one connect
// bound however many there are.
Listing probe(const PortCatalog& catalog) {
    PortProbe probe;
    probe.start(catalog.portMap(), {});
    if (probe.isRunning()) {
        QEventLoop loop;
        QObject::connect(&probe, &PortProbe::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    Listing listing{portRows(catalog, probe.states()), false};
    for (const PortState& state : probe.states())
        listing.anyUsable = listing.anyUsable || state.kind == PortState::Kind::Present;
    return listing;
}

QString dash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString portListing(const PortCatalog& catalog) {
    const Listing listing = probe(catalog);
    QList<QStringList> rows;
    for (const PortRow& row : listing.rows) {
        QStringList cells{row.port.label(), dash(row.address.text()), dash(row.state),
                          dash(row.given)};
        // No blanks at the end of a line without a description.
        if (!row.description.isEmpty())
            cells << row.description;
        rows.append(cells);
    }
    QString text =
        alignedColumns({QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("State"),
                        QStringLiteral("Given"), QStringLiteral("Description")},
                       rows);
    for (const FoundDevice& device : catalog.numbering().unnumbered) {
        text += QStringLiteral("\nNo COM number is free for %1%2. Free one with "
                               "\"ksr-utility ports free COMn\" or in the Ports dialog.\n")
                    .arg(escapedControls(device.path),
                         deviceDescription(device).isEmpty()
                             ? QString()
                             : QStringLiteral(" (%1)").arg(deviceDescription(device)));
    }
    if (!listing.anyUsable)
        text += u'\n' + noUsablePortAdvice(int(catalog.found().size())) + u'\n';
    text += QStringLiteral("\nNumbers are remembered in %1.\n").arg(catalog.store().path());
    return text;
}

QJsonDocument portListingJson(const PortCatalog& catalog) {
    const Listing listing = probe(catalog);
    QJsonArray ports;
    for (const PortRow& row : listing.rows) {
        ports.append(QJsonObject{{QStringLiteral("port"), row.port.label()},
                                 {QStringLiteral("device"), row.address.text()},
                                 {QStringLiteral("state"), row.state},
                                 {QStringLiteral("given"), row.given},
                                 {QStringLiteral("description"), row.details.description},
                                 {QStringLiteral("maker"), row.details.maker},
                                 {QStringLiteral("serial"), row.details.serialNumber}});
    }
    QJsonArray unnumbered;
    for (const FoundDevice& device : catalog.numbering().unnumbered)
        unnumbered.append(device.path);
    QJsonObject document{{QStringLiteral("ports"), ports},
                         {QStringLiteral("unnumbered"), unnumbered},
                         {QStringLiteral("file"), catalog.store().path()}};
    if (!listing.anyUsable)
        document.insert(QStringLiteral("advice"), noUsablePortAdvice(int(catalog.found().size())));
    if (!catalog.storeProblem().isEmpty())
        document.insert(QStringLiteral("problem"), catalog.storeProblem());
    return QJsonDocument(document);
}
