#include "decode/decode_scan.h"

DecodeScan::TickResult DecodeScan::tick() {
    TickResult result;
    if (ticksSinceTrigger_ >= 0)
        ++ticksSinceTrigger_;
    switch (ScanState) {
    case Idle:
        arm();
        ScanTickCount = 0;
        result.step = Step::Trigger;
        break;
    case Armed:
        ++ScanTickCount;
        break;
    case FirstTick:
        ++ScanTickCount;
        ScanState = SecondTick;
        break;
    case SecondTick:
        ++ScanTickCount;
        ScanState = Complete;
        break;
    case Complete:
        result = {Step::Evaluate, ReportText};
        ticksSinceTrigger_ = -1;
        noReports = false;
        ScanState = Armed;
        ReportText.clear();
        ScanTickCount = 0;
        break;
    default:
        break;
    }
    // Counted from the last trigger or evaluation, so a report that starts late is dropped too.
    if (ScanTickCount > kTimeoutTicks + roundTripTicks) {
        ScanState = Idle;
        if (ticksSinceTrigger_ > kTimeoutTicks + roundTripTicks && !noReports) {
            noReports = true;
            result.step = Step::NoReports;
        }
    }
    return result;
}

bool DecodeScan::lineLost() {
    if (noReports)
        return false;
    noReports = true;
    return true;
}

void DecodeScan::receive(const QByteArray& data) {
    switch (ScanState) {
    case Armed:
        append(data);
        ScanState = FirstTick;
        break;
    case FirstTick:
    case SecondTick:
        append(data);
        break;
    default:
        break; // read and dropped
    }
}

void DecodeScan::append(const QByteArray& data) {
    const qsizetype room = kReportTextCap - ReportText.size();
    if (room > 0)
        ReportText += QString::fromLatin1(data.left(room));
}

void DecodeScan::arm() {
    ticksSinceTrigger_ = 0;
    ReportText.clear();
    ScanState = Armed;
}

void DecodeScan::disarm() {
    ticksSinceTrigger_ = -1;
    ReportText.clear();
    ScanState = Idle;
}
