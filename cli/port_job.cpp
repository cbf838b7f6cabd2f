#include "cli/port_job.h"

#include "protocol/settings_words.h"
#include "reader_ops/default_config.h"
#include "reader_ops/identification_verdict.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/settings_report.h"
#include "reader_ops/symbology_identification.h"
#include "reader_ops/verification.h"

namespace {
constexpr int kTickIntervalMs = 50;
// What was written may take a moment to reach the device; a line that takes longer is stuck.
constexpr int kDrainTicks = 20;

PortMap portMapFor(const PortTarget& target) {
    PortMap ports = PortMap::explicitOnly();
    ports.map(target.comNumber > 0 ? target.comNumber : 1, target.device);
    return ports;
}

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
    return judgement.firmwareMatches && judgement.differences.isEmpty() ? PortStatus::Ok
                                                                        : PortStatus::Differs;
}
} // namespace

PortJob::PortJob(const PortTarget& target, Settings settings, LineTrace* trace, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), link_(portMapFor(target)),
      optional_(target.optional) {
    link_.currentPort = static_cast<qint16>(target.comNumber > 0 ? target.comNumber : 1);
    if (target.comNumber == 0)
        link_.setPortLabel(target.label);
    link_.setTrace(trace);
    state_.fillDefaultSettings();
    result_.port = target.label;
    result_.device = target.device;

    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setInterval(kTickIntervalMs);
    connect(&tickTimer_, &QTimer::timeout, &link_, &ReaderLink::advanceTick);
    connect(&link_, &ReaderLink::ticked, this, &PortJob::onTick);
    connect(&link_, &ReaderLink::lineLost, this, [this](const QString& reason) {
        fail(PortStatus::Lost,
             QStringLiteral("the device was lost: ") + systemErrorInWords(reason));
    });
}

void PortJob::start() {
    tickTimer_.start();
    if (!link_.OpenCOM(link_.currentPort)) {
        // As the window's probe: only a port that is there, or in use, is found.
        leftOut_ = optional_ && link_.lastOpenError().kind != PortFailure::Busy;
        fail(PortStatus::OpenFailed, portFailureReason(link_.lastOpenError()));
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

void PortJob::afterTicks(int ticks, Step next) {
    deadline_ = link_.ticks() + ticks;
    pending_ = std::move(next);
}

void PortJob::collect(const QString& code, int ticks, ReaderLink::EarlierInput earlier,
                      std::function<void(const QString&)> next) {
    deadline_ = link_.startCollecting(code, ticks, earlier);
    pending_ = [this, next = std::move(next)] { next(link_.stopCollecting()); };
}

void PortJob::onTick() {
    if (!pending_ || link_.ticks() <= deadline_)
        return;
    const Step step = std::exchange(pending_, nullptr);
    step();
}

void PortJob::verify(std::function<void(const VerificationJudgement&)> next) {
    collect(QStringLiteral("Z3"), kVerificationTicks, ReaderLink::EarlierInput::Discard,
            [this, next = std::move(next)](const QString& reply) {
                const VerificationJudgement judgement =
                    judgeVerification(reply, state_.DefaultSettings,
                                      QString::fromLatin1(kExpectedFirmware), link_.portLabel());
                result_.verified = true;
                result_.status = statusOf(judgement);
                if (judgement.firmware)
                    result_.firmware = judgement.firmware;
                result_.words = judgement.settings;
                result_.differences = judgement.differences;
                for (const QString& warning : judgement.warnings()) {
                    // A second verification on the same port need not say it again.
                    if (!result_.warnings.contains(asLines(warning)))
                        result_.warnings << asLines(warning);
                }
                if (judgement.settings)
                    writeReport(*judgement.settings);
                next(judgement);
            });
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
    verify([this](const VerificationJudgement&) { finish(); });
}

void PortJob::runDefaults() {
    sendDefaultConfiguration(link_);
    result_.sent = true;
    finish();
}

void PortJob::runSave() {
    // As the button after OK: the outcome of the verification does not stop the save.
    verify([this](const VerificationJudgement&) {
        afterTicks(kSaveSettleTicks, [this] {
            link_.SendCommand(QStringLiteral("Z2"));
            result_.sent = true;
            finish();
        });
    });
}

void PortJob::runIdentify() {
    for (const QString& code : identificationCommands())
        link_.SendCommand(code);
    afterTicks(kIdentificationSetupTicks, [this] {
        link_.clearReplyBuffer();
        const auto read = [this] {
            if (finished_ || closing_)
                return;
            collect(QStringLiteral("S7"), kIdentificationReadTicks, ReaderLink::EarlierInput::Keep,
                    [this](const QString& reply) {
                        link_.SendCommand(QStringLiteral("1Y"));
                        result_.decodedReply = reply;
                        if (reply.size() < 2) {
                            result_.status = PortStatus::NotDecoded;
                            result_.warnings << QStringLiteral("The Barcode was not decoded");
                        } else {
                            result_.family = identificationFamilyDigit(reply);
                        }
                        finish();
                    });
        };
        if (settings_.presentBarcode)
            settings_.presentBarcode(result_.port, read);
        else
            read();
    });
}

void PortJob::runSymbologies() {
    verify([this](const VerificationJudgement& judgement) {
        if (!judgement.settings) {
            result_.error = QStringLiteral("the settings words could not be read; nothing was "
                                           "changed");
            finish();
            return;
        }
        const SymbologyBoxes before = boxesFromSettings(*judgement.settings);
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
        for (const QString& code : selectionCommands(wanted))
            link_.SendCommand(code);
        afterTicks(kSaveSettleTicks, [this, wanted] {
            verify([this, wanted](const VerificationJudgement& again) {
                if (!again.settings) {
                    result_.error = QStringLiteral("the settings words could not be read again");
                    finish();
                    return;
                }
                result_.symbologiesAfter = boxesFromSettings(*again.settings);
                result_.status = *result_.symbologiesAfter == boxesAfterSelecting(wanted)
                                     ? PortStatus::Ok
                                     : PortStatus::NotApplied;
                finish();
            });
        });
    });
}

void PortJob::finish() {
    if (finished_)
        return;
    closing_ = true;
    pending_ = nullptr;
    if (link_.isOpen() && link_.pendingOutput() > 0 && drainTicks_++ < kDrainTicks) {
        // Looked at again on the next tick.
        afterTicks(0, [this] { finish(); });
        return;
    }
    link_.CloseCOM();
    tickTimer_.stop();
    finished_ = true;
    emit finished();
}

void PortJob::fail(PortStatus status, const QString& error) {
    if (finished_)
        return;
    if (!closing_) {
        result_.status = status;
        result_.error = error;
    }
    pending_ = nullptr;
    link_.CloseCOM();
    tickTimer_.stop();
    finished_ = true;
    emit finished();
}
