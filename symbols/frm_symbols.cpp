#include "symbols/frm_symbols.h"

#include "link/reader_link.h"
#include "reader_ops/exchange_runner.h"
#include "ui/required_child.h"

frmSymbols::frmSymbols(ReaderLink& link, const ReaderState& state, Verification GetXSW,
                       QWidget* parent)
    : QDialog(parent), link_(link), state_(state), GetXSW_(std::move(GetXSW)) {
    applyWindowLayout(*this, layout());
}

const WindowLayout& frmSymbols::layout() {
    using enum ControlSpec::Kind;
    // The boxes are the control array chkSymbols, in the order of symbologyRows(). The buttons
    // come after them, so they lie above the longer boxes' empty right ends.
    // clang-format off
    static const WindowLayout table{"frmSymbols", QT_TRANSLATE_NOOP("frmSymbols", "Symbologies"), {3180, 3375}, {
        {.name = "chkSymbols", .kind = CheckBox, .caption = "Code 39",
         .twips = {600, 360, 1692, 252}, .tabIndex = 0, .index = 0},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "Codabar",
         .twips = {600, 720, 1572, 252}, .tabIndex = 1, .index = 1},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "IL 2 of 5",
         .twips = {600, 1080, 1572, 252}, .tabIndex = 2, .index = 2},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "Code 128",
         .twips = {600, 1440, 1692, 252}, .tabIndex = 3, .index = 3},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "UPC, EAN",
         .twips = {600, 1800, 1692, 252}, .tabIndex = 4, .index = 4},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "MSI/Plessy",
         .twips = {600, 2160, 1692, 252}, .tabIndex = 5, .index = 5},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "Code 93",
         .twips = {600, 2520, 1692, 252}, .tabIndex = 6, .index = 6},
        {.name = "chkSymbols", .kind = CheckBox, .caption = "IATA",
         .twips = {600, 2880, 1812, 252}, .tabIndex = 7, .index = 7},
        {.name = "cmdOK", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmSymbols", "OK"), .twips = {2280, 2640, 855, 315},
         .tabIndex = 8},
        {.name = "cmdCancel", .kind = Button, .caption = QT_TRANSLATE_NOOP("frmSymbols", "Cancel"),
         .twips = {2280, 3000, 855, 315}, .tabIndex = 9},
    }};
    // clang-format on
    return table;
}

void frmSymbols::showModally() {
    if (Form_Load())
        exec();
}

bool frmSymbols::Form_Load() {
    buildControls();
    if (GetXSW_() != VerificationOutcome::SettingsRead) {
        destroyControls();
        return false;
    }
    ready_ = false;
    const SymbologyBoxes boxes = boxesFromSettings(state_.ReaderSettings);
    for (int i = 0; i < kSymbologyCount; ++i)
        chkSymbols[static_cast<std::size_t>(i)]->setChecked(boxes[static_cast<std::size_t>(i)]);
    ready_ = true;
    return true;
}

void frmSymbols::buildControls() {
    destroyControls();
    const QList<QWidget*> controls = ::buildControls(*this, layout());
    for (int i = 0; i < kSymbologyCount; ++i) {
        auto* box = requireKind<QCheckBox>(*this, controls[i]);
        // A value set by the program raises the click too, as the operator's does.
        connect(box, &QCheckBox::toggled, this, [this, i] { chkSymbols_Click(i); });
        chkSymbols[static_cast<std::size_t>(i)] = box;
    }
    cmdOK = requireKind<QPushButton>(*this, controls[kSymbologyCount]);
    cmdCancel = requireKind<QPushButton>(*this, controls[kSymbologyCount + 1]);
    // No default button: Enter on a box must not send a complete selection.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmSymbols::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSymbols::cmdCancel_Click);
}

void frmSymbols::destroyControls() {
    const auto drop = [this](auto*& control) {
        if (!control)
            return;
        control->disconnect(this);
        control->hide();
        // Later: the control may be the one whose click is closing the dialog.
        control->deleteLater();
        control = nullptr;
    };
    for (QCheckBox*& box : chkSymbols)
        drop(box);
    drop(cmdOK);
    drop(cmdCancel);
}

SymbologyBoxes frmSymbols::boxValues() const {
    SymbologyBoxes values{};
    for (int i = 0; i < kSymbologyCount; ++i) {
        const QCheckBox* box = chkSymbols[static_cast<std::size_t>(i)];
        values[static_cast<std::size_t>(i)] = box && box->isChecked();
    }
    return values;
}

void frmSymbols::chkSymbols_Click(int Index) {
    if (!ready_ || Index < 0 || Index >= kSymbologyCount)
        return;
    const QCheckBox* box = chkSymbols[static_cast<std::size_t>(Index)];
    if (!box || !box->isChecked())
        return; // unticking sends nothing
    for (const QString& code : commandsOnTicking(Index))
        link_.SendCommand(code);
}

void frmSymbols::SendSymbols() {
    playExchange(link_, selectionExchange(boxValues()));
}

void frmSymbols::cmdOK_Click() {
    SendSymbols();
    accept();
}

void frmSymbols::cmdCancel_Click() {
    reject();
}

void frmSymbols::done(int result) {
    QDialog::done(result);
    destroyControls();
}
