#include "cli/align_session.h"

namespace {
constexpr int kCycleIntervalMs = 100;
constexpr int kTickIntervalMs = 50;
constexpr int kDrainTicks = 20;

bool inBand(float v) {
    return v >= 0.4f && v <= 0.6f;
}

QString fraction(float v) {
    return QString::number(static_cast<double>(v), 'f', 3);
}

PortMap portMapFor(const PortTarget& target) {
    PortMap ports = PortMap::explicitOnly();
    ports.map(target.comNumber > 0 ? target.comNumber : 1, target.device);
    return ports;
}
} // namespace

AlignmentReading alignmentReading(int number, const AlignmentMeasure& measure) {
    AlignmentReading reading;
    reading.number = number;
    // As the window: no marker unless the balance is above 0.
    reading.found = measure.balance > 0;
    reading.across = measure.balance;
    reading.along = measure.centrePosition;
    reading.inside = reading.found && inBand(measure.balance) && inBand(measure.centrePosition);
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

AlignSession::AlignSession(const PortTarget& target, int reports, bool sideLook, LineTrace* trace,
                           QObject* parent)
    : QObject(parent), link_(portMapFor(target)), reports_(reports), sideLook_(sideLook) {
    link_.currentPort = static_cast<qint16>(target.comNumber > 0 ? target.comNumber : 1);
    if (target.comNumber == 0)
        link_.setPortLabel(target.label);
    link_.setTrace(trace);
    result_.port = target.label;
    result_.device = target.device;

    cycleTimer_.setTimerType(Qt::PreciseTimer);
    cycleTimer_.setInterval(kCycleIntervalMs);
    connect(&cycleTimer_, &QTimer::timeout, this, &AlignSession::onCycleTick);
    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setInterval(kTickIntervalMs);
    connect(&tickTimer_, &QTimer::timeout, &link_, &ReaderLink::advanceTick);
    connect(&link_, &ReaderLink::ticked, this, &AlignSession::onDrainTick);
    connect(&link_, &ReaderLink::lineLost, this, [this](const QString& reason) {
        result_.status = PortStatus::Lost;
        result_.error = QStringLiteral("the device was lost: ") + reason;
        end();
    });
    link_.setAlignReceiver([this] {
        if (cycle_.receive(link_.readInput()))
            link_.SendCommand(QStringLiteral("P6"));
    });
}

void AlignSession::start() {
    tickTimer_.start();
    if (!link_.OpenCOM(link_.currentPort)) {
        result_.status = PortStatus::OpenFailed;
        result_.error = portFailureReason(link_.lastOpenError());
        end();
        return;
    }
    link_.setAlignRouting(true);
    cycleTimer_.start();
    link_.SendCommand(QStringLiteral("W0"));
    link_.SendCommand(QStringLiteral(".Z"));
    link_.SendCommand(QStringLiteral("D7"));
}

void AlignSession::onCycleTick() {
    const AlignCycle::TickResult step = cycle_.tick();
    switch (step.step) {
    case AlignCycle::Step::Request:
        link_.SendCommand(QStringLiteral("DZ"));
        link_.discardInput();
        break;
    case AlignCycle::Step::Process:
        emit measured(alignmentReading(++measuredCount_, measureReport(step.report, sideLook_)));
        if (reports_ > 0 && measuredCount_ >= reports_)
            stop();
        break;
    case AlignCycle::Step::NoReports:
        emit noReports();
        break;
    case AlignCycle::Step::None:
        break;
    }
}

void AlignSession::stop() {
    if (stopping_ || finished_)
        return;
    stopping_ = true;
    cycleTimer_.stop();
    link_.SendCommand(QStringLiteral("+5"));
    link_.SendCommand(QStringLiteral("W2"));
    onDrainTick();
}

void AlignSession::onDrainTick() {
    if (!stopping_ || finished_)
        return;
    // What was written may take a moment to reach the device.
    if (link_.isOpen() && link_.pendingOutput() > 0 && drainTicks_++ < kDrainTicks)
        return;
    end();
}

void AlignSession::end() {
    if (finished_)
        return;
    cycleTimer_.stop();
    tickTimer_.stop();
    link_.setAlignRouting(false);
    link_.CloseCOM();
    finished_ = true;
    emit finished();
}
