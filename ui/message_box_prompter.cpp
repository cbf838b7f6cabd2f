#include "ui/message_box_prompter.h"

#include <QMessageBox>

PromptAnswer MessageBoxPrompter::show(const Prompt& prompt) {
    const auto icon =
        prompt.icon == Prompt::Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    const auto buttons = prompt.buttons == Prompt::Buttons::OkCancel
                             ? QMessageBox::Ok | QMessageBox::Cancel
                             : QMessageBox::StandardButtons(QMessageBox::Ok);
    QString text = prompt.text;
    // Messages separate their lines with a lone CR; the box breaks lines on LF.
    text.replace(QChar(u'\r'), QChar(u'\n'));
    QMessageBox box(icon, prompt.title, text, buttons);
    // Text from the reader is never interpreted as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    if (!prompt.details.isEmpty()) {
        QString details = prompt.details;
        details.replace(QChar(u'\r'), QChar(u'\n'));
        box.setDetailedText(details);
    }
    return box.exec() == QMessageBox::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}
