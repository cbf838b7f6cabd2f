#pragma once

#include "reader_ops/reader_state.h"
#include "reader_ops/verification.h"
#include "symbols/symbology_selection.h"
#include "ui/layout.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <array>
#include <functional>

class ReaderLink;

// "Symbologies": one box for each symbology the reader's settings words switch on. Ticking a
// box sends that symbology's commands; "OK" sends the complete selection. The object is made
// once and reused; its controls are made afresh at each opening and go when it closes.
class frmSymbols : public QDialog {
    Q_OBJECT
public:
    using Verification = std::function<VerificationOutcome()>;

    frmSymbols(ReaderLink& link, const ReaderState& state, Verification GetXSW,
               QWidget* parent = nullptr);

    // The dialog's controls, as each opening builds them.
    static const WindowLayout& layout();

    // Reads the reader afresh, sets the boxes and shows the dialog modally until it closes.
    // When the verification did not read this reader's settings words the dialog stays shut:
    // its boxes would show some other reader's selection, which "OK" would then impose.
    void showModally();

    // The load steps, without showing. False when the settings words were not read.
    bool Form_Load();
    void chkSymbols_Click(int Index);
    void cmdOK_Click();
    void cmdCancel_Click();

    // False only while the opening sets the boxes; keeps its value after closing.
    bool isReady() const { return ready_; }
    SymbologyBoxes boxValues() const;

    // Null while the dialog is closed.
    std::array<QCheckBox*, kSymbologyCount> chkSymbols{};
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    // Every way of closing ends here; the controls go, the fields stay.
    void done(int result) override;

private:
    void buildControls();
    void destroyControls();
    void SendSymbols();

    ReaderLink& link_;
    const ReaderState& state_;
    Verification GetXSW_;
    bool ready_ = false;
};
