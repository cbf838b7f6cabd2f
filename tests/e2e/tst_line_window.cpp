#include "align/frm_align.h"
#include "layout_check.h"
#include "link/line_trace.h"
#include "main_window_rig.h"
#include "modal_window.h"
#include "ui/required_child.h"

#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>

namespace {
constexpr int kLong = 10000; // ms; a loaded machine may be slow, never fast

QByteArray joined(const LineLog& log, LineEntry::Kind kind) {
    QByteArray bytes;
    for (qsizetype k = 0; k < log.size(); ++k) {
        if (log.at(k).kind == kind)
            bytes += log.at(k).bytes;
    }
    return bytes;
}

// Received chunks `from` to `to`, put in the link's log straight, as the link would put them.
void feed(frmExec& w, int from, int to) {
    LineLog* log = w.link().lineLog();
    QVERIFY(log);
    for (int k = from; k < to; ++k)
        log->append(LineEntry{double(k),
                              QStringLiteral("COM1"),
                              LineEntry::Kind::Received,
                              QByteArray::number(k),
                              {}});
}

// The window's controls, found by name as the windows find theirs.
QPlainTextEdit* view(const LineWindow& window) {
    return requireChild<QPlainTextEdit>(window, "view");
}
QPushButton* button(const LineWindow& window, const char* name) {
    return requireChild<QPushButton>(window, name);
}
QLabel* lblState(const LineWindow& window) {
    return requireChild<QLabel>(window, "lblState");
}
} // namespace

class LineWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> rig;
    frmExec* w = nullptr;
    LineWindow* line = nullptr;

    // The view has caught up with the log.
    void waitShown() {
        QTRY_VERIFY_WITH_TIMEOUT(
            line->formattedEntries() > 0 && view(*line)->blockCount() == line->log().size(), kLong);
    }

private slots:
    void init() {
        rig = std::make_unique<MainWindowRig>();
        w = &rig->loadOnCom1();
        w->link().lineLog()->clear(); // the load's verification forgotten, as by the rig
        w->show();
        line = &w->lineWindow();
    }
    void cleanup() {
        line = nullptr;
        w = nullptr;
        rig.reset();
    }

    void controlsFitAndTheKeyboardReachesThem() {
        QCOMPARE(w->cmdLine->toolTip().contains(QStringLiteral("Ctrl+L")), true);
        w->cmdLine->click();
        QVERIFY(QTest::qWaitForWindowActive(line));
        QCOMPARE(QApplication::focusWidget(), view(*line));
        const QList<QWidget*> chain{button(*line, "cmdPause"), button(*line, "cmdClear"),
                                    button(*line, "cmdCopy"), button(*line, "cmdSave"),
                                    view(*line)};
        for (QWidget* next : chain) {
            QVERIFY2(captionMisfit(next).isEmpty(), qPrintable(captionMisfit(next)));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QVERIFY(lblState(*line)->geometry().right() <= line->width());
        QTest::keyClick(line, Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(button(*line, "cmdPause")->isChecked());
    }

    void framesAppearInOrderWithTheirExactBytes_data() {
        QTest::addColumn<bool>("verification");
        QTest::newRow("verification") << true;
        QTest::newRow("VORN defaults") << false;
    }
    void framesAppearInOrderWithTheirExactBytes() {
        QFETCH(bool, verification);
        w->showLineWindow();
        if (verification)
            w->GetXSW();
        else
            w->cmdDefaults_Click();
        waitShown();
        const LineLog& log = line->log();
        QCOMPARE(joined(log, LineEntry::Kind::Sent), rig->com1->receivedBytes());
        if (verification)
            QCOMPARE(joined(log, LineEntry::Kind::Received), w->link().replyBuffer().toLatin1());
        QStringList lines;
        for (qsizetype k = 0; k < log.size(); ++k) {
            QVERIFY(k == 0 || log.at(k - 1).ms <= log.at(k).ms);
            lines << windowLine(log.at(k));
        }
        QCOMPARE(view(*line)->toPlainText(), lines.join(u'\n'));
    }

    void aLostLineShowsItsReason() {
        w->showLineWindow();
        QSignalSpy lost(&w->link(), &ReaderLink::lineLost);
        rig->com1->hangUp();
        w->GetXSW();
        QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, kLong);
        const QString reason = lost.at(0).at(0).toString();
        QVERIFY(!reason.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(
            view(*line)->toPlainText().contains(QStringLiteral(" COM1 lost: ") + reason), kLong);
    }

    void keepsTheLast10000Lines_data() {
        QTest::addColumn<bool>("paused");
        QTest::newRow("live") << false;
        QTest::newRow("paused meanwhile") << true;
    }
    void keepsTheLast10000Lines() {
        QFETCH(bool, paused);
        w->showLineWindow();
        button(*line, "cmdPause")->setChecked(paused);
        feed(*w, 0, 100);
        line->showNewEntries();
        feed(*w, 100, 25000);
        button(*line, "cmdPause")->setChecked(false);
        line->showNewEntries();
        QCOMPARE(view(*line)->blockCount(), 10000);
        QCOMPARE(view(*line)->document()->firstBlock().text(), windowLine(line->log().at(0)));
        QVERIFY(view(*line)->document()->firstBlock().text().endsWith(QStringLiteral("  |15000|")));
        QVERIFY(lblState(*line)->text().startsWith(QStringLiteral("15000 older lines have gone")));
        button(*line, "cmdClear")->click();
        QCOMPARE(view(*line)->toPlainText(), QString());
        QCOMPARE(lblState(*line)->text(), QString());
    }

    void saveWritesWhatTheTraceWould() {
        const QString tracePath = rig->dir.filePath(QStringLiteral("trace.txt"));
        const QString savedPath = rig->dir.filePath(QStringLiteral("saved.txt"));
        auto trace = std::make_unique<LineTrace>(tracePath);
        w->showLineWindow();
        w->link().setTrace(trace.get());
        w->GetXSW();
        w->CloseCOM();
        QVERIFY(!w->OpenCOM(9)); // unmapped: the failure and its reason
        QVERIFY(w->OpenCOM(1));
        w->link().setTrace(nullptr);
        trace.reset(); // written out
        QVERIFY(line->saveTo(savedPath));
        QFile traced(tracePath);
        QFile saved(savedPath);
        QVERIFY(traced.open(QIODevice::ReadOnly) && saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        QCOMPARE(text, traced.readAll());
        QVERIFY(text.contains(" open failed: "));
        QString why;
        QVERIFY(!line->saveTo(rig->dir.filePath(QStringLiteral("no/such/folder/x.txt")), &why));
        QVERIFY(!why.isEmpty());
    }

    void usableWhileTheAlignmentWindowIsShown() {
        w->showLineWindow();
        feed(*w, 0, 500);
        line->showNewEntries();
        QScrollBar* bar = view(*line)->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        line->close();
        QVERIFY(
            whileModal([&] { w->cmdAlign->click(); },
                       [&](QWidget* modal) {
                           QCOMPARE(modal, &w->alignWindow());
                           QTest::keyClick(modal->windowHandle(), Qt::Key_L, Qt::ControlModifier);
                           QVERIFY(line->isVisible());
                           QTRY_VERIFY_WITH_TIMEOUT(line->log().size() > 500, kLong);
                           // Input reaches the Line window through the window system...
                           QTest::keyClick(line->windowHandle(), Qt::Key_Home, Qt::ControlModifier);
                           QCOMPARE(bar->value(), 0);
                           QTest::keyClick(line->windowHandle(), Qt::Key_P, Qt::AltModifier);
                           QTRY_VERIFY(button(*line, "cmdPause")->isChecked());
                           // ... and not the main window.
                           const QPoint box = w->chkSide->mapTo(w, QPoint(5, 5));
                           QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, box);
                           QVERIFY(!w->chkSide->isChecked());
                       }));
    }

    // Opened after a start whose verification failed, it shows that start; closed, it keeps
    // recording and formats nothing until it opens again.
    void remembersWhatWentWhileClosed_data() {
        QTest::addColumn<bool>("shownFirst");
        QTest::newRow("never opened before") << false;
        QTest::newRow("opened and closed again") << true;
    }
    void remembersWhatWentWhileClosed() {
        QFETCH(bool, shownFirst);
        rig->window.reset();
        rig->com1->setSilent(true);
        frmExec& start = rig->make(portsFor({{1, rig->com1->devicePath()}}));
        LineWindow& late = start.lineWindow();
        if (shownFirst) {
            start.showLineWindow();
            late.close();
        }
        start.Form_Load(); // no answer to Z3
        QVERIFY(!rig->prompter.shown.isEmpty());
        QCOMPARE(late.formattedEntries(), 0);
        QCOMPARE(joined(late.log(), LineEntry::Kind::Sent), rig->com1->receivedBytes());
        start.showLineWindow();
        const QString shown = view(late)->toPlainText();
        QVERIFY(shown.contains(QStringLiteral(" COM1 opened ")));
        QVERIFY(shown.contains(QStringLiteral(" COM1 sent     1B 5A 33 0D  |<ESC>Z3<CR>|")));
        late.copyText();
        QCOMPARE(QGuiApplication::clipboard()->text(), shown);
        const QString savedPath = rig->dir.filePath(QStringLiteral("start.txt"));
        QVERIFY(late.saveTo(savedPath));
        QFile saved(savedPath);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains(" COM1 sent     1B 5A 33 0D |.Z3.|"));
    }
};

QTEST_MAIN(LineWindowTest)
#include "tst_line_window.moc"
