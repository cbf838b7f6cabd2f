#pragma once

#include <QMap>
#include <QString>
#include <optional>

// Which device stands for COMn (n from 1 to 16).
class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 16;

    // COMn is the platform's own device (/dev/ttyS<n-1> on Linux) unless mapped.
    static PortMap platformDefault();
    // Only mapped ports have a device; tests use this so nothing real is touched.
    static PortMap explicitOnly();

    void map(int port, const QString& device);
    // Empty when the port has no device.
    QString deviceFor(int port) const;
    // The ports given a device with map(), COMn -> device.
    const QMap<int, QString>& mapped() const { return mapped_; }

    struct Assignment {
        int port = 0;
        QString device;
    };
    // Parses "COMn=DEVICE"; on failure returns nothing and says why in *error.
    static std::optional<Assignment> parseAssignment(const QString& text, QString* error);

private:
    explicit PortMap(bool fallBackToPlatform) : fallBackToPlatform_(fallBackToPlatform) {}
    bool fallBackToPlatform_;
    QMap<int, QString> mapped_;
};
