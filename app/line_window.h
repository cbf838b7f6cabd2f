#pragma once

#include "link/line_log.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

class ReaderLink;

// The "Line" window: what goes to the reader and what comes back, as it happens, with the
// line's events. A window of its own, not a child of the main window, so the alignment, decode
// and symbology windows, modal to the main window, leave it usable. It shows the link's own log,
// kept from the start, so what went wrong before it was opened is there; closed, it formats
// nothing.
class LineWindow : public QWidget {
    Q_OBJECT
public:
    explicit LineWindow(ReaderLink& link, QWidget* parent = nullptr);
    ~LineWindow() override;

    // New entries are shown together at this pace rather than one by one.
    static constexpr int kShowIntervalMs = 100;

    const LineLog& log() const { return log_; }
    // Entries turned into text for the view so far: none while closed.
    qint64 formattedEntries() const { return formatted_; }

    // Writes the kept entries as the trace file would have them. False, and `error` says why,
    // when the file could not be written; an earlier file of that name is then left as it was.
    bool saveTo(const QString& path, QString* error = nullptr) const;
    // Shows what came since the view was last brought up to date (unless paused).
    void showNewEntries();
    void clearEntries();
    // The selected text, or all of it when nothing is selected.
    void copyText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPlainTextEdit* view;
    QPushButton* cmdPause;
    QPushButton* cmdClear;
    QPushButton* cmdCopy;
    QPushButton* cmdSave;
    QLabel* lblState;

    void entryArrived();
    void chooseFileToSave();
    void showState();

    LineLog& log_;
    QTimer showTimer_;
    // How many of the log's entries (counted as appended()) the view holds.
    qint64 shown_ = 0;
    qint64 formatted_ = 0;
};
