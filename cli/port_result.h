#pragma once

#include "cli/command_line.h"
#include "reader_ops/reader_state.h"
#include "reader_ops/verification_judgement.h"
#include "symbols/symbology_selection.h"

#include <QJsonDocument>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// How one port's command ended, worst last.
enum class PortStatus {
    Ok,           // the reader answered and matches, or the command did its work
    Differs,      // firmware or settings words differ from the expected ones
    InvalidReply, // an identifier, but no complete settings block
    NoAnswer,     // nothing with "Ver." came back
    NotDecoded,   // identify: no barcode was read
    NotApplied,   // symbologies: the reader does not show the selection asked for
    TooSlow,      // the network's round trip is too long to judge the reader: nothing was sent
    OpenFailed,   // the port could not be opened
    Lost,         // the device vanished during the command
};

// What a command found on one port: what the table and the JSON document show.
struct PortResult {
    QString port;
    QString device;
    PortStatus status = PortStatus::Ok;
    QString error;                     // why the port could not be used
    QStringList warnings;              // what the window would show in message boxes, one line each
    std::optional<double> roundTripMs; // the network's, as last measured; none on a local line

    // The verification, when it ran ("Z3").
    bool verified = false;
    std::optional<QString> firmware;
    std::optional<SettingsTable> words; // the 39 words read
    QList<WordDifference> differences;
    QList<VerificationReply::BadField> badFields; // fields that were not four hex digits
    QString report;                               // the report file written
    QString reportError;                          // why the report asked for was not written
    // What the words were compared with: "defaults", or the settings report's path.
    QString expectation = QStringLiteral("defaults");

    bool sent = false; // defaults: the batch went out; save: "Z2" went out

    std::optional<SymbologyBoxes> symbologies;      // as read first
    std::optional<SymbologyBoxes> symbologiesAfter; // after the change, read again

    // identify
    QString decodedReply; // what the read collected
    int family = -1;      // the family digit, -1 before the read
};

// The status word of the table and the JSON document: "ok", "differs", "no-answer", ...
QString statusName(PortStatus status);

// 0 all good; 1 some reader differs, did not answer or decode, or a report was not written;
// 3 some port could not be opened, was lost, or is behind a network too slow to judge it.
int exitStatus(const QList<PortResult>& results);

// The warnings as lines for standard error, each naming its port.
QStringList warningLines(const QList<PortResult>& results);

// The readable table of a command's results.
QString resultTable(SubCommand command, const QList<PortResult>& results);

// One document: {"command", "exitStatus", "ports": [...]}; see the README for the fields.
QJsonDocument resultJson(SubCommand command, const QList<PortResult>& results);
// The same when the command ended before or without its ports: `error` says why.
QJsonDocument resultJson(SubCommand command, const QList<PortResult>& results, int status,
                         const QString& error);
