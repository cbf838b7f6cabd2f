#pragma once

#include "reader_ops/reader_state.h"

#include <QList>
#include <QString>

// One settings word that is not what it should be.
struct SettingsDifference {
    int index = 0;
    qint32 expected = 0;
    qint32 read = 0;
};

// The words 0 to 38 in which `read` differs from `expected`, in index order.
QList<SettingsDifference> settingsDifferences(const SettingsTable& expected,
                                              const SettingsTable& read);

// One line for each word, "Word 5: expected 440D, read 1234", lines separated by CR.
QString settingsDifferencesText(const QList<SettingsDifference>& differences);
