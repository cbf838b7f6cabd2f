#include "decode/frm_decode.h"

#include "decode/decode_report.h"
#include "link/reader_link.h"
#include "ui/colours.h"
#include "ui/required_child.h"
#include "ui/ui_metrics.h"

#include <QHideEvent>
#include <QLocale>
#include <QPainter>
#include <QShowEvent>

namespace {
constexpr int kScaleGapTwips = 60;
constexpr char kNoData[] = QT_TRANSLATE_NOOP("frmDecode", "Barcode ID");
constexpr char kCaption[] = QT_TRANSLATE_NOOP("frmDecode", "Decode");
constexpr char kNoReportsCaption[] =
    QT_TRANSLATE_NOOP("frmDecode", "Decode - no reports from the reader");
} // namespace

frmDecode::frmDecode(ReaderLink& link, std::function<void()> defaults, QWidget* parent)
    : QDialog(parent), link_(link), defaults_(std::move(defaults)) {
    buildControls();
    connect(Timer1, &QTimer::timeout, this, &frmDecode::Timer1_Timer);
    connect(cmdQuit, &QPushButton::clicked, this, &frmDecode::cmdQuit_Click);
    connect(&link_, &ReaderLink::lineLost, this, [this] {
        if (loaded_ && scan.lineLost())
            showNoReports();
    });
}

const WindowLayout& frmDecode::layout() {
    using enum ControlSpec::Kind;
    constexpr auto axis = ControlSpec::Font::Axis;
    constexpr Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    // clang-format off
    static const WindowLayout table{"frmDecode", QT_TRANSLATE_NOOP("frmDecode", "Decode"), {2115, 5595}, {
        {.name = "Picture1", .kind = Canvas, .twips = {720, 360, 372, 3492}},
        {.name = "Label3", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmDecode", "ID:"), .twips = {240, 4440, 372, 252},
         .font = axis, .alignment = left},
        // The reader's data goes here, shown as it came: labels never read markup.
        {.name = "lblBarcode", .kind = Label, .caption = kNoData,
         .twips = {600, 4440, 2772, 252}, .font = axis, .alignment = left},
        {.name = "cmdQuit", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmDecode", "Exit"), .twips = {360, 5040, 1092, 372}},
    }};
    // clang-format on
    return table;
}

void frmDecode::buildControls() {
    applyWindowLayout(*this, layout());
    ::buildControls(*this, layout());
    Picture1 = requireChild<Canvas>(*this, "Picture1");
    Label3 = requireChild<QLabel>(*this, "Label3");
    lblBarcode = requireChild<QLabel>(*this, "lblBarcode");
    cmdQuit = requireChild<QPushButton>(*this, "cmdQuit");
    Picture1->setAccessibleRole(QAccessible::ProgressBar);
    Picture1->setAccessibleName(tr("Decode percentage"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
}

void frmDecode::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !loaded_)
        Form_Load();
}

void frmDecode::hideEvent(QHideEvent* event) {
    // A minimised window keeps scanning; only closing ends the scan, and only once.
    if (!event->spontaneous() && loaded_)
        Form_Unload();
    QDialog::hideEvent(event);
}

void frmDecode::Form_Load() {
    loaded_ = true;
    // A fresh showing: no data and a white gauge until a report is evaluated.
    lblBarcode->setText(translatedCaption("frmDecode", kNoData));
    Picture1->clear();
    showPercentage(std::nullopt);
    scaleShown_ = false;
    scan.expectReports();
    setWindowTitle(tr(kCaption));
    StartScan();
    Timer1->setInterval(ReaderLink::kTickIntervalMs);
    Timer1->start();
}

void frmDecode::Form_Unload() {
    loaded_ = false;
    Timer1->stop();
    EndScan();
}

void frmDecode::StartScan() {
    link_.SendCommand(QStringLiteral("U8"));
    link_.discardInput();
    scan.arm();
}

void frmDecode::EndScan() {
    if (defaults_)
        defaults_();
    link_.discardInput();
    scan.disarm();
}

void frmDecode::OnComm() {
    // Read even when the scan takes nothing: unread characters would pile up in the port.
    scan.receive(link_.readInput());
}

void frmDecode::Timer1_Timer() {
    scan.roundTripTicks = link_.roundTripTicks();
    const DecodeScan::TickResult result = scan.tick();
    switch (result.step) {
    case DecodeScan::Step::Trigger:
        link_.SendCommand(QStringLiteral("U8"));
        link_.discardInput();
        break;
    case DecodeScan::Step::Evaluate:
        setWindowTitle(tr(kCaption));
        ShowResult(result.report);
        link_.discardInput();
        break;
    case DecodeScan::Step::NoReports:
        showNoReports();
        break;
    case DecodeScan::Step::None:
        break;
    }
}

void frmDecode::showNoReports() {
    // The gauge shows a value only while reports come: back to white, as before the first.
    Picture1->clear();
    showPercentage(std::nullopt);
    setWindowTitle(tr(kNoReportsCaption));
}

void frmDecode::cmdQuit_Click() {
    close();
}

void frmDecode::ShowResult(QStringView report) {
    const std::optional<DecodeReport> parsed = parseDecodeReport(report);
    if (!parsed)
        return;
    const qreal width = Picture1->widthTwips();
    const qreal height = Picture1->heightTwips();
    const qreal level = height * whiteFraction(parsed->percentage);
    {
        CanvasPainter painter(*Picture1);
        painter.filledRect({0, 0}, {width, level}, kWhite);
        painter.filledRect({0, level}, {width, height}, kBlue);
    }
    scaleShown_ = true;
    update();
    lblBarcode->setText(parsed->data);
    showPercentage(parsed->percentage);
}

void frmDecode::showPercentage(std::optional<double> percentage) {
    Picture1->setAccessibleValue(percentage.value_or(0));
    Picture1->setAccessibleDescription(
        percentage ? tr("%1 % decoded").arg(QLocale().toString(*percentage, 'f', 0))
                   : tr("No decode report"));
}

void frmDecode::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!scaleShown_)
        return;
    // Each text ends a little left of the gauge, centred on its level: 100% at the top edge,
    // 0% at the bottom edge.
    const QRect gauge = Picture1->geometry();
    const int gap = Twips().px(kScaleGapTwips);
    QPainter painter(this);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (int v = 0; v <= 100; v += 20) {
        const QString text = QString::number(v) + QLatin1Char('%');
        const int y = gauge.top() + gauge.height() * (100 - v) / 100;
        const int x = gauge.left() - metrics.horizontalAdvance(text) - gap;
        painter.drawText(QPoint(x, y - metrics.height() / 2 + metrics.ascent()), text);
    }
}
