#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// The COM numbers remembered for adapters: one small INI file in the user's configuration,
//   [ports]
//   COM5=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9xyz-if00-port0
// A write changes only the lines of the numbers that changed: comments, other sections and
// keys this version does not know stay as the user left them. A file that cannot be read or
// understood is never written, nor one that is a symbolic link (it is read, and said to be
// used read-only).
class PortStore {
public:
    // $XDG_CONFIG_HOME/ksr-utility/ports.ini (~/.config/ksr-utility/ports.ini).
    static QString defaultPath();

    explicit PortStore(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // How long update() waits for another program's write: the window waits briefly and
    // stores later; a command may wait longer.
    void setLockWaitMs(int ms) { lockWaitMs_ = ms; }
    static constexpr int kWindowLockWaitMs = 100;

    struct Contents {
        QMap<int, QString> assignments; // COMn -> identity
        QString problem;                // why the file could not be used; empty if it could
        QStringList notices;            // what is odd but does not stop its use (line numbers)
    };
    Contents load() const;

    // Under the file's lock: reads it again, lets `edit` change the assignments, writes them
    // (a new file replaces the old at once). False, with the reason in *error, when the file
    // cannot be read or written, or another program holds the lock for longer than the wait.
    bool update(const std::function<void(QMap<int, QString>&)>& edit, QString* error) const;

private:
    QString path_;
    int lockWaitMs_ = kWindowLockWaitMs;
};

// The file's text read: its assignments, or the problem that makes it unusable.
PortStore::Contents parsePortsFile(const QByteArray& text);
// `text` with the [ports] assignments made `assignments`; every other line is kept.
QByteArray rewritePortsFile(const QByteArray& text, const QMap<int, QString>& assignments);
