#pragma once

#include "reader_ops/verification_judgement.h"

#include <QList>
#include <QString>

// One line for each differing word, "Word 5: expected 440D, read 1234", lines separated by CR.
QString settingsDifferencesText(const QList<WordDifference>& differences);
