#include "cli/port_job.h"

#include "link/round_trip.h"
#include "protocol/settings_words.h"
#include "reader_ops/default_config.h"
#include "reader_ops/identification_verdict.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/symbology_identification.h"
#include "reader_ops/verification.h"

namespace {
QString asLines(QString text) {
    return text.replace(u'\r', u'\n');
}

PortStatus statusOf(const VerificationJudgement& judgement) {
    switch (judgement.outcome) {
    case VerificationOutcome::NoResponse:
        return PortStatus::NoAnswer;
    case VerificationOutcome::NoSettings:
        return PortStatus::InvalidReply;
    case VerificationOutcome::SettingsRead:
        break;
    }
    if (!judgement.badFields.isEmpty())
        return PortStatus::InvalidReply;
    return judgement.firmwareMatches && judgement.differences.isEmpty() ? PortStatus::Ok
                                                                        : PortStatus::Differs;
}
} // namespace

PortJob::PortJob(const PortTarget& target, Settings settings, LineTrace* trace, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), line_(target, trace, settings_.transports),
      player_(line_.link(),
              [this](const Prompt& prompt, std::function<void(PromptAnswer)> answer) {
                  askOperator(prompt, std::move(answer));
              }),
      optional_(target.optional) {
    state_.fillDefaultSettings();
    if (settings_.expectedWords)
        state_.DefaultSettings = *settings_.expectedWords;
    result_.expectation =
        settings_.expectedWords ? settings_.expectPath : QStringLiteral("defaults");
    result_.port = target.label;
    result_.device = target.address.text();
    ReaderLink& link = line_.link();
    connect(&link, &ReaderLink::openFinished, this, &PortJob::onOpened);
    connect(&link, &ReaderLink::lineLost, this, [this](const QString& reason) {
        fail(PortStatus::Lost,
             QStringLiteral("the device was lost: ") + systemErrorInWords(reason));
    });
}

void PortJob::start() {
    line_.startTicking();
    line_.link().openAsync(line_.comNumber());
}

void PortJob::onOpened(bool ok) {
    if (finished_)
        return;
    if (!ok) {
        const PortError& why = line_.link().lastOpenError();
        // As the window's probe: only a port that is there, or in use, is found.
        leftOut_ = optional_ && why.kind != PortFailure::Busy;
        fail(PortStatus::OpenFailed, portFailureReason(why));
        return;
    }
    // The default batch judges nothing, so it goes out over any network.
    const auto tooSlow = networkTooSlow(line_.link().roundTripMs());
    if (tooSlow && settings_.command != SubCommand::Defaults) {
        fail(PortStatus::TooSlow, *tooSlow);
        return;
    }
    switch (settings_.command) {
    case SubCommand::Verify:
        runVerify();
        break;
    case SubCommand::Defaults:
        runDefaults();
        break;
    case SubCommand::Save:
        runSave();
        break;
    case SubCommand::Identify:
        runIdentify();
        break;
    case SubCommand::Symbologies:
        runSymbologies();
        break;
    default:
        finish();
        break;
    }
}

void PortJob::askOperator(const Prompt& prompt, std::function<void(PromptAnswer)> answer) {
    // The save was confirmed once for every port before any started; the barcode is presented
    // when the operator says so, or at once with no one to ask.
    if (settings_.command == SubCommand::Identify && settings_.presentBarcode) {
        settings_.presentBarcode(result_.port, [answer] { answer(PromptAnswer::Ok); });
        return;
    }
    Q_UNUSED(prompt);
    answer(PromptAnswer::Ok);
}

VerificationJudgement PortJob::takeVerification(const QString& reply) {
    VerificationJudgement judgement =
        judgeVerification(reply, state_.DefaultSettings, QString::fromLatin1(kExpectedFirmware),
                          line_.link().portLabel());
    result_.verified = true;
    result_.status = statusOf(judgement);
    if (judgement.firmware)
        result_.firmware = judgement.firmware;
    result_.badFields = judgement.badFields;
    if (!judgement.badFields.isEmpty()) {
        // A damaged block is not this reader's settings: nothing is compared, used or reported.
        judgement.settings.reset();
        judgement.differences.clear();
        judgement.steps.removeIf(
            [](const VerificationStep& step) { return !step.details.isEmpty(); });
        result_.error = QStringLiteral("invalid reply: ") +
                        badFieldsText(judgement.badFields).replace(u'\r', QStringLiteral("; "));
    }
    result_.words = judgement.settings;
    result_.differences = judgement.differences;
    for (QString warning : judgement.warnings()) {
        // Against a plant's baseline the defaults are not what differs.
        if (settings_.expectedWords && warning == QLatin1String(kSettingsDifferWarning))
            warning = QStringLiteral("Settings are different from the expected values in ") +
                      settings_.expectPath;
        // A second verification on the same port need not say it again.
        if (!result_.warnings.contains(asLines(warning)))
            result_.warnings << asLines(warning);
    }
    if (judgement.settings)
        writeReport(*judgement.settings);
    return judgement;
}

void PortJob::writeReport(const SettingsTable& words) {
    if (settings_.reportPath.isEmpty())
        return;
    QString error;
    if (writeSettingsReport(settings_.reportPath, words, &error)) {
        result_.report = settings_.reportPath;
        result_.reportError.clear();
        return;
    }
    result_.report.clear();
    result_.reportError = error;
    result_.warnings << QStringLiteral("The settings report could not be written to ") +
                            settings_.reportPath + u'\n' + error;
}

void PortJob::runVerify() {
    player_.play(verificationExchange([this](const QString& reply) { takeVerification(reply); }),
                 [this](const ExchangeOutcome&) { finish(); });
}

void PortJob::runDefaults() {
    player_.play(defaultConfigurationExchange(), [this](const ExchangeOutcome& outcome) {
        result_.sent = outcome.delivered();
        if (!result_.sent)
            result_.error = QStringLiteral("the commands did not all go out");
        finish();
    });
}

void PortJob::runSave() {
    // As the button after OK: the outcome of the verification does not stop the save.
    player_.play(permanentSaveExchange([this](const QString& reply) { takeVerification(reply); }),
                 [this](const ExchangeOutcome& outcome) {
                     result_.sent = saveOutcome(outcome) == SaveOutcome::Sent;
                     if (!result_.sent)
                         result_.error = QStringLiteral("\"Z2\" did not go out: nothing was saved");
                     finish();
                 });
}

void PortJob::runIdentify() {
    player_.play(identificationExchange([this](const QString& read) {
                     result_.decodedReply = read;
                     if (read.size() < 2) {
                         result_.status = PortStatus::NotDecoded;
                         result_.warnings << QStringLiteral("The Barcode was not decoded");
                     } else {
                         result_.family = identificationFamilyDigit(read);
                     }
                 }),
                 [this](const ExchangeOutcome&) { finish(); });
}

void PortJob::runSymbologies() {
    auto words = std::make_shared<std::optional<SettingsTable>>();
    player_.play(verificationExchange([this, words](const QString& reply) {
                     *words = takeVerification(reply).settings;
                 }),
                 [this, words](const ExchangeOutcome&) {
                     if (!*words) {
                         if (result_.error.isEmpty())
                             result_.error = QStringLiteral("the settings words could not be read");
                         result_.error += QStringLiteral("; nothing was changed");
                         finish();
                         return;
                     }
                     applySymbologies(**words);
                 });
}

void PortJob::applySymbologies(const SettingsTable& words) {
    const SymbologyBoxes before = boxesFromSettings(words);
    result_.symbologies = before;
    result_.status = PortStatus::Ok;
    if (settings_.enable.isEmpty() && settings_.disable.isEmpty()) {
        finish();
        return;
    }
    SymbologyBoxes wanted = before;
    for (const int row : settings_.enable)
        wanted[static_cast<std::size_t>(row)] = true;
    for (const int row : settings_.disable)
        wanted[static_cast<std::size_t>(row)] = false;
    const SymbologyBoxes shown = boxesAfterSelecting(wanted);
    for (int i = 0; i < kSymbologyCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (wanted[at] != shown[at])
            result_.warnings << QStringLiteral("%1 is read from the same settings bits as "
                                               "another symbology that stays on: it will "
                                               "still show as on")
                                    .arg(symbologyRows()[at].caption);
    }
    // What the dialog's OK sends for these boxes, then a fresh look at the reader.
    auto again = std::make_shared<std::optional<SettingsTable>>();
    const Exchange change = selectionExchange(wanted)
                                .wait(kSaveSettleTicks)
                                .then(verificationExchange([this, again](const QString& reply) {
                                    *again = takeVerification(reply).settings;
                                }));
    player_.play(change, [this, again, wanted](const ExchangeOutcome&) {
        if (!*again) {
            if (result_.error.isEmpty())
                result_.error = QStringLiteral("the settings words could not be read again");
            finish();
            return;
        }
        result_.symbologiesAfter = boxesFromSettings(**again);
        result_.status = *result_.symbologiesAfter == boxesAfterSelecting(wanted)
                             ? PortStatus::Ok
                             : PortStatus::NotApplied;
        finish();
    });
}

void PortJob::finish() {
    if (finished_ || closing_)
        return;
    closing_ = true;
    player_.drain([this] { end(); });
}

void PortJob::fail(PortStatus status, const QString& error) {
    if (finished_)
        return;
    result_.status = status;
    result_.error = error;
    // A line lost on the way proves nothing went where it should: nothing is claimed.
    result_.sent = false;
    player_.abandon();
    end();
}

void PortJob::end() {
    if (finished_)
        return;
    result_.roundTripMs = line_.link().roundTripMs();
    line_.close();
    finished_ = true;
    emit finished();
}
