#include "cli/prometheus_text.h"

#include "protocol/settings_words.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace {
constexpr PortStatus kStatuses[] = {
    PortStatus::Ok,         PortStatus::Differs,    PortStatus::InvalidReply, PortStatus::NoAnswer,
    PortStatus::NotDecoded, PortStatus::NotApplied, PortStatus::OpenFailed,   PortStatus::Lost,
};

// The reader answered with its identifier, whatever else it said.
bool answered(const PortResult& r) {
    return r.status == PortStatus::Ok || r.status == PortStatus::Differs ||
           r.status == PortStatus::InvalidReply;
}

QString label(const char* name, const QString& value) {
    return QStringLiteral("%1=\"%2\"").arg(QLatin1String(name), prometheusLabelValue(value));
}

QString portLabels(const PortResult& r) {
    return label("port", r.port) + u',' + label("device", r.device);
}

QString number(double value) {
    // Whole numbers as integers; fractions to the millisecond.
    if (value == static_cast<double>(static_cast<qint64>(value)))
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'f', 3);
}

class Exposition {
public:
    void metric(const char* name, const char* help) {
        text_ += QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n")
                     .arg(QLatin1String(name), QLatin1String(help));
        name_ = QLatin1String(name);
    }
    void sample(const QString& labels, double value) {
        text_ += name_;
        if (!labels.isEmpty())
            text_ += u'{' + labels + u'}';
        text_ += u' ' + number(value) + u'\n';
    }
    QByteArray bytes() const { return text_.toUtf8(); }

private:
    QString text_;
    QString name_;
};

// One gauge over every port that has a value for it; none at all when no port has one.
void perPort(Exposition& out, const QList<PortResult>& results, const char* name, const char* help,
             const std::function<std::optional<double>(const PortResult&)>& value) {
    bool named = false;
    for (const PortResult& r : results) {
        const auto v = value(r);
        if (!v)
            continue;
        if (!named)
            out.metric(name, help);
        named = true;
        out.sample(portLabels(r), *v);
    }
}
} // namespace

QString prometheusLabelValue(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'"')
            escaped += QStringLiteral("\\\"");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else
            escaped += c;
    }
    return escaped;
}

QByteArray prometheusText(const QList<PortResult>& results, const VerifyRun& run) {
    Exposition out;
    perPort(out, results, "ksr_reader_up",
            "1 when the reader answered with its firmware identifier, else 0.",
            [](const PortResult& r) { return answered(r) ? 1.0 : 0.0; });
    if (!results.isEmpty()) {
        out.metric("ksr_reader_status",
                   "The port's status word of the verification: 1 for the one it ended with, 0 "
                   "for the others.");
        for (const PortResult& r : results) {
            for (const PortStatus status : kStatuses)
                out.sample(portLabels(r) + u',' + label("status", statusName(status)),
                           r.status == status ? 1 : 0);
        }
    }
    perPort(out, results, "ksr_reader_settings_differing",
            "How many of the 39 settings words differ from the expected ones (absent when none "
            "were read).",
            [](const PortResult& r) -> std::optional<double> {
                if (!r.words)
                    return std::nullopt;
                return static_cast<double>(r.differences.size());
            });
    perPort(out, results, "ksr_reader_firmware_expected",
            "1 when the firmware identifier is the expected one, else 0 (absent when none was "
            "read).",
            [](const PortResult& r) -> std::optional<double> {
                if (!r.firmware)
                    return std::nullopt;
                return *r.firmware == QLatin1String(kExpectedFirmware) ? 1.0 : 0.0;
            });
    bool named = false;
    for (const PortResult& r : results) {
        if (!r.firmware)
            continue;
        if (!named)
            out.metric("ksr_reader_info", "The reader's firmware identifier, always 1.");
        named = true;
        out.sample(portLabels(r) + u',' + label("firmware", r.firmware->trimmed()), 1);
    }
    out.metric("ksr_verify_duration_seconds", "How long the verification run took.");
    out.sample({}, run.durationSeconds);
    out.metric("ksr_verify_last_run_timestamp_seconds",
               "When the verification run ended, in seconds since 1970.");
    out.sample({}, run.endedAt);
    return out.bytes();
}
