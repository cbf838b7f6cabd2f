#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM, SIGHUP and SIGPIPE as a Qt signal, through a self-pipe, so the event loop can
// finish the work (take the reader out of a mode, close the port, remove a symlink) instead of the
// process dying. One at a time in a process: the handlers are process-wide.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Gives the signals back the actions they had before install().
    ~TerminationSignals() override;
    // False when the handlers could not be installed.
    bool install();

signals:
    void received(int signalNumber);

private:
    void onReadable();
    QSocketNotifier* notifier_ = nullptr;
};
