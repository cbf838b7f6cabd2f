#pragma once

#include <QCoreApplication>

// What the operations tell the operator: Messages::tr("...") is the text in the language a
// window installed; the commands install none, so what they print stays English.
class Messages {
    Q_DECLARE_TR_FUNCTIONS(Messages)
};
