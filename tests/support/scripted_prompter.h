#pragma once

#include "reader_ops/prompter.h"

#include <QList>
#include <QStringList>
#include <functional>

// Records every message box instead of showing it, and answers from a script (OK by default).
class ScriptedPrompter : public Prompter {
public:
    QList<Prompt> shown;
    QList<PromptAnswer> answers;
    // Runs while the "box" is up, as an operator's reaction would.
    std::function<void(const Prompt&)> onShow;

    PromptAnswer show(const Prompt& prompt) override {
        shown.append(prompt);
        if (onShow)
            onShow(prompt);
        return answers.isEmpty() ? PromptAnswer::Ok : answers.takeFirst();
    }

    QStringList texts() const {
        QStringList result;
        for (const Prompt& prompt : shown)
            result << prompt.text;
        return result;
    }
};
