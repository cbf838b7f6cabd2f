#include "app/frm_exec.h"

#include "align/frm_align.h"
#include "app/ports_dialog.h"
#include "decode/frm_decode.h"
#include "reader_ops/default_config.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/network_speed.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/prompter.h"
#include "reader_ops/symbology_identification.h"
#include "reader_ops/verification.h"
#include "symbols/frm_symbols.h"
#include "ui/colours.h"
#include "ui/layout.h"
#include "ui/required_child.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QTextStream>

namespace {
// What the button is called; on screen its run of blanks breaks it into two lines.
constexpr char kSymbolsCaption[] =
    QT_TRANSLATE_NOOP("frmExec", "    Symbology               Identifier");

// The window blocks the main window alone, not the Line window, and Ctrl+L works in it too.
void keepLineWindowUsable(QWidget& window, QAction& showLine) {
    window.setWindowModality(Qt::WindowModal);
    window.addAction(&showLine);
}

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
    // Kept from the start, so the Line window opened after a failed verification shows it.
    link_.keepLineLog();
    buildControls();
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
    connect(cmdPorts, &QPushButton::clicked, this, guarded(&frmExec::cmdPorts_Click));
    // Not guarded: watching the line is what the operator may want most while something waits.
    connect(cmdLine, &QPushButton::clicked, this, &frmExec::showLineWindow);
    connect(actLine, &QAction::triggered, this, &frmExec::showLineWindow);
    // A vanished device closes the port at once; the operator sees it as "Offline".
    connect(&link_, &ReaderLink::lineLost, this, [this](const QString& reason) {
        portProblem_ = {PortFailure::Lost, link_.currentAddress().text(), reason};
        ShowStatus(false);
    });
    connect(&probe_, &PortProbe::stateKnown, this, &frmExec::onPortAnswered);
    showAlignWindow = [this] { alignWindow().exec(); };
    closeAlignWindow = [this] {
        if (align_)
            align_->close();
    };
    showDecodeWindow = [this] { decodeWindow().exec(); };
    showSymbolsWindow = [this] { symbolsWindow().showModally(); };
}

frmExec::~frmExec() = default;

const WindowLayout& frmExec::layout() {
    using enum ControlSpec::Kind;
    // clang-format off
    static const WindowLayout table{"frmExec", QT_TRANSLATE_NOOP("frmExec", "Barcode Reader Test Utility  KSR-6400/6500"),
                                    {5565, 2280}, {
        {.name = "frmSetup", .kind = GroupBox, .caption = QT_TRANSLATE_NOOP("frmExec", "COM Setup"),
         .twips = {120, 120, 2052, 972}},
        {.name = "cboComPorts", .kind = ComboBox, .twips = {360, 360, 1332, 288}, .tabIndex = 1,
         .parent = "frmSetup"},
        // Opens the Ports dialog; its tooltip and its accessible name say "Ports".
        {.name = "cmdPorts", .kind = Button, .caption = "...", .twips = {1716, 360, 288, 288},
         .tabIndex = 8, .parent = "frmSetup"},
        {.name = "lblCOMM", .kind = Label, .caption = "lblCOMM", .twips = {600, 1320, 972, 252},
         .font = ControlSpec::Font::Bold, .alignment = Qt::AlignCenter},
        {.name = "Label1", .kind = Label, .caption = QT_TRANSLATE_NOOP("frmExec", "Firmware Version:"),
         .twips = {120, 1920, 1332, 252}},
        {.name = "lblFWVersion", .kind = Label, .twips = {1440, 1920, 1212, 252}},
        {.name = "cmdDefaults", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "VORN Defaults"),
         .twips = {2400, 240, 1332, 372}, .tabIndex = 3},
        {.name = "cmdSave", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Save Settings"),
         .twips = {2400, 720, 1332, 372}, .tabIndex = 4},
        {.name = "chkSide", .kind = CheckBox, .caption = QT_TRANSLATE_NOOP("frmExec", "Side Look"),
         .twips = {2520, 1440, 1095, 255}, .tabIndex = 7},
        {.name = "cmdAlign", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Align"),
         .twips = {4080, 240, 1332, 372}, .tabIndex = 0},
        {.name = "cmdDecode", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Decode Test"),
         .twips = {4080, 720, 1332, 372}, .tabIndex = 2},
        // "Symbology" above "Identifier".
        {.name = "cmdSymbols", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Symbology\nIdentifier"),
         .twips = {4080, 1200, 1332, 492}, .tabIndex = 5},
        {.name = "cmdSetup", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Setup"),
         .twips = {4080, 1800, 1332, 372}, .tabIndex = 6},
        // Below the port list, at its right end.
        {.name = "cmdLine", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmExec", "Line"), .twips = {1152, 672, 540, 276},
         .tabIndex = 9, .parent = "frmSetup"},
    }};
    // clang-format on
    return table;
}

void frmExec::buildControls() {
    applyWindowLayout(*this, layout());
    // The port list probes again each time it drops down.
    ::buildControls(*this, layout(), [](const ControlSpec& entry, QWidget* parent) -> QWidget* {
        if (qstrcmp(entry.name, "cboComPorts") != 0)
            return nullptr;
        return new PortListBox(parent);
    });
    const auto control = [this]<typename T>(T*& member, const char* name) {
        member = requireChild<T>(*this, name);
    };
    control(frmSetup, "frmSetup");
    control(cboComPorts, "cboComPorts");
    control(lblCOMM, "lblCOMM");
    control(Label1, "Label1");
    control(lblFWVersion, "lblFWVersion");
    control(cmdDefaults, "cmdDefaults");
    control(cmdSave, "cmdSave");
    control(chkSide, "chkSide");
    control(cmdAlign, "cmdAlign");
    control(cmdDecode, "cmdDecode");
    control(cmdSymbols, "cmdSymbols");
    control(cmdSetup, "cmdSetup");
    control(cmdPorts, "cmdPorts");
    cmdPorts->setToolTip(tr("Ports"));
    cmdPorts->setAccessibleName(tr("Ports"));
    control(cmdLine, "cmdLine");

    lblCOMM->setAutoFillBackground(true);
    setStatusColours(lblCOMM, kRed, kWhite);
    cmdDecode->setEnabled(false);
    cmdSymbols->setAccessibleName(tr(kSymbolsCaption));
    cmdLine->setToolTip(tr("Show what goes to the reader and back (Ctrl+L)"));
    actLine = new QAction(tr("Line"), this);
    actLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(actLine);
}

void frmExec::renumberPorts() {
    if (!catalog_)
        return;
    catalog_->refresh();
    link_.setPorts(catalog_->portMap());
    storeNote_ = catalog_->storeNotes().join(u'\n');
    showStatusNotes();
}

QString frmExec::portToolTip(qint16 port) const {
    const QString device = link_.ports().addressFor(ComPort{port}).text();
    if (!catalog_)
        return device;
    const NumberedPort& numbered = catalog_->numbering().port(ComPort{port});
    QStringList lines{device};
    for (const auto& [what, text] :
         {std::pair{QString(), numbered.details.description},
          std::pair{tr("Maker: "), numbered.details.maker},
          std::pair{tr("Serial number: "), numbered.details.serialNumber}}) {
        if (!text.isEmpty())
            lines << what + text;
    }
    if (!numbered.found && numbered.origin == PortOrigin::Remembered &&
        !numbered.address.isNetwork())
        lines << tr("(not plugged in)");
    return lines.join(u'\n');
}

qint16 frmExec::TestCOM(const qint16& Port) {
    const PortState state = probeNow(link_.ports().addressFor(ComPort{Port}), link_.heldKey());
    if (state.kind == PortState::Kind::Present)
        return 0;
    return state.listable() ? 1 : -1;
}

void frmExec::probePorts() {
    probe_.start(link_.ports(), link_.heldKey());
}

void frmExec::Form_Load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    renumberPorts();
    if (catalog_) {
        for (const QString& line : catalog_->takeStoreProblem().split(u'\n', Qt::SkipEmptyParts))
            QTextStream(stderr) << "ksr-utility: " << line << Qt::endl;
    }
    probePorts();
    showPortRows(listablePorts(probe_.states()), {});
    link_.startTicking();
    QApplication::restoreOverrideCursor();
    state_.fillDefaultSettings();
    const ComPort first{ComPort::kFirst};
    if (portTable_[0] == first.number) {
        // Selecting from the program raises no activation, so run the handler here.
        cboComPorts->setCurrentIndex(0);
        runExclusive([this] { cboComPorts_Click(); });
        return;
    }
    // No port to open: say so rather than show the label's name, and keep the probe's reason
    // for the operations that will need the port. A COM1 on the network is chosen when it
    // answers.
    const PortAddress address = link_.ports().addressFor(first);
    const PortState state = probe_.state(first);
    awaitingFirstPort_ = state.kind == PortState::Kind::Probing;
    portProblem_ = state.error(address);
    ShowStatus(false);
    if (!address.isEmpty())
        portNote_ = describePortError(first, portProblem_);
    else if (cboComPorts->count() == 0)
        portNote_ = noUsablePortAdvice(catalog_ ? int(catalog_->found().size()) : 0);
    showStatusNotes();
}

void frmExec::onPortAnswered(ComPort port, const PortState& state) {
    lastAnswers_.insert(port, state);
    const ComPort selected = selectedPort();
    QMap<ComPort, PortState> states = probe_.states();
    for (auto it = lastAnswers_.constBegin(); it != lastAnswers_.constEnd(); ++it) {
        if (states.value(it.key()).kind == PortState::Kind::Probing)
            states.insert(it.key(), *it);
    }
    showPortRows(listablePorts(states, selected), selected);
    if (port.number != ComPort::kFirst || !awaitingFirstPort_)
        return;
    awaitingFirstPort_ = false;
    const PortAddress address = link_.ports().addressFor(port);
    if (!state.listable() || selected.isValid() || busy_) {
        portProblem_ = state.error(address);
        if (!selected.isValid()) {
            portNote_ = describePortError(port, portProblem_);
            showStatusNotes();
        }
        return;
    }
    portNote_.clear();
    showStatusNotes();
    cboComPorts->setCurrentIndex(0);
    runExclusive([this] { cboComPorts_Click(); });
}

ComPort frmExec::selectedPort() const {
    const int row = cboComPorts->currentIndex();
    return row >= 0 ? ComPort{portTable_[static_cast<std::size_t>(row)]} : ComPort{};
}

void frmExec::showPortRows(const QList<ComPort>& ports, ComPort selected) {
    // Rows change only where they must: the list may be dropped down while an answer comes.
    QList<ComPort> shown;
    for (int row = 0; row < cboComPorts->count(); ++row)
        shown << ComPort{portTable_[static_cast<std::size_t>(row)]};
    if (shown != ports) {
        const QSignalBlocker quiet(cboComPorts);
        for (int row = cboComPorts->count() - 1; row >= 0; --row) {
            if (!ports.contains(shown[row]))
                cboComPorts->removeItem(row);
        }
        for (int row = 0; row < ports.size(); ++row) {
            const ComPort port = ports[row];
            if (row < cboComPorts->count() && cboComPorts->itemText(row) == port.label())
                continue;
            cboComPorts->insertItem(row, port.label());
        }
    }
    portTable_.fill(0);
    for (int row = 0; row < ports.size(); ++row) {
        portTable_[static_cast<std::size_t>(row)] = static_cast<qint16>(ports[row].number);
        cboComPorts->setItemData(row, portToolTip(static_cast<qint16>(ports[row].number)),
                                 Qt::ToolTipRole);
    }
    cboComPorts->setCurrentIndex(int(ports.indexOf(selected))); // -1: no row
}

void frmExec::cboComPorts_DropDown() {
    // The chosen port keeps its row even while its device is gone, so choosing it again
    // reopens it once the device is back; it is not probed, its line stays untouched. A
    // network port keeps its last answer until the new one comes.
    const ComPort kept = selectedPort();
    renumberPorts();
    probePorts();
    QMap<ComPort, PortState> states = probe_.states();
    for (auto it = lastAnswers_.constBegin(); it != lastAnswers_.constEnd(); ++it) {
        if (states.value(it.key()).kind == PortState::Kind::Probing)
            states.insert(it.key(), *it);
    }
    showPortRows(listablePorts(states, kept), kept);
    if (cboComPorts->count() > 0)
        portNote_.clear();
    showStatusNotes();
}

void frmExec::cmdPorts_Click() {
    if (!catalog_)
        return;
    renumberPorts();
    probePorts();
    const PortAddress openAddress = link_.isOpen() ? link_.currentAddress() : PortAddress();
    PortsDialog dialog(*catalog_, probe_, link_.heldKey(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.changes().isEmpty())
        return;
    QString error;
    if (!catalog_->apply(dialog.changes(), &error, true))
        prompter_.warn(
            tr("The port numbers were not stored: %1.\rThey hold until the program ends.")
                .arg(error));
    link_.setPorts(catalog_->portMap());
    storeNote_ = catalog_->storeNotes().join(u'\n');
    showStatusNotes();
    // The open port stays open unless its own number now stands for another device.
    if (link_.isOpen() && link_.currentAddress().key() != openAddress.key()) {
        CloseCOM();
        portProblem_ = {PortFailure::Missing, link_.currentAddress().text(), {}};
        ShowStatus(false);
    }
    // A number that stands for nothing now has no row, not even the chosen one.
    const ComPort selected = selectedPort();
    const ComPort kept =
        selected.isValid() && !link_.ports().addressFor(selected).isEmpty() ? selected : ComPort{};
    probePorts();
    showPortRows(listablePorts(probe_.states(), kept), kept);
}

void frmExec::cboComPorts_Click() {
    const int row = cboComPorts->currentIndex();
    if (row < 0)
        return;
    CloseCOM();
    if (!OpenCOM(portTable_[row]))
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
    prompter_.warn(describePortError(ComPort{port}, portProblem_));
    ShowStatus(false);
}

bool frmExec::portReady() {
    if (link_.isOpen())
        return true;
    prompter_.warn(describePortNotOpen(link_.currentComPort(), portProblem_));
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
                            [this](const QString& firmware) { lblFWVersion->setText(firmware); },
                            [this](const QString& note) {
                                replyNote_ = note;
                                showStatusNotes();
                            }};
}

void frmExec::showStatusNotes() {
    QStringList notes;
    for (const QString& note : {portNote_, storeNote_, QString(replyNote_).replace(u'\r', u'\n')}) {
        if (!note.isEmpty())
            notes << note;
    }
    lblCOMM->setToolTip(notes.join(u'\n'));
}

void frmExec::ShowStatus(bool online) {
    if (online)
        setStatusColours(lblCOMM, kGreen, kBlack);
    else
        setStatusColours(lblCOMM, kRed, kWhite);
    lblCOMM->setText(online ? tr("Online") : tr("Offline"));
}

void frmExec::cmdAlign_Click() {
    showRoutedWindow(alignWindow(), showAlignWindow);
}

frmAlign& frmExec::alignWindow() {
    // "Side Look" counts as checked in either checked state, the grey one included.
    const auto sideLook = [this] { return chkSide->checkState() != Qt::Unchecked; };
    if (!align_) {
        align_ = new frmAlign(link_, sideLook, this);
        keepLineWindowUsable(*align_, *actLine);
    }
    return *align_;
}

void frmExec::cmdDecode_Click() {
    showRoutedWindow(decodeWindow(), showDecodeWindow);
}

frmDecode& frmExec::decodeWindow() {
    if (!decode_) {
        decode_ = new frmDecode(
            link_, [this] { cmdDefaults_Click(); }, this);
        keepLineWindowUsable(*decode_, *actLine);
    }
    return *decode_;
}

void frmExec::showRoutedWindow(LineReceiver& receiver, const std::function<void()>& show) {
    if (!portReady())
        return;
    CloseCOM();
    if (!OpenCOM(link_.currentPort()))
        return; // a window with no line to read would only show nothing
    if (OperationContext ctx = context(); refuseSlowNetwork(ctx))
        return; // its cycle would only show the reader as silent
    link_.setReceiver(&receiver);
    if (show)
        show();
    link_.setReceiver(nullptr);
}

LineWindow& frmExec::lineWindow() {
    if (!line_)
        line_ = std::make_unique<LineWindow>(link_);
    return *line_;
}

void frmExec::showLineWindow() {
    LineWindow& window = lineWindow();
    window.show();
    window.raise();
    window.activateWindow();
}

void frmExec::cmdSetup_Click() {
    if (!portReady())
        return;
    if (showSymbolsWindow)
        showSymbolsWindow();
}

frmSymbols& frmExec::symbolsWindow() {
    if (!symbols_) {
        symbols_ = new frmSymbols(
            link_, state_, [this] { return GetXSW(); }, this);
        keepLineWindowUsable(*symbols_, *actLine);
    }
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
        playExchange(link_, prompter_, defaultConfigurationExchange());
}

void frmExec::cmdSave_Click() {
    if (!portReady())
        return;
    OperationContext ctx = context();
    if (runPermanentSave(ctx) != SaveOutcome::NotSent)
        return;
    QString text = tr("The settings were not saved as the power-on defaults.");
    if (!link_.isOpen())
        text += QChar(u'\r') + describePortNotOpen(link_.currentComPort(), portProblem_);
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
                             static_cast<QWidget*>(cmdSymbols), static_cast<QWidget*>(cmdSetup),
                             static_cast<QWidget*>(cmdPorts)})
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
    if (line_)
        line_->close();
    event->accept();
}
