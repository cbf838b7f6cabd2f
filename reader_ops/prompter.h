#pragma once

#include "reader_ops/message_text.h"

#include <QString>
#include <utility>

// The one seam through which operations talk to the operator in message boxes, so tests
// can read and answer them. Lines of a message are separated by a single CR.
struct Prompt {
    enum class Icon { None, Exclamation };
    enum class Buttons { Ok, OkCancel };
    Prompt() = default;
    Prompt(QString title_, QString text_, Icon icon_ = Icon::None, Buttons buttons_ = Buttons::Ok,
           QString details_ = {})
        : title(std::move(title_)), text(std::move(text_)), icon(icon_), buttons(buttons_),
          details(std::move(details_)) {}

    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    // Shown on request under the text ("Show Details..."); lines separated by CR. Empty: none.
    QString details;
};

enum class PromptAnswer { Ok, Cancel };

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer show(const Prompt& prompt) = 0;

    // The "Warning" box with an exclamation icon and a single OK button.
    void warn(const QString& text, const QString& details = {}) {
        show({Messages::tr("Warning"), text, Prompt::Icon::Exclamation, Prompt::Buttons::Ok,
              details});
    }
};
