#include "align/frm_align.h"

#include "link/reader_link.h"
#include "ui/colours.h"
#include "ui/required_child.h"

#include <QHideEvent>
#include <QLocale>
#include <QShowEvent>
#include <cmath>

namespace {
constexpr int kMarkerLineWidth = 6;
constexpr qreal kMarkerRadius = 250;
constexpr qreal kBarHalfWidth = 50;

constexpr char kCaption[] = QT_TRANSLATE_NOOP("frmAlign", "Align Reader");
constexpr char kNoReportsCaption[] =
    QT_TRANSLATE_NOOP("frmAlign", "Align Reader - no reports from the reader");

// Halves go to the even neighbour.
qreal roundEven(qreal v) {
    return std::nearbyint(v);
}
} // namespace

frmAlign::frmAlign(ReaderLink& link, std::function<bool()> sideLook, QWidget* parent)
    : QDialog(parent), link_(link), sideLook_(std::move(sideLook)) {
    buildControls();
    connect(Timer1, &QTimer::timeout, this, &frmAlign::Timer1_Timer);
    connect(cmdQuit, &QPushButton::clicked, this, &frmAlign::cmdQuit_Click);
    connect(&link_, &ReaderLink::lineLost, this, [this] {
        if (Timer1->isActive() && cycle.lineLost())
            showNoReports();
    });
}

const WindowLayout& frmAlign::layout() {
    using enum ControlSpec::Kind;
    constexpr auto axis = ControlSpec::Font::Axis;
    constexpr Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    constexpr Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    // clang-format off
    static const WindowLayout table{"frmAlign", QT_TRANSLATE_NOOP("frmAlign", "Align Reader"), {5745, 5610}, {
        {.name = "Picture1", .kind = Canvas, .twips = {840, 480, 3132, 3132}},
        {.name = "Picture2", .kind = Canvas, .twips = {840, 4440, 3132, 372}},
        {.name = "Picture3", .kind = Canvas, .twips = {5160, 480, 372, 4932}},
        {.name = "Label3", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "High"), .twips = {1920, 120, 972, 252},
         .font = axis, .alignment = centred},
        {.name = "Label6", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "Left"), .twips = {120, 1920, 612, 252},
         .font = axis, .alignment = centred},
        {.name = "Label5", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "Right"), .twips = {4080, 1920, 732, 252},
         .font = axis, .alignment = centred},
        {.name = "Label4", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "Low"), .twips = {2040, 3720, 732, 252},
         .font = axis, .alignment = centred},
        {.name = "Label1", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "Close"), .twips = {240, 4560, 612, 252},
         .font = axis, .alignment = left},
        {.name = "Label2", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmAlign", "Far"), .twips = {4080, 4560, 372, 252},
         .font = axis, .alignment = left},
        {.name = "cmdQuit", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmAlign", "Exit"), .twips = {3360, 5040, 1092, 372}},
    }};
    // clang-format on
    return table;
}

void frmAlign::buildControls() {
    applyWindowLayout(*this, layout());
    ::buildControls(*this, layout());
    const auto control = [this]<typename T>(T*& member, const char* name) {
        member = requireChild<T>(*this, name);
    };
    control(Picture1, "Picture1");
    control(Picture2, "Picture2");
    control(Picture3, "Picture3");
    control(Label3, "Label3");
    control(Label6, "Label6");
    control(Label5, "Label5");
    control(Label4, "Label4");
    control(Label1, "Label1");
    control(Label2, "Label2");
    control(cmdQuit, "cmdQuit");
    Picture1->setAccessibleName(tr("Target across and along the scan"));
    Picture2->setAccessibleName(tr("Distance"));
    Picture3->setAccessibleName(tr("Scan profile"));
    describeMeasurement(nullptr);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
}

void frmAlign::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Load();
}

void frmAlign::hideEvent(QHideEvent* event) {
    // A minimised window keeps measuring; only closing stops it.
    if (!event->spontaneous())
        Timer1->stop();
    QDialog::hideEvent(event);
}

void frmAlign::Form_Load() {
    // A fresh showing starts on blank canvases; the cycle and the display memory stay as they
    // were.
    Picture1->clear();
    Picture2->clear();
    Picture3->clear();
    cycle.expectReports();
    setWindowTitle(tr(kCaption));
    Timer1->setInterval(kAlignCycleIntervalMs);
    Timer1->start();
    line_.start();
    DrawCrosshair(kBlack);
}

void frmAlign::Timer1_Timer() {
    const AlignCycle::TickResult result = line_.tick();
    switch (result.step) {
    case AlignCycle::Step::Process:
        setWindowTitle(tr(kCaption));
        ProcessReport(result.report);
        break;
    case AlignCycle::Step::NoReports:
        showNoReports();
        break;
    case AlignCycle::Step::Request:
    case AlignCycle::Step::None:
        break;
    }
}

void frmAlign::OnComm() {
    line_.OnComm();
}

void frmAlign::cmdQuit_Click() {
    line_.exit();
    close();
}

void frmAlign::ProcessReport(QStringView body) {
    const AlignmentMeasure m = measureReport(body, sideLook_ && sideLook_());
    PlotMarker(m.balance, m.centrePosition);
    DrawCrosshair(kBlack);
    PlotDistance(m.distanceFraction);
    DrawProfile(m.E, m.n);
    describeMeasurement(&m);
}

void frmAlign::describeMeasurement(const AlignmentMeasure* measure) {
    const auto place = [](float fraction) { return QLocale().toString(fraction, 'f', 2); };
    QString across;
    QString distance;
    if (!measure)
        across = tr("No reports from the reader.");
    else if (measure->balance <= 0)
        across = tr("No target found.");
    else if (MarkerOutside)
        across = tr("Target outside: across %1, along %2 (0.50 is centred).")
                     .arg(place(measure->balance), place(measure->centrePosition));
    else
        across = tr("Target inside: across %1, along %2 (0.50 is centred).")
                     .arg(place(measure->balance), place(measure->centrePosition));
    if (!measure || measure->distanceFraction <= 0)
        distance = tr("No distance measured.");
    else if (insideAlignmentBand(measure->distanceFraction))
        distance =
            tr("Distance inside: %1 (0.50 is centred).").arg(place(measure->distanceFraction));
    else
        distance =
            tr("Distance outside: %1 (0.50 is centred).").arg(place(measure->distanceFraction));
    Picture1->setAccessibleDescription(across);
    Picture2->setAccessibleDescription(distance);
}

void frmAlign::showNoReports() {
    // What a report in which nothing is found shows, so no stale mark suggests a position.
    PlotMarker(0, 0);
    DrawCrosshair(kBlack);
    PlotDistance(-1);
    describeMeasurement(nullptr);
    setWindowTitle(tr(kNoReportsCaption));
}

void frmAlign::DrawCrosshair(QColor colour) {
    const qreal cx = roundEven(Picture1->widthTwips() / 2.0);
    const qreal cy = roundEven(Picture1->heightTwips() / 2.0);
    const qreal w = Picture1->widthTwips();
    const qreal h = Picture1->heightTwips();
    CanvasPainter painter(*Picture1);
    painter.line({cx, 0}, {cx, h}, colour, DrawWidth);
    painter.line({0, cy}, {w, cy}, colour, DrawWidth);
}

void frmAlign::drawMarkerShape(CanvasPainter& painter, QColor colour) const {
    const qreal x = MarkerX;
    const qreal y = MarkerY;
    if (MarkerOutside) {
        painter.line({x - kMarkerRadius, y - kMarkerRadius}, {x + kMarkerRadius, y + kMarkerRadius},
                     colour, DrawWidth);
        painter.line({x - kMarkerRadius, y + kMarkerRadius}, {x + kMarkerRadius, y - kMarkerRadius},
                     colour, DrawWidth);
    } else {
        painter.circle({x, y}, kMarkerRadius, colour, DrawWidth);
    }
}

void frmAlign::PlotMarker(float a, float b) {
    DrawWidth = kMarkerLineWidth;
    {
        CanvasPainter painter(*Picture1);
        drawMarkerShape(painter, kWhite);
        MarkerX = a * static_cast<float>(Picture1->widthTwips());
        MarkerY = b * static_cast<float>(Picture1->heightTwips());
        MarkerOutside = !(insideAlignmentBand(a) && insideAlignmentBand(b));
        // Nothing found: no marker, but the place is remembered and erased next time.
        if (a > 0)
            drawMarkerShape(painter, MarkerOutside ? kRed : kGreen);
    }
    DrawWidth = 1;
}

void frmAlign::PlotDistance(float p) {
    const qreal height = Picture2->heightTwips();
    CanvasPainter painter(*Picture2);
    painter.filledRect({BarX - kBarHalfWidth, 0}, {BarX + kBarHalfWidth, height}, kWhite);
    BarX = p * static_cast<float>(Picture2->widthTwips());
    if (p > 0) {
        painter.filledRect({BarX - kBarHalfWidth, 0}, {BarX + kBarHalfWidth, height},
                           insideAlignmentBand(p) ? kGreen : kRed);
    }
}

void frmAlign::DrawProfile(const EdgeTable& E, qint16 n) {
    const auto height = static_cast<float>(Picture3->heightTwips());
    const qreal width = Picture3->widthTwips();
    // The scan runs upwards: position 0 on the bottom edge, the scan length on the top edge.
    const auto y = [height](qint32 s) {
        return static_cast<qreal>(
            static_cast<float>((1.0 - double(s) / double(kScanLength)) * double(height)));
    };
    CanvasPainter painter(*Picture3);
    qint32 prev = 0;
    for (int k = 0; k <= n - 1; k += 2) {
        const auto at = static_cast<std::size_t>(k);
        painter.filledRect({0, y(E[at])}, {width, y(prev)}, kBlack);
        painter.filledRect({0, y(E[at + 1])}, {width, y(E[at])}, kWhite);
        prev = E[at + 1];
    }
}
