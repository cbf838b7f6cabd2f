#include "symbols/frm_symbols.h"

#include "link/reader_link.h"
#include "ui/ui_metrics.h"

frmSymbols::frmSymbols(ReaderLink& link, const ReaderState& state, Verification GetXSW,
                       QWidget* parent)
    : QDialog(parent), link_(link), state_(state), GetXSW_(std::move(GetXSW)) {
    const Twips t;
    setObjectName(QStringLiteral("frmSymbols"));
    setWindowTitle(QStringLiteral("Symbologies"));
    setFont(dialogFont());
    setFixedSize(t.px(3180), t.px(3375));
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
    const Twips t;
    for (int i = 0; i < kSymbologyCount; ++i) {
        const SymbologyRow& row = symbologyRows()[static_cast<std::size_t>(i)];
        auto* box = new QCheckBox(row.caption, this);
        box->setObjectName(QStringLiteral("chkSymbols"));
        box->setProperty("Index", i);
        box->setGeometry(t.rect(600, 360 + 360 * i, row.widthTwips, 252));
        // A value set by the program raises the click too, as the operator's does.
        connect(box, &QCheckBox::toggled, this, [this, i] { chkSymbols_Click(i); });
        chkSymbols[static_cast<std::size_t>(i)] = box;
    }
    // Made after the boxes, so they lie above the longer boxes' empty right ends.
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(t.rect(2280, 2640, 855, 315));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(t.rect(2280, 3000, 855, 315));
    // No default button: Enter on a box must not send a complete selection.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmSymbols::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSymbols::cmdCancel_Click);

    QList<QWidget*> chain(chkSymbols.begin(), chkSymbols.end());
    chain << cmdOK << cmdCancel;
    for (qsizetype k = 1; k < chain.size(); ++k)
        QWidget::setTabOrder(chain[k - 1], chain[k]);
    chkSymbols[0]->setFocus();
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
    for (const QString& code : selectionCommands(boxValues()))
        link_.SendCommand(code);
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
