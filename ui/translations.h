#pragma once

#include <QStringList>

// The window texts in the desktop's language: the first of the system's UI languages that is
// English or has a translation here wins (English is the texts as written, no file). Qt's own
// translations for the standard buttons come with it. Commands never call this: what scripts
// read stays English.
// Returns the language chosen ("de", "zh_CN", ...), or "en".
QString installTranslations();

// Where the program's .qm files are looked for: beside the program (a build) and in the
// installed share folder.
QStringList translationFolders();
