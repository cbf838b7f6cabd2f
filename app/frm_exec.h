#pragma once

#include "app/line_window.h"
#include "app/port_list_box.h"
#include "link/reader_link.h"
#include "ports/port_probe.h"
#include "reader_ops/operation_context.h"
#include "reader_ops/reader_state.h"
#include "reader_ops/verification.h"
#include "ui/layout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class Prompter;
class PortCatalog;
class PortsDialog;
class frmSymbols;
class frmAlign;
class frmDecode;

// The main window: port list, status, firmware identifier and the buttons that start every
// operation. It owns the reader link that all other windows use.
class frmExec : public QWidget {
    Q_OBJECT
public:
    frmExec(PortMap ports, QString reportPath, Prompter& prompter, QWidget* parent = nullptr);
    ~frmExec() override;

    // The window's controls, as the window is built from them.
    static const WindowLayout& layout();

    // The devices found and their numbers; without one (tests), the ports given are all.
    void setPortCatalog(PortCatalog* catalog) { catalog_ = catalog; }

    // The load steps: probe the ports, start the tick timer, fill the expected settings and
    // select COM1 (which verifies the reader there). Runs before the window is first shown.
    void Form_Load();

    // 0 the port is there and free, 1 it is held (here or elsewhere), -1 anything else. A
    // network port answers -1 until the probe under way has reached it: nothing waits here.
    qint16 TestCOM(const qint16& Port);
    // The probe the port list and the Ports dialog show.
    const PortProbe& portProbe() const { return probe_; }
    bool OpenCOM(const qint16& Port);
    void CloseCOM() { link_.CloseCOM(); }
    VerificationOutcome GetXSW();

    ReaderLink& link() { return link_; }
    ReaderState& state() { return state_; }
    bool isBusy() const { return busy_; }
    // Port table: row k of the port list shows COM(portTable[k]).
    const std::array<qint16, 21>& portTable() const { return portTable_; }

    // The windows that later open from the buttons; empty until they exist.
    std::function<void()> showAlignWindow;
    std::function<void()> showDecodeWindow;
    std::function<void()> showSymbolsWindow;
    // The symbology dialog, made on first use and kept; showSymbolsWindow shows it.
    frmSymbols& symbolsWindow();
    std::function<void()> closeAlignWindow;
    // The alignment window, made on first use and kept; the hooks above show and close it.
    frmAlign& alignWindow();
    // The decode test window, made on first use and kept; showDecodeWindow shows it.
    frmDecode& decodeWindow();
    // The Line window, made on first use and kept; "Line" and Ctrl+L show it.
    LineWindow& lineWindow();
    void showLineWindow();

    QGroupBox* frmSetup;
    PortListBox* cboComPorts;
    QLabel* lblCOMM;
    QLabel* Label1;
    QLabel* lblFWVersion;
    QPushButton* cmdDefaults;
    QPushButton* cmdSave;
    QCheckBox* chkSide;
    QPushButton* cmdAlign;
    QPushButton* cmdDecode;
    QPushButton* cmdSymbols;
    QPushButton* cmdSetup;
    QPushButton* cmdPorts;
    QPushButton* cmdLine;
    // Ctrl+L, in the main window and in the windows it opens.
    QAction* actLine;

    void cboComPorts_Click();
    // The list is about to drop down: probe again, so adapters plugged in or pulled since show.
    void cboComPorts_DropDown();
    void cmdAlign_Click();
    void cmdDecode_Click();
    void cmdSetup_Click();
    void cmdSymbols_Click();
    void cmdDefaults_Click();
    void cmdSave_Click();
    // The Ports dialog; OK stores its changes and rebuilds the list.
    void cmdPorts_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // Rebuilds the rows and the port table from `ports` (ascending) and selects the row of
    // `selected`, or none. Chooses nothing: no port is closed, opened or verified.
    void showPortRows(const QList<ComPort>& ports, ComPort selected);
    // Probes every port again: the local ones now, the network ones as they answer.
    void probePorts();
    // A network port's answer: its row comes or goes, and COM1 is chosen if the start waits
    // for it.
    void onPortAnswered(ComPort port, const PortState& state);
    // The row of the chosen port, or none.
    ComPort selectedPort() const;
    // Looks for the devices again and numbers them (with a catalog).
    void renumberPorts();
    // What a port's row tells when pointed at: device, description, maker, serial number.
    QString portToolTip(qint16 port) const;
    void ShowStatus(bool online);
    // The status label's tooltip: a number that could not be stored, a damaged reply.
    void showStatusNotes();
    void IdentifySymbology();
    // Opens the current port and shows a routed window for as long as it is open.
    void showRoutedWindow(LineReceiver& receiver, const std::function<void()>& show);
    void reportOpenFailure(qint16 port);
    // True when the current port is open; otherwise says once why not, and the operation
    // that asked sends nothing and waits for nothing.
    bool portReady();
    // Runs an operator's request unless another one is still waiting; keeps the controls
    // disabled meanwhile and carries out a close that was asked for during it.
    void runExclusive(const std::function<void()>& operation);
    void setOperatorControlsEnabled(bool enabled);
    OperationContext context();

    ReaderLink link_;
    Prompter& prompter_;
    ReaderState state_;
    QString reportPath_;
    std::array<qint16, 21> portTable_{};
    // Why the current port is not open: its failed opening, its loss, or the start-up probe.
    PortError portProblem_;
    PortProbe probe_;
    // The last answer of each network port, shown while it is probed again.
    QMap<ComPort, PortState> lastAnswers_;
    // The start found no COM1 yet: it is chosen when its network probe answers.
    bool awaitingFirstPort_ = false;
    QString portNote_;  // why no port can be used
    QString storeNote_; // the remembered numbers' file
    QString replyNote_; // the last reply's damage
    bool busy_ = false;
    bool closePending_ = false;
    frmSymbols* symbols_ = nullptr;
    frmAlign* align_ = nullptr;
    frmDecode* decode_ = nullptr;
    PortCatalog* catalog_ = nullptr;
    // A window of its own (no parent), so the windows modal to this one leave it usable.
    std::unique_ptr<LineWindow> line_;
};
