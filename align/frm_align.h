#pragma once

#include "align/align_cycle.h"
#include "align/align_exchange.h"
#include "align/alignment_report.h"
#include "link/line_receiver.h"
#include "ui/canvas.h"
#include "ui/layout.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

class ReaderLink;

// The "Align Reader" window: asks the reader for scan reports over and over, finds the
// alignment target in each and shows where it stands. It is made once and shown again and
// again; the cycle and the display memory keep their values between showings, the canvases
// start blank at each one.
class frmAlign : public QDialog, public LineReceiver {
    Q_OBJECT
public:
    // `sideLook` tells whether "Side Look" is checked; it is asked at every computation.
    frmAlign(ReaderLink& link, std::function<bool()> sideLook, QWidget* parent = nullptr);

    // The window's controls, as the window is built from them.
    static const WindowLayout& layout();

    // Reads what the reader sent; called for each receive event while routed here.
    void OnComm() override;
    void cmdQuit_Click();

    // The measurement of one report body, then its drawing.
    void ProcessReport(QStringView body);
    // Drawing operations, in twips on the canvases. Public so the display can be driven alone.
    void DrawCrosshair(QColor colour);
    void PlotMarker(float a, float b);
    void PlotDistance(float p);
    void DrawProfile(const EdgeTable& E, qint16 n);

    AlignCycle cycle;

    // Display memory: where the last marker and bar were placed, in twips.
    float MarkerX = 0;
    float MarkerY = 0;
    bool MarkerOutside = false;
    float BarX = 0;

    Canvas* Picture1;
    Canvas* Picture2;
    Canvas* Picture3;
    QLabel* Label3;
    QLabel* Label6;
    QLabel* Label5;
    QLabel* Label4;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* cmdQuit;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    // Every way of closing ends here (Exit, Esc, the title bar, the main window): the cycle
    // must not go on asking while nobody looks.
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Timer1_Timer();
    void drawMarkerShape(CanvasPainter& painter, QColor colour) const;
    // The reader has stopped answering: the marker and the bar go, the caption says why.
    void showNoReports();
    // Tells a screen reader where the target stands, as the plot shows it.
    void describeMeasurement(const AlignmentMeasure* measure);

    ReaderLink& link_;
    AlignmentLine line_{link_, cycle};
    std::function<bool()> sideLook_;
    int DrawWidth = 1;
};
