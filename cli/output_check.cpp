#include "cli/output_check.h"

#include "program/output_file.h"

#include <QFileInfo>

QString outputsProblem(const QStringList& reportPaths, const QString& reportDir,
                       const QString& tracePath) {
    if (!reportDir.isEmpty()) {
        const QFileInfo folder(reportDir);
        if (folder.exists() && !folder.isDir())
            return QStringLiteral("--report-dir %1: not a folder").arg(reportDir);
    }
    for (const QString& path : reportPaths) {
        if (const QString problem = outputFileProblem(path); !problem.isEmpty())
            return QStringLiteral("the report %1 %2").arg(path, problem);
        if (tracePath != QStringLiteral("-") && sameFile(path, tracePath))
            return QStringLiteral("--trace %1 is the report %2: give each its own file")
                .arg(tracePath, path);
    }
    return {};
}
