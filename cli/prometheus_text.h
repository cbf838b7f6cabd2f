#pragma once

#include "cli/port_result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a verification run was, besides its ports' results.
struct VerifyRun {
    double durationSeconds = 0;
    double endedAt = 0; // seconds since 1970
};

// The results as node_exporter's textfile collector reads them (Prometheus text format 0.0.4):
// gauges only, one # HELP and # TYPE each, every sample of a metric together, no timestamps.
QByteArray prometheusText(const QList<PortResult>& results, const VerifyRun& run);

// A label's value with \, " and line feeds escaped as the format wants them.
QString prometheusLabelValue(const QString& value);
