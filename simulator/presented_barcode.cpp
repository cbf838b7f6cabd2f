#include "simulator/presented_barcode.h"

#include <QStringList>
#include <iterator>

QByteArray readOutput(const PresentedBarcode& barcode, bool identifierActive) {
    if (!identifierActive || barcode.family == 0)
        return barcode.data;
    return QByteArray(1, '\x02') + QByteArray::number(barcode.family) + barcode.data;
}

namespace {
// In family-digit order.
constexpr const char* kFamilyNames[] = {"none",    "code39", "codabar", "2of5",
                                        "code128", "upc",    "ean"};

std::optional<int> familyFromText(const QString& text) {
    if (text.size() == 1 && text.at(0).unicode() >= u'0' && text.at(0).unicode() <= u'9')
        return text.at(0).unicode() - u'0';
    for (int digit = 0; digit < int(std::size(kFamilyNames)); ++digit) {
        if (text.compare(QLatin1String(kFamilyNames[digit]), Qt::CaseInsensitive) == 0)
            return digit;
    }
    return std::nullopt;
}
} // namespace

std::optional<PresentedBarcode> parseBarcode(const QString& text, QString* error) {
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        *error = QStringLiteral("expected FAMILY:DATA, got '%1'").arg(text);
        return std::nullopt;
    }
    const auto family = familyFromText(text.left(colon));
    if (!family) {
        QStringList names;
        for (const char* name : kFamilyNames)
            names << QLatin1String(name);
        *error = QStringLiteral("unknown family '%1': a digit 0..9 or one of %2")
                     .arg(text.left(colon), names.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    const QString data = text.mid(colon + 1);
    for (const QChar c : data) {
        if (c.unicode() > 0xFF) {
            *error = QStringLiteral("barcode data: only Latin-1 characters are possible");
            return std::nullopt;
        }
    }
    return PresentedBarcode{*family, data.toLatin1()};
}
