#include "align/align_cycle.h"

AlignCycle::TickResult AlignCycle::tick() {
    switch (CycleState) {
    case Idle:
        ReportText.clear();
        CycleState = AwaitingStart;
        TickCount = 0;
        askedThisShowing_ = true;
        return {Step::Request, {}};
    case AwaitingStart:
        if (++TickCount > kStartTimeout + roundTripTicks)
            return timedOut();
        return {};
    case Collecting:
        // Counted from the request, not from the start marker.
        if (++TickCount > kReportTimeout + roundTripTicks)
            return timedOut();
        return {};
    case ReportReady: {
        TickResult result{Step::Process, ReportText};
        CycleState = Idle;
        ReportText.clear();
        noReports = false;
        return result;
    }
    default:
        return {};
    }
}

AlignCycle::TickResult AlignCycle::timedOut() {
    CycleState = Idle;
    if (noReports || !askedThisShowing_)
        return {};
    noReports = true;
    return {Step::NoReports, {}};
}

bool AlignCycle::lineLost() {
    if (noReports)
        return false;
    noReports = true;
    return true;
}

bool AlignCycle::receive(const QByteArray& data) {
    switch (CycleState) {
    case AwaitingStart: {
        // Nothing before the start marker is kept, so a line without one costs no memory.
        const qsizetype start = data.indexOf(kStartMarker);
        if (start >= 0) {
            ReportText = QString::fromLatin1(data.mid(start + 1));
            CycleState = Collecting;
            giveUpIfRunaway();
        }
        return false;
    }
    case Collecting: {
        ReportText += QString::fromLatin1(data);
        const qsizetype end = ReportText.indexOf(QLatin1Char(kEndMarker));
        if (end < 0) {
            giveUpIfRunaway();
            return false;
        }
        // The body ends in CR in place of its last character. An end marker directly after
        // the start marker leaves no character to replace: the body is the CR alone.
        ReportText.truncate(qMax<qsizetype>(end - 1, 0));
        ReportText += QChar(u'\r');
        CycleState = ReportReady;
        return true;
    }
    default:
        return false; // read and dropped
    }
}

void AlignCycle::giveUpIfRunaway() {
    if (ReportText.size() <= kReportTextCap)
        return;
    ReportText.clear();
    CycleState = Idle;
}
