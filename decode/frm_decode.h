#pragma once

#include "decode/decode_scan.h"
#include "link/line_receiver.h"
#include "ui/canvas.h"
#include "ui/layout.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <optional>

class ReaderLink;

// The "Decode" window: triggers the reader, shows the percentage of each report on a gauge and
// the decoded data beside "ID:". It is made once and shown again and again; the scan keeps its
// state and tick count between showings, the gauge and the data start afresh at each one.
class frmDecode : public QDialog, public LineReceiver {
    Q_OBJECT
public:
    // `defaults` sends the main window's default configuration; closing runs it.
    frmDecode(ReaderLink& link, std::function<void()> defaults, QWidget* parent = nullptr);

    // The window's controls, as the window is built from them.
    static const WindowLayout& layout();

    // Reads what the reader sent; called for each receive event while routed here.
    void OnComm() override;
    void StartScan();
    void EndScan();
    void cmdQuit_Click();

    DecodeScan scan;

    Canvas* Picture1;
    QLabel* Label3;
    QLabel* lblBarcode;
    QPushButton* cmdQuit;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing ends here (Exit, Esc, the title bar): a timer left running would
    // go on triggering a reader nobody watches.
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void Timer1_Timer();
    void ShowResult(QStringView report);
    // The reader has stopped answering: the gauge empties, the caption says why.
    void showNoReports();
    // The gauge's value for a screen reader; none while no report is shown.
    void showPercentage(std::optional<double> percentage);

    ReaderLink& link_;
    std::function<void()> defaults_;
    bool loaded_ = false;
    // The scale appears with the first evaluated report of a showing and is kept on repaints.
    bool scaleShown_ = false;
};
