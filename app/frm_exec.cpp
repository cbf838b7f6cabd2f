#include "app/frm_exec.h"

#include "align/frm_align.h"
#include "decode/frm_decode.h"
#include "reader_ops/default_config.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/prompter.h"
#include "reader_ops/symbology_identification.h"
#include "reader_ops/verification.h"
#include "symbols/frm_symbols.h"
#include "ui/ui_metrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>

namespace {
constexpr int kTickIntervalMs = 50;
const QString kSymbolsCaption = QStringLiteral("    Symbology               Identifier");

void setStatusColours(QLabel* label, const QColor& background, const QColor& text) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
}
} // namespace

frmExec::frmExec(PortMap ports, QString reportPath, Prompter& prompter, QWidget* parent)
    : QWidget(parent), link_(std::move(ports)), prompter_(prompter),
      reportPath_(std::move(reportPath)) {
    buildControls();
    connect(Timer1, &QTimer::timeout, this, &frmExec::Timer1_Timer);
    // The operator's entry points are guarded; the handlers themselves stay callable from the
    // operations that nest them.
    const auto guarded = [this](void (frmExec::*handler)()) {
        return [this, handler] { runExclusive([this, handler] { (this->*handler)(); }); };
    };
    // Choosing the selected row again is the double-click: the same steps run anew.
    connect(cboComPorts, &QComboBox::activated, this, guarded(&frmExec::cboComPorts_Click));
    connect(cboComPorts, &PortListBox::aboutToShowRows, this, &frmExec::cboComPorts_DropDown);
    connect(cmdAlign, &QPushButton::clicked, this, guarded(&frmExec::cmdAlign_Click));
    connect(cmdDecode, &QPushButton::clicked, this, guarded(&frmExec::cmdDecode_Click));
    connect(cmdSetup, &QPushButton::clicked, this, guarded(&frmExec::cmdSetup_Click));
    connect(cmdSymbols, &QPushButton::clicked, this, guarded(&frmExec::cmdSymbols_Click));
    connect(cmdDefaults, &QPushButton::clicked, this, guarded(&frmExec::cmdDefaults_Click));
    connect(cmdSave, &QPushButton::clicked, this, guarded(&frmExec::cmdSave_Click));
    // A vanished device closes the port at once; the operator sees it as "Offline".
    connect(&link_, &ReaderLink::lineLost, this, [this](const QString& reason) {
        portProblem_ = {PortFailure::Lost, link_.ports().deviceFor(link_.currentPort), reason};
        ShowStatus(false);
    });
    showAlignWindow = [this] { alignWindow().exec(); };
    closeAlignWindow = [this] {
        if (align_)
            align_->close();
    };
    link_.setAlignReceiver([this] { alignWindow().OnComm(); });
    showDecodeWindow = [this] { decodeWindow().exec(); };
    link_.setDecodeReceiver([this] { decodeWindow().OnComm(); });
    showSymbolsWindow = [this] { symbolsWindow().showModally(); };
}

frmExec::~frmExec() = default;

void frmExec::buildControls() {
    const Twips t;
    setObjectName(QStringLiteral("frmExec"));
    setWindowTitle(QStringLiteral("Barcode Reader Test Utility  KSR-6400/6500"));
    setFont(dialogFont());
    setFixedSize(t.px(5565), t.px(2280));

    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    const auto button = [&](const char* name, const QString& caption, QRect geometry) {
        auto* b = new QPushButton(caption, this);
        named(b, name)->setGeometry(geometry);
        return b;
    };

    frmSetup = new QGroupBox(QStringLiteral("COM Setup"), this);
    named(frmSetup, "frmSetup")->setGeometry(t.rect(120, 120, 2052, 972));
    cboComPorts = new PortListBox(frmSetup);
    named(cboComPorts, "cboComPorts")->setGeometry(t.rect(360, 360, 1332, 288));

    lblCOMM = new QLabel(QStringLiteral("lblCOMM"), this);
    named(lblCOMM, "lblCOMM")->setGeometry(t.rect(600, 1320, 972, 252));
    lblCOMM->setFont(dialogBoldFont());
    lblCOMM->setAutoFillBackground(true);
    lblCOMM->setAlignment(Qt::AlignCenter);
    setStatusColours(lblCOMM, QColor(255, 0, 0), QColor(255, 255, 255));

    Label1 = new QLabel(QStringLiteral("Firmware Version:"), this);
    named(Label1, "Label1")->setGeometry(t.rect(120, 1920, 1332, 252));
    lblFWVersion = new QLabel(this);
    named(lblFWVersion, "lblFWVersion")->setGeometry(t.rect(1440, 1920, 1212, 252));
    lblFWVersion->setTextFormat(Qt::PlainText);

    cmdDefaults =
        button("cmdDefaults", QStringLiteral("VORN Defaults"), t.rect(2400, 240, 1332, 372));
    cmdSave = button("cmdSave", QStringLiteral("Save Settings"), t.rect(2400, 720, 1332, 372));
    chkSide = new QCheckBox(QStringLiteral("Side Look"), this);
    named(chkSide, "chkSide")->setGeometry(t.rect(2520, 1440, 1095, 255));
    cmdAlign = button("cmdAlign", QStringLiteral("Align"), t.rect(4080, 240, 1332, 372));
    cmdDecode = button("cmdDecode", QStringLiteral("Decode Test"), t.rect(4080, 720, 1332, 372));
    cmdDecode->setEnabled(false);
    // The caption's run of blanks wraps it onto two lines: "Symbology" above "Identifier".
    cmdSymbols = button("cmdSymbols", kSymbolsCaption.simplified().replace(u' ', u'\n'),
                        t.rect(4080, 1200, 1332, 492));
    cmdSymbols->setAccessibleName(kSymbolsCaption);
    cmdSetup = button("cmdSetup", QStringLiteral("Setup"), t.rect(4080, 1800, 1332, 372));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);

    QWidget::setTabOrder(cmdAlign, cboComPorts);
    QWidget::setTabOrder(cboComPorts, cmdDecode);
    QWidget::setTabOrder(cmdDecode, cmdDefaults);
    QWidget::setTabOrder(cmdDefaults, cmdSave);
    QWidget::setTabOrder(cmdSave, cmdSymbols);
    QWidget::setTabOrder(cmdSymbols, cmdSetup);
    QWidget::setTabOrder(cmdSetup, chkSide);
    cmdAlign->setFocus();
}

void frmExec::Form_Load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Why COM1 did not probe well is kept: the load opens no other port.
    PortError firstPortProblem;
    const auto probe = [this, &firstPortProblem](qint16 n) {
        PortError why;
        const qint16 r = link_.TestCOM(n, &why);
        if (n == PortMap::kFirstPort)
            firstPortProblem = why;
        return r;
    };
    showPortRows(listablePorts(probe), 0);
    Timer1->setInterval(kTickIntervalMs);
    Timer1->start();
    QApplication::restoreOverrideCursor();
    state_.fillDefaultSettings();
    link_.currentPort = 1;
    for (int row = 0; row < cboComPorts->count(); ++row) {
        if (portTable_[row] == link_.currentPort) {
            // Selecting from the program raises no activation, so run the handler here.
            cboComPorts->setCurrentIndex(row);
            runExclusive([this] { cboComPorts_Click(); });
            return;
        }
    }
    // No port to open: say so rather than show the label's name, and keep the probe's reason
    // for the operations that will need the port.
    portProblem_ = firstPortProblem;
    ShowStatus(false);
}

void frmExec::showPortRows(const QList<qint16>& ports, qint16 selected) {
    cboComPorts->clear();
    portTable_.fill(0);
    for (const qint16 n : ports) {
        cboComPorts->addItem(QStringLiteral("COM%1").arg(n));
        portTable_[cboComPorts->count() - 1] = n;
    }
    cboComPorts->setCurrentIndex(int(ports.indexOf(selected))); // -1: no row
}

void frmExec::cboComPorts_DropDown() {
    // The chosen port keeps its row even while its device is gone, so choosing it again
    // reopens it once the device is back; it is not probed, its line stays untouched.
    const int row = cboComPorts->currentIndex();
    const qint16 kept = row >= 0 ? portTable_[row] : 0;
    showPortRows(listablePorts([this](qint16 n) { return TestCOM(n); }, kept), kept);
}

void frmExec::Timer1_Timer() {
    link_.advanceTick();
}

void frmExec::cboComPorts_Click() {
    const int row = cboComPorts->currentIndex();
    if (row < 0)
        return;
    CloseCOM();
    link_.currentPort = portTable_[row];
    if (!OpenCOM(link_.currentPort))
        return;
    GetXSW();
}

bool frmExec::OpenCOM(const qint16& Port) {
    if (link_.OpenCOM(Port))
        return true;
    reportOpenFailure(Port);
    return false;
}

void frmExec::reportOpenFailure(qint16 port) {
    // Told once; the verification that would follow is skipped, so no second message.
    portProblem_ = link_.lastOpenError();
    prompter_.warn(describePortError(port, portProblem_));
    ShowStatus(false);
}

bool frmExec::portReady() {
    if (link_.isOpen())
        return true;
    prompter_.warn(describePortNotOpen(link_.currentPort, portProblem_));
    return false;
}

VerificationOutcome frmExec::GetXSW() {
    OperationContext ctx = context();
    return runVerification(ctx);
}

OperationContext frmExec::context() {
    return OperationContext{link_,
                            prompter_,
                            state_,
                            reportPath_,
                            [this](bool online) { ShowStatus(online); },
                            [this](const QString& firmware) { lblFWVersion->setText(firmware); }};
}

void frmExec::ShowStatus(bool online) {
    if (online)
        setStatusColours(lblCOMM, QColor(0, 255, 0), QColor(0, 0, 0));
    else
        setStatusColours(lblCOMM, QColor(255, 0, 0), QColor(255, 255, 255));
    lblCOMM->setText(online ? QStringLiteral("Online") : QStringLiteral("Offline"));
}

void frmExec::cmdAlign_Click() {
    showRoutedWindow(&ReaderLink::setAlignRouting, showAlignWindow);
}

frmAlign& frmExec::alignWindow() {
    // "Side Look" counts as checked in either checked state, the grey one included.
    const auto sideLook = [this] { return chkSide->checkState() != Qt::Unchecked; };
    if (!align_)
        align_ = new frmAlign(link_, sideLook, this);
    return *align_;
}

void frmExec::cmdDecode_Click() {
    showRoutedWindow(&ReaderLink::setDecodeRouting, showDecodeWindow);
}

frmDecode& frmExec::decodeWindow() {
    if (!decode_)
        decode_ = new frmDecode(
            link_, [this] { cmdDefaults_Click(); }, this);
    return *decode_;
}

void frmExec::showRoutedWindow(void (ReaderLink::*setRouting)(bool),
                               const std::function<void()>& show) {
    if (!portReady())
        return;
    CloseCOM();
    if (!OpenCOM(link_.currentPort))
        return; // a window with no line to read would only show nothing
    (link_.*setRouting)(true);
    if (show)
        show();
    (link_.*setRouting)(false);
}

void frmExec::cmdSetup_Click() {
    if (!portReady())
        return;
    if (showSymbolsWindow)
        showSymbolsWindow();
}

frmSymbols& frmExec::symbolsWindow() {
    if (!symbols_)
        symbols_ = new frmSymbols(
            link_, state_, [this] { return GetXSW(); }, this);
    return *symbols_;
}

void frmExec::cmdSymbols_Click() {
    if (portReady())
        IdentifySymbology();
}

void frmExec::IdentifySymbology() {
    OperationContext ctx = context();
    runIdentification(ctx);
}

void frmExec::cmdDefaults_Click() {
    if (portReady())
        sendDefaultConfiguration(link_);
}

void frmExec::cmdSave_Click() {
    if (!portReady())
        return;
    OperationContext ctx = context();
    if (runPermanentSave(ctx) != SaveOutcome::NotSent)
        return;
    QString text = QStringLiteral("The settings were not saved as the power-on defaults.");
    if (!link_.isOpen())
        text += QChar(u'\r') + describePortNotOpen(link_.currentPort, portProblem_);
    prompter_.warn(text);
}

void frmExec::runExclusive(const std::function<void()>& operation) {
    if (busy_)
        return;
    busy_ = true;
    QPointer<QWidget> focused = focusWidget();
    setOperatorControlsEnabled(false);
    operation();
    setOperatorControlsEnabled(true);
    if (focused)
        focused->setFocus();
    busy_ = false;
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

void frmExec::setOperatorControlsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(cboComPorts), static_cast<QWidget*>(cmdDefaults),
                             static_cast<QWidget*>(cmdSave), static_cast<QWidget*>(cmdAlign),
                             static_cast<QWidget*>(cmdSymbols), static_cast<QWidget*>(cmdSetup)})
        control->setEnabled(enabled);
    // "Decode Test" stays disabled whatever happens.
}

void frmExec::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // Nothing may be sent or shown after the window has gone: close once the
        // operation waiting now has ended.
        closePending_ = true;
        event->ignore();
        return;
    }
    if (closeAlignWindow)
        closeAlignWindow();
    event->accept();
}
