#pragma once

#include <QMap>
#include <QString>
#include <functional>

// The COM numbers remembered for adapters: one small INI file in the user's configuration,
//   [ports]
//   COM5=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9xyz-if00-port0
// Keys this version does not know are kept when it writes. A file that cannot be read or
// understood is never written.
class PortStore {
public:
    // $XDG_CONFIG_HOME/ksr-utility/ports.ini (~/.config/ksr-utility/ports.ini).
    static QString defaultPath();

    explicit PortStore(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    struct Contents {
        QMap<int, QString> assignments; // COMn -> identity
        QString problem;                // why the file could not be used; empty if it could
    };
    Contents load() const;

    // Under the file's lock: reads it again, lets `edit` change the assignments, writes them
    // (a new file replaces the old at once). False, with the reason in *error, when the file
    // cannot be read or written.
    bool update(const std::function<void(QMap<int, QString>&)>& edit, QString* error) const;

private:
    QString path_;
};
