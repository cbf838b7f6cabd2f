#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Runs `open`, which shows a modal window (a dialog, a message box) and returns once it has
// closed, and runs `act` on that window from inside its event loop as soon as it is up. A window
// `act` left open is closed, so a failed check cannot leave the test waiting on it. False when no
// modal window came up at all.
inline bool whileModal(const std::function<void()>& open,
                       const std::function<void(QWidget*)>& act) {
    bool shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll.stop();
        shown = true;
        act(modal);
        if (!modal->isVisible())
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    poll.start();
    open();
    return shown;
}
