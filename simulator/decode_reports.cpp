#include "simulator/decode_reports.h"

namespace {
// Triggers answered among the first `triggers` at `rate` percent, rounded up.
qint64 answeredAmong(qint64 triggers, int rate) {
    return (triggers * rate + 99) / 100;
}
} // namespace

QByteArray DecodeReports::report() const {
    return "Ok:" + percentage_ + "% " + data_ + '\r';
}

QByteArray DecodeReports::answer() {
    ++triggers_;
    if (answeredAmong(triggers_, rate_) == answeredAmong(triggers_ - 1, rate_))
        return {};
    return report();
}
