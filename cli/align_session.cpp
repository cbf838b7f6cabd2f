#include "cli/align_session.h"

#include "link/round_trip.h"

namespace {
QString fraction(float v) {
    return QString::number(static_cast<double>(v), 'f', 3);
}

} // namespace

AlignmentReading alignmentReading(int number, const AlignmentMeasure& measure) {
    AlignmentReading reading;
    reading.number = number;
    // As the window: no marker unless the balance is above 0.
    reading.found = measure.balance > 0;
    reading.across = measure.balance;
    reading.along = measure.centrePosition;
    reading.inside = reading.found && insideAlignmentBand(measure.balance) &&
                     insideAlignmentBand(measure.centrePosition);
    reading.distance = measure.distanceFraction > 0 ? measure.distanceFraction : -1;
    return reading;
}

QString alignmentHeader() {
    return QStringLiteral("Report  Across  Along  Inside  Distance");
}

QString alignmentLine(const AlignmentReading& r) {
    const QString none = QStringLiteral("-");
    return QStringLiteral("%1  %2  %3  %4  %5")
        .arg(r.number, 6)
        .arg(r.found ? fraction(r.across) : none, -6)
        .arg(r.found ? fraction(r.along) : none, -5)
        .arg(r.inside ? QStringLiteral("yes") : QStringLiteral("no"), -6)
        .arg(r.distance > 0 ? fraction(r.distance) : none);
}

QJsonObject alignmentJson(const AlignmentReading& r) {
    const auto value = [](bool known, float v) {
        return known ? QJsonValue(static_cast<double>(v)) : QJsonValue();
    };
    return {{QStringLiteral("report"), r.number},
            {QStringLiteral("found"), r.found},
            {QStringLiteral("across"), value(r.found, r.across)},
            {QStringLiteral("along"), value(r.found, r.along)},
            {QStringLiteral("inside"), r.inside},
            {QStringLiteral("distance"), value(r.distance > 0, r.distance)}};
}

AlignSession::AlignSession(const PortTarget& target, int reports, bool sideLook,
                           double timeoutSeconds, LineTrace* trace, TransportFactory transports,
                           QObject* parent)
    : QObject(parent), line_(target, trace, std::move(transports)), player_(line_.link(), nullptr),
      reports_(reports), timeoutMs_(qRound64(timeoutSeconds * 1000)), sideLook_(sideLook) {
    result_.port = target.label;
    result_.device = target.address.text();

    cycleTimer_.setTimerType(Qt::PreciseTimer);
    cycleTimer_.setInterval(kAlignCycleIntervalMs);
    connect(&cycleTimer_, &QTimer::timeout, this, &AlignSession::onCycleTick);
    ReaderLink& link = line_.link();
    connect(&link, &ReaderLink::openFinished, this, &AlignSession::onOpened);
    connect(&link, &ReaderLink::lineLost, this, [this](const QString& reason) {
        result_.status = PortStatus::Lost;
        result_.error = QStringLiteral("the device was lost: ") + reason;
        end();
    });
}

void AlignSession::OnComm() {
    alignment_.OnComm();
}

void AlignSession::start() {
    line_.startTicking();
    line_.link().openAsync(line_.comNumber());
}

void AlignSession::onOpened(bool ok) {
    if (finished_)
        return;
    if (!ok) {
        result_.status = PortStatus::OpenFailed;
        result_.error = portFailureReason(line_.link().lastOpenError());
        end();
        return;
    }
    if (const auto tooSlow = networkTooSlow(line_.link().roundTripMs())) {
        result_.status = PortStatus::TooSlow;
        result_.error = *tooSlow;
        end();
        return;
    }
    line_.link().setReceiver(this);
    sinceReport_.start();
    cycleTimer_.start();
    alignment_.start();
}

void AlignSession::onCycleTick() {
    const AlignCycle::TickResult step = alignment_.tick();
    switch (step.step) {
    case AlignCycle::Step::Process:
        sinceReport_.restart();
        emit measured(alignmentReading(++measuredCount_, measureReport(step.report, sideLook_)));
        if (reports_ > 0 && measuredCount_ >= reports_) {
            stop();
            return;
        }
        break;
    case AlignCycle::Step::NoReports:
        emit noReports();
        break;
    case AlignCycle::Step::Request:
    case AlignCycle::Step::None:
        break;
    }
    if (sinceReport_.hasExpired(timeoutMs_)) {
        result_.status = PortStatus::NoAnswer;
        result_.error = QStringLiteral("no report from the reader for %1 s")
                            .arg(static_cast<double>(timeoutMs_) / 1000.0);
        stop();
    }
}

void AlignSession::stop() {
    if (stopping_ || finished_)
        return;
    stopping_ = true;
    cycleTimer_.stop();
    if (!line_.link().isOpen()) {
        end();
        return;
    }
    alignment_.exit();
    player_.drain([this] { end(); });
}

void AlignSession::end() {
    if (finished_)
        return;
    cycleTimer_.stop();
    line_.link().setReceiver(nullptr);
    result_.roundTripMs = line_.link().roundTripMs();
    line_.close();
    // Fewer reports than asked for, or none at all, is no success.
    if (result_.status == PortStatus::Ok) {
        if (measuredCount_ == 0) {
            result_.status = PortStatus::NoAnswer;
            result_.error = QStringLiteral("no reports from the reader");
        } else if (reports_ > 0 && measuredCount_ < reports_) {
            result_.status = PortStatus::NoAnswer;
            result_.error =
                QStringLiteral("stopped after %1 of %2 reports").arg(measuredCount_).arg(reports_);
        }
    }
    finished_ = true;
    emit finished();
}
