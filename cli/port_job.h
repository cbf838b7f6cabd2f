#pragma once

#include "cli/command_line.h"
#include "cli/port_line.h"
#include "cli/port_result.h"
#include "cli/port_targets.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/reader_state.h"

#include <QObject>
#include <functional>

class LineTrace;

// One port's command: the exchanges the main window plays, played here asynchronously on the
// port's own line and tick, so any number of ports share one event loop and none waits for
// another. Only the reading of the replies into a result is the command's own.
class PortJob : public QObject {
    Q_OBJECT
public:
    struct Settings {
        SubCommand command = SubCommand::Verify;
        QString reportPath; // this port's report; empty for none
        QList<int> enable;  // symbologies
        QList<int> disable;
        // identify: asks the operator to present the barcode, then calls `ready`; none: at once.
        std::function<void(const QString& port, std::function<void()> ready)> presentBarcode;
        TransportFactory transports; // none: the system's
        // The words expected instead of the default configuration, and the report they
        // were read from.
        std::optional<SettingsTable> expectedWords;
        QString expectPath;
    };

    PortJob(const PortTarget& target, Settings settings, LineTrace* trace,
            QObject* parent = nullptr);

    void start();
    bool isFinished() const { return finished_; }
    // A port named by "all" that does not exist: it has no row.
    bool isLeftOut() const { return leftOut_; }
    const PortResult& result() const { return result_; }

signals:
    void finished();

private:
    void onOpened(bool ok);
    void askOperator(const Prompt& prompt, std::function<void(PromptAnswer)> answer);
    // The reply to "Z3" judged as the window judges it; the result takes what it found.
    VerificationJudgement takeVerification(const QString& reply);
    void writeReport(const SettingsTable& words);

    void runVerify();
    void runDefaults();
    void runSave();
    void runIdentify();
    void runSymbologies();
    void applySymbologies(const SettingsTable& words);

    // Lets what was written reach the device, closes the port, and reports.
    void finish();
    void fail(PortStatus status, const QString& error);
    void end();

    Settings settings_;
    PortLine line_;
    ExchangePlayer player_;
    ReaderState state_;
    PortResult result_;
    bool finished_ = false;
    bool closing_ = false;
    bool optional_ = false;
    bool leftOut_ = false;
};
