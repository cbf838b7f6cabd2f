#pragma once

#include <QString>

// The one seam through which operations talk to the operator in message boxes, so tests
// can read and answer them. Lines of a message are separated by a single CR.
struct Prompt {
    enum class Icon { None, Exclamation };
    enum class Buttons { Ok, OkCancel };
    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

enum class PromptAnswer { Ok, Cancel };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer show(const Prompt& prompt) = 0;

    // The "Warning" box with an exclamation icon and a single OK button.
    void warn(const QString& text) {
        show({QStringLiteral("Warning"), text, Prompt::Icon::Exclamation, Prompt::Buttons::Ok});
    }
};
