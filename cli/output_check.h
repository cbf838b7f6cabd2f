#pragma once

#include <QString>
#include <QStringList>

// What is wrong with the files a command line asks to be written: a report where something
// other than a regular file stands, a report folder that is not a folder, a trace that is one
// of the reports. Empty when nothing is; otherwise the usage error's text.
QString outputsProblem(const QStringList& reportPaths, const QString& reportDir,
                       const QString& tracePath);
