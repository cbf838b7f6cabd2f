#include "cli/metrics_file.h"

#include "program/output_file.h"

bool writeMetricsFile(const QString& path, const QByteArray& text, QString* error) {
    // node_exporter runs as its own user: a new file is readable by all, whatever the umask.
    return writeFileAtomically(path, text, error,
                               QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                   QFileDevice::ReadGroup | QFileDevice::ReadOther);
}
