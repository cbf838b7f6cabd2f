#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

// Runs `open`, which shows `dialog` modally and returns once it has closed, and runs `body`
// inside the dialog's own event loop as soon as it is up. A dialog that `body` left open is
// closed, so a failed check cannot leave the test waiting on it.
inline void whileShown(QDialog& dialog, const std::function<void()>& open,
                       const std::function<void()>& body) {
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (!dialog.isVisible())
            return;
        poll.stop();
        body();
        if (dialog.isVisible())
            dialog.reject();
    });
    poll.start();
    open();
}
