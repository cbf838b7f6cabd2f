#include "cli/port_listing.h"

#include "cli/text_table.h"
#include "link/port_catalog.h"
#include "link/reader_link.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
struct Row {
    int port = 0;
    const NumberedPort* numbered = nullptr;
    QString state;
};

struct Listing {
    QList<Row> rows;
    bool anyUsable = false;
};

Listing probe(const PortCatalog& catalog) {
    Listing listing;
    ReaderLink link(catalog.portMap());
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n) {
        Row row{n, &catalog.numbering().port(n), {}};
        if (!row.numbered->device.isEmpty()) {
            PortError why;
            const qint16 code = link.TestCOM(static_cast<qint16>(n), &why);
            row.state = code == 1 ? QStringLiteral("in use") : portStateWord(why);
            listing.anyUsable = listing.anyUsable || code == 0;
        }
        listing.rows << row;
    }
    return listing;
}

QString dash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}
} // namespace

QString portListing(const PortCatalog& catalog) {
    const Listing listing = probe(catalog);
    QList<QStringList> rows;
    for (const Row& row : listing.rows) {
        QStringList cells{QStringLiteral("COM%1").arg(row.port), dash(row.numbered->device),
                          dash(row.state), dash(originName(row.numbered->origin))};
        // No blanks at the end of a line without a description.
        if (const QString description = deviceDescription(row.numbered->details);
            !description.isEmpty())
            cells << description;
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
    for (const Row& row : listing.rows) {
        const FoundDevice& details = row.numbered->details;
        ports.append(QJsonObject{{QStringLiteral("port"), QStringLiteral("COM%1").arg(row.port)},
                                 {QStringLiteral("device"), row.numbered->device},
                                 {QStringLiteral("state"), row.state},
                                 {QStringLiteral("given"), originName(row.numbered->origin)},
                                 {QStringLiteral("description"), details.description},
                                 {QStringLiteral("maker"), details.maker},
                                 {QStringLiteral("serial"), details.serialNumber}});
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
