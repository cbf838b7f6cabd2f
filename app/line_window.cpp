#include "app/line_window.h"

#include "link/reader_link.h"
#include "program/output_file.h"
#include "ui/ui_metrics.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QMessageBox>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

namespace {
LineLog& keptLog(ReaderLink& link) {
    link.keepLineLog();
    return *link.lineLog();
}
} // namespace

LineWindow::LineWindow(ReaderLink& link, QWidget* parent) : QWidget(parent), log_(keptLog(link)) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("LineWindow"));
    setWindowTitle(tr("Line"));
    setFont(dialogFont());

    view = new QPlainTextEdit(this);
    view->setObjectName(QStringLiteral("view"));
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setMaximumBlockCount(int(log_.capacity()));
    view->setUndoRedoEnabled(false);
    view->setAccessibleName(tr("What went over the line"));

    const auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdPause = button(tr("&Pause"), "cmdPause");
    cmdPause->setCheckable(true);
    cmdPause->setToolTip(tr("Hold the view still; the line is still recorded"));
    cmdClear = button(tr("C&lear"), "cmdClear");
    cmdCopy = button(tr("&Copy"), "cmdCopy");
    cmdCopy->setToolTip(tr("Copy the selected lines, or all of them"));
    cmdSave = button(tr("&Save..."), "cmdSave");
    cmdSave->setToolTip(tr("Save the lines as a --trace file has them"));
    lblState = new QLabel(this);
    lblState->setObjectName(QStringLiteral("lblState"));
    lblState->setTextFormat(Qt::PlainText);

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(cmdPause), static_cast<QWidget*>(cmdClear),
                       static_cast<QWidget*>(cmdCopy), static_cast<QWidget*>(cmdSave)})
        buttons->addWidget(w);
    buttons->addSpacing(12);
    buttons->addWidget(lblState, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(view, 1);
    column->addLayout(buttons);
    setTabOrder(view, cmdPause);
    setTabOrder(cmdPause, cmdClear);
    setTabOrder(cmdClear, cmdCopy);
    setTabOrder(cmdCopy, cmdSave);
    view->setFocus();
    // Wide enough for a frame and its answer on one line.
    resize(QFontMetrics(view->font()).horizontalAdvance(QLatin1Char('0')) * 100, 360);

    showTimer_.setSingleShot(true);
    showTimer_.setInterval(kShowIntervalMs);
    connect(&showTimer_, &QTimer::timeout, this, &LineWindow::showNewEntries);
    connect(cmdPause, &QPushButton::toggled, this, [this] { showNewEntries(); });
    connect(cmdClear, &QPushButton::clicked, this, &LineWindow::clearEntries);
    connect(cmdCopy, &QPushButton::clicked, this, &LineWindow::copyText);
    connect(cmdSave, &QPushButton::clicked, this, &LineWindow::chooseFileToSave);
    showState();
}

LineWindow::~LineWindow() {
    log_.setOnAppended({});
}

void LineWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    log_.setOnAppended([this] { entryArrived(); });
    // What the line saw while the window was closed, the start's exchange included.
    showNewEntries();
    // Opened, it is there to be read: the keys scroll the view.
    if (!event->spontaneous())
        view->setFocus();
}

void LineWindow::hideEvent(QHideEvent* event) {
    // Minimised, it keeps showing; closed, the log goes on without it and it formats nothing.
    if (!event->spontaneous()) {
        log_.setOnAppended({});
        showTimer_.stop();
    }
    QWidget::hideEvent(event);
}

void LineWindow::entryArrived() {
    // Paused, the timer still comes round to count what waits.
    if (!showTimer_.isActive())
        showTimer_.start();
}

void LineWindow::showNewEntries() {
    showTimer_.stop();
    if (cmdPause->isChecked()) {
        showState();
        return;
    }
    const qint64 oldest = log_.appended() - log_.size();
    if (shown_ < oldest) {
        // Entries went before they were shown (a long pause, a flood): the view starts again
        // from the oldest kept, so it holds the log's entries and nothing else.
        view->clear();
        shown_ = oldest;
    }
    if (shown_ == log_.appended()) {
        showState();
        return;
    }
    QStringList lines;
    lines.reserve(log_.appended() - shown_);
    for (qint64 n = shown_; n < log_.appended(); ++n)
        lines << windowLine(log_.at(n - oldest));
    formatted_ += lines.size();
    shown_ = log_.appended();
    // One append for the lot; the view follows the end unless it was scrolled up. The cursor
    // follows too, so the keys move from the newest line.
    const QScrollBar* bar = view->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    view->appendPlainText(lines.join(QChar(u'\n')));
    if (following && !view->textCursor().hasSelection())
        view->moveCursor(QTextCursor::End);
    showState();
}

void LineWindow::showState() {
    QStringList state;
    if (cmdPause->isChecked() && log_.appended() > shown_)
        state << tr("Paused: %1 new lines wait.").arg(log_.appended() - shown_);
    else if (cmdPause->isChecked())
        state << tr("Paused.");
    if (log_.dropped() > 0)
        state << tr("%1 older lines have gone; the window keeps the last %2.")
                     .arg(log_.dropped())
                     .arg(log_.capacity());
    lblState->setText(state.join(u' '));
}

void LineWindow::clearEntries() {
    log_.clear();
    view->clear();
    shown_ = 0;
    showState();
}

void LineWindow::copyText() const {
    const QString selected = view->textCursor().selection().toPlainText();
    QGuiApplication::clipboard()->setText(selected.isEmpty() ? view->toPlainText() : selected);
}

bool LineWindow::saveTo(const QString& path, QString* error) const {
    QByteArray text;
    if (log_.dropped() > 0)
        text += "(" + QByteArray::number(log_.dropped()) + " earlier lines not kept: the Line " +
                "window keeps the last " + QByteArray::number(log_.capacity()) + ")\n";
    for (qsizetype k = 0; k < log_.size(); ++k)
        text += traceLine(log_.at(k)) + '\n';
    return writeFileAtomically(path, text, error);
}

void LineWindow::chooseFileToSave() {
    // Not exec(): the alignment cycle and this window's own view go on while the operator picks.
    auto* dialog = new QFileDialog(this, tr("Save the line"),
                                   QDir::home().filePath(QStringLiteral("line-trace.txt")));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        QString why;
        if (saveTo(path, &why))
            return;
        auto* box = new QMessageBox(
            QMessageBox::Warning, tr("Line"),
            tr("The line could not be saved to %1: %2").arg(QDir::toNativeSeparators(path), why),
            QMessageBox::Ok, this);
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    dialog->open();
}
