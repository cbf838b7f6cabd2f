#pragma once

#include "reader_ops/prompter.h"
#include "reader_ops/reader_state.h"

#include <QString>
#include <functional>

class ReaderLink;

// What the main window's reader operations work with: the line, the operator, the shared
// reader state, and the two displays they update.
struct OperationContext {
    ReaderLink& link;
    Prompter& prompter;
    ReaderState& state;
    QString reportPath;
    std::function<void(bool online)> showStatus;
    std::function<void(const QString& firmware)> showFirmware;
    // What the last reply held that the messages do not say (fields that were not
    // hexadecimal); empty when nothing.
    std::function<void(const QString& note)> showReplyNote;
};
