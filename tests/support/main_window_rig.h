#pragma once

#include "app/frm_exec.h"
#include "frames.h"
#include "scripted_prompter.h"
#include "simulated_port.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The main window on simulated readers, with its report in a temporary folder and its
// message boxes recorded.
struct MainWindowRig {
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<PtyReader> com1 = startSimulatedReader();
    std::unique_ptr<PtyReader> com3 = startSimulatedReader();
    std::unique_ptr<frmExec> window;

    QString reportPath() const { return dir.filePath(QStringLiteral("Barcode Settings.txt")); }

    frmExec& make(PortMap ports, const QString& report = {}) {
        window = std::make_unique<frmExec>(std::move(ports),
                                           report.isEmpty() ? reportPath() : report, prompter);
        return *window;
    }
    frmExec& makeWithCom1AndCom3() {
        return make(portsFor({{1, com1->devicePath()}, {3, com3->devicePath()}}));
    }
    // Loaded on COM1 alone, with the traffic and messages of its first verification forgotten.
    frmExec& loadOnCom1() {
        frmExec& w = make(portsFor({{1, com1->devicePath()}}));
        w.Form_Load();
        com1->clearReceived();
        prompter.shown.clear();
        return w;
    }

    QByteArray report() const {
        QFile file(reportPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeReport(const QByteArray& text) const {
        QFile file(reportPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    // Everything the program sent has reached COM1's reader, and nothing else follows for
    // `quietMs`: long enough for a stray command of a window's timer to show.
    void expectSent(const QByteArray& bytes, int quietMs = 150) const {
        QTRY_COMPARE(com1->receivedBytes(), bytes);
        QTest::qWait(quietMs);
        QCOMPARE(com1->receivedBytes(), bytes);
    }
};

// The report a reader with the expected settings produces.
inline QByteArray defaultReport() {
    return "474A\r\n2201\r\n242\r\n213\r\n4040\r\n440D\r\n440D\r\n441D\r\n19\r\n6805\r\n"
           "2805\r\n6525\r\n9E4\r\n409\r\nC58\r\n408\r\n46\r\n2070\r\n0\r\n1109\r\n"
           "3\r\n1313\r\n1103\r\n1318\r\n33F\r\n7000\r\nFFFF\r\nFFFF\r\nFFFF\r\nFFFF\r\n"
           "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\nFFD7\r\n";
}

inline QColor background(const QLabel* label) {
    return label->palette().color(QPalette::Window);
}
inline QColor foreground(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}
