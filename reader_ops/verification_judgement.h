#pragma once

#include "reader_ops/reader_state.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

// How far a verification got; only SettingsRead means ReaderSettings holds this reader's words.
enum class VerificationOutcome {
    NoResponse, // no "Ver." in the reply
    NoSettings, // an identifier, but no complete settings block
    SettingsRead,
};

// The warning for settings words that differ from the expected ones.
inline constexpr char kSettingsDifferWarning[] = "Settings are different from Default values";

// One settings word that differs from what a correctly configured reader reports.
struct WordDifference {
    int index = 0;
    qint32 expected = 0;
    qint32 read = 0;
    friend bool operator==(const WordDifference&, const WordDifference&) = default;
};

// What the operator is told, in the order it happens: a warning, or the status display.
struct VerificationStep {
    enum class Kind { Warning, Status };
    Kind kind = Kind::Warning;
    QString text;        // the warning
    bool online = false; // the status
    QString details;     // under the warning's "Show Details...", if any
};

// Everything a reply to "Z3" means, decided without a line, a window or a file.
struct VerificationJudgement {
    VerificationOutcome outcome = VerificationOutcome::NoResponse;
    std::optional<QString> firmware; // the identifier found, to show and keep
    bool firmwareMatches = false;
    std::optional<SettingsTable> settings; // the words read, when the block was complete
    QList<WordDifference> differences;     // against the expected words, in index order
    QList<VerificationStep> steps;

    bool online() const; // the status the verification leaves shown
    QStringList warnings() const;
    // The report is rewritten exactly when this reader's words were read.
    bool writesReport() const { return settings.has_value(); }
};

// Judges `reply` against the expected words and firmware; `port` names COMn in the messages.
VerificationJudgement judgeVerification(const QString& reply, const SettingsTable& expected,
                                        const QString& expectedFirmware, qint16 port);
// The same for a port named otherwise ("COM3", or a device path).
VerificationJudgement judgeVerification(const QString& reply, const SettingsTable& expected,
                                        const QString& expectedFirmware, const QString& portName);
