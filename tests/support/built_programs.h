#pragma once

#include <QCoreApplication>
#include <QString>

// Every program of the build lands in one folder, so a test or benchmark finds the utility and
// the simulated reader beside itself. Keeping their paths out of the compile flags lets a second
// clone of the tree reuse the first one's compiled objects.
inline QString builtProgram(const char* name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

inline QString utilityProgram() {
    return builtProgram("ksr-utility");
}

inline QString readerSimProgram() {
    return builtProgram("ksr-reader-sim");
}
