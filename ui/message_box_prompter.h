#pragma once

#include "reader_ops/prompter.h"

class QWidget;

// The program's prompter: a real modal message box, text shown as plain text.
class MessageBoxPrompter : public Prompter {
public:
    PromptAnswer show(const Prompt& prompt) override;
};
