#include "cli/port_result.h"

#include "cli/text_table.h"
#include "protocol/hex_format.h"
#include "protocol/settings_words.h"
#include "reader_ops/identification_verdict.h"
#include "symbols/symbology_rows.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
QString hex4(qint32 value) {
    return QString::fromLatin1(fourDigitHex(static_cast<quint32>(value)));
}

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QString expectedFirmware() {
    return QString::fromLatin1(kExpectedFirmware);
}

QString firmwareCell(const PortResult& r) {
    return r.firmware ? r.firmware->trimmed() : QStringLiteral("-");
}

QString differenceText(const WordDifference& d) {
    return QStringLiteral("word %1: %2 (expected %3)")
        .arg(d.index)
        .arg(hex4(d.read), hex4(d.expected));
}

// What went wrong, or what was found, in a few words.
QString verificationDetails(const PortResult& r) {
    switch (r.status) {
    case PortStatus::OpenFailed:
    case PortStatus::Lost:
    case PortStatus::TooSlow:
        return r.error;
    case PortStatus::NoAnswer:
        return QStringLiteral("no answer to \"Z3\"");
    case PortStatus::InvalidReply:
        return r.error.isEmpty() ? QStringLiteral("no complete settings block in the reply")
                                 : r.error;
    default:
        break;
    }
    QStringList parts;
    if (r.firmware && *r.firmware != expectedFirmware())
        parts << QStringLiteral("firmware %1 (expected %2)")
                     .arg(quoted(*r.firmware), quoted(expectedFirmware()));
    for (const WordDifference& d : r.differences)
        parts << differenceText(d);
    return parts.isEmpty() ? QStringLiteral("as expected") : parts.join(QStringLiteral("; "));
}

// Decoded data as a terminal shows it safely: control characters as "?".
QString printable(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString symbologyName(int row) {
    return symbologyRows()[static_cast<std::size_t>(row)].caption;
}

QString symbologiesTable(const PortResult& r) {
    QString text =
        QStringLiteral("%1 (%2): %3")
            .arg(escapedControls(r.port), escapedControls(r.device), statusName(r.status));
    if (!r.error.isEmpty())
        text += QStringLiteral(": ") + r.error;
    text += u'\n';
    if (!r.symbologies)
        return text;
    QStringList header{QStringLiteral("Symbology"), QStringLiteral("State")};
    if (r.symbologiesAfter)
        header = {QStringLiteral("Symbology"), QStringLiteral("Before"), QStringLiteral("After")};
    QList<QStringList> rows;
    for (int i = 0; i < kSymbologyCount; ++i) {
        QStringList row{symbologyName(i), onOff((*r.symbologies)[static_cast<std::size_t>(i)])};
        if (r.symbologiesAfter)
            row << onOff((*r.symbologiesAfter)[static_cast<std::size_t>(i)]);
        rows << row;
    }
    return text + alignedColumns(header, rows);
}

QJsonValue textOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonObject symbologiesJson(const SymbologyBoxes& boxes) {
    QJsonObject object;
    for (int i = 0; i < kSymbologyCount; ++i)
        object.insert(symbologyName(i), boxes[static_cast<std::size_t>(i)]);
    return object;
}

QJsonObject portJson(SubCommand command, const PortResult& r) {
    QJsonObject port{{QStringLiteral("port"), r.port},
                     {QStringLiteral("device"), r.device},
                     {QStringLiteral("status"), statusName(r.status)},
                     {QStringLiteral("error"), textOrNull(r.error)},
                     {QStringLiteral("warnings"), QJsonArray::fromStringList(r.warnings)},
                     {QStringLiteral("roundTripMs"),
                      r.roundTripMs ? QJsonValue(qRound(*r.roundTripMs)) : QJsonValue()}};
    const bool verifies = command == SubCommand::Verify || command == SubCommand::Save ||
                          command == SubCommand::Symbologies;
    if (verifies) {
        port.insert(QStringLiteral("firmware"),
                    QJsonObject{{QStringLiteral("found"),
                                 r.firmware ? QJsonValue(*r.firmware) : QJsonValue()},
                                {QStringLiteral("expected"), expectedFirmware()}});
        QJsonValue words;
        if (r.words) {
            QJsonArray list;
            for (int k = 0; k < kSettingsWordCount; ++k)
                list.append(hex4((*r.words)[static_cast<std::size_t>(k)]));
            words = list;
        }
        port.insert(QStringLiteral("words"), words);
        QJsonArray differences;
        for (const WordDifference& d : r.differences)
            differences.append(QJsonObject{{QStringLiteral("index"), d.index},
                                           {QStringLiteral("expected"), hex4(d.expected)},
                                           {QStringLiteral("read"), hex4(d.read)}});
        port.insert(QStringLiteral("differences"), differences);
        QJsonArray invalidFields;
        for (const VerificationReply::BadField& field : r.badFields)
            invalidFields.append(QJsonObject{{QStringLiteral("index"), field.word},
                                             {QStringLiteral("read"), field.text}});
        port.insert(QStringLiteral("invalidFields"), invalidFields);
        port.insert(QStringLiteral("expected"), r.expectation);
        port.insert(QStringLiteral("report"), textOrNull(r.report));
    }
    switch (command) {
    case SubCommand::Save:
        port.insert(QStringLiteral("saved"), r.sent);
        break;
    case SubCommand::Defaults:
        port.insert(QStringLiteral("sent"), r.sent);
        break;
    case SubCommand::Symbologies:
        port.insert(QStringLiteral("symbologies"),
                    r.symbologies ? QJsonValue(symbologiesJson(*r.symbologies)) : QJsonValue());
        port.insert(QStringLiteral("symbologiesAfter"),
                    r.symbologiesAfter ? QJsonValue(symbologiesJson(*r.symbologiesAfter))
                                       : QJsonValue());
        break;
    case SubCommand::Identify: {
        const QString name = identificationFamilyName(r.family);
        port.insert(QStringLiteral("family"), r.family < 0 ? QJsonValue() : QJsonValue(r.family));
        port.insert(QStringLiteral("symbology"),
                    r.family == 0 ? QJsonValue(QStringLiteral("Unknown")) : textOrNull(name));
        port.insert(QStringLiteral("decoded"),
                    r.family > 0 ? r.decodedReply.mid(2) : r.decodedReply);
        break;
    }
    default:
        break;
    }
    return port;
}
} // namespace

QString statusName(PortStatus status) {
    switch (status) {
    case PortStatus::Ok:
        return QStringLiteral("ok");
    case PortStatus::Differs:
        return QStringLiteral("differs");
    case PortStatus::InvalidReply:
        return QStringLiteral("invalid-reply");
    case PortStatus::NoAnswer:
        return QStringLiteral("no-answer");
    case PortStatus::NotDecoded:
        return QStringLiteral("not-decoded");
    case PortStatus::NotApplied:
        return QStringLiteral("not-applied");
    case PortStatus::TooSlow:
        return QStringLiteral("too-slow");
    case PortStatus::OpenFailed:
        return QStringLiteral("open-failed");
    case PortStatus::Lost:
        return QStringLiteral("lost");
    }
    return {};
}

int exitStatus(const QList<PortResult>& results) {
    int status = 0;
    for (const PortResult& r : results) {
        if (r.status == PortStatus::OpenFailed || r.status == PortStatus::Lost ||
            r.status == PortStatus::TooSlow)
            status = 3;
        else if ((r.status != PortStatus::Ok || !r.reportError.isEmpty()) && status == 0)
            status = 1;
    }
    return status;
}

QStringList warningLines(const QList<PortResult>& results) {
    QStringList lines;
    for (const PortResult& r : results) {
        for (const QString& warning : r.warnings)
            lines << r.port + QStringLiteral(": ") + QString(warning).replace(u'\n', u' ');
    }
    return lines;
}

QString resultTable(SubCommand command, const QList<PortResult>& results) {
    if (command == SubCommand::Symbologies && results.size() == 1)
        return symbologiesTable(results.constFirst());
    QStringList header{QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("Status")};
    bool reports = false;
    for (const PortResult& r : results)
        reports = reports || !r.report.isEmpty();
    switch (command) {
    case SubCommand::Defaults:
        header << QStringLiteral("Details");
        break;
    case SubCommand::Identify:
        header << QStringLiteral("Symbology") << QStringLiteral("Decoded");
        break;
    case SubCommand::Save:
        header << QStringLiteral("Saved");
        [[fallthrough]];
    default:
        header << QStringLiteral("Firmware") << QStringLiteral("Details");
        if (reports)
            header << QStringLiteral("Report");
        break;
    }
    QList<QStringList> rows;
    for (const PortResult& r : results) {
        QStringList row{r.port, r.device.isEmpty() ? QStringLiteral("-") : r.device,
                        statusName(r.status)};
        switch (command) {
        case SubCommand::Defaults:
            row << (r.sent ? QStringLiteral("VORN defaults sent") : r.error);
            break;
        case SubCommand::Identify:
            if (!r.error.isEmpty()) {
                row << QStringLiteral("-") << r.error;
            } else if (r.family < 0 || r.status == PortStatus::NotDecoded) {
                row << QStringLiteral("-") << QStringLiteral("-");
            } else {
                const QString name = identificationFamilyName(r.family);
                row << (r.family == 0    ? QStringLiteral("Unknown")
                        : name.isEmpty() ? QStringLiteral("-")
                                         : name)
                    << printable(r.family > 0 ? r.decodedReply.mid(2) : r.decodedReply);
            }
            break;
        case SubCommand::Save:
            row << (r.sent ? QStringLiteral("yes") : QStringLiteral("no"));
            [[fallthrough]];
        default:
            row << firmwareCell(r) << verificationDetails(r);
            if (reports)
                row << (r.report.isEmpty() ? QStringLiteral("-") : r.report);
            break;
        }
        rows << row;
    }
    return alignedColumns(header, rows);
}

QJsonDocument resultJson(SubCommand command, const QList<PortResult>& results) {
    return resultJson(command, results, exitStatus(results), {});
}

QJsonDocument resultJson(SubCommand command, const QList<PortResult>& results, int status,
                         const QString& error) {
    QJsonArray ports;
    for (const PortResult& r : results)
        ports.append(portJson(command, r));
    QJsonObject document{{QStringLiteral("command"), subCommandName(command)},
                         {QStringLiteral("exitStatus"), status},
                         {QStringLiteral("ports"), ports}};
    if (!error.isEmpty())
        document.insert(QStringLiteral("error"), error);
    return QJsonDocument(document);
}
