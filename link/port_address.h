#pragma once

#include <QList>
#include <QString>
#include <compare>
#include <optional>
#include <variant>

// COMn, the name the operator knows a port by: 1 to 16.
struct ComPort {
    static constexpr int kFirst = 1;
    static constexpr int kCount = 16;

    int number = 0;

    bool isValid() const { return number >= kFirst && number <= kCount; }
    // "COM3": the one place the label is made.
    QString label() const;
    // "COM3" in any case; nothing for anything else, numbers outside 1 to 16 included.
    static std::optional<ComPort> parse(const QString& text);
    // COM1 to COM16 in order.
    static QList<ComPort> all();

    friend auto operator<=>(const ComPort&, const ComPort&) = default;
};

// A reader behind a serial device server: "rfc2217://HOST:PORT" (Telnet with the COM port
// option, the line set from here) or "socket://HOST:PORT" (raw TCP, the line as the server has
// it), with an optional "?timeout=S" bound on connecting.
struct NetworkAddress {
    enum class Kind { Rfc2217, Socket };
    static constexpr int kDefaultTimeoutMs = 3000;
    static constexpr int kMinTimeoutMs = 100;
    static constexpr int kMaxTimeoutMs = 60000;

    Kind kind = Kind::Socket;
    QString host; // a name, IPv4, or IPv6 without its brackets
    quint16 port = 0;
    int timeoutMs = kDefaultTimeoutMs;

    // The canonical form: lower-case scheme and host, brackets around IPv6, the time-out only
    // when it is not the default.
    QString text() const;
};

// Whether the text names a network address at all (any "scheme://"), well formed or not: such a
// text is never taken for a device path.
bool isNetworkAddress(const QString& text);

// Parses an address; on failure says why in *error, naming the text as given.
std::optional<NetworkAddress> parseNetworkAddress(const QString& text, QString* error);

// A symlink and its target are one port: the real device path (the path itself when it does
// not resolve).
QString canonicalDevice(const QString& device);

// What stands for a COM number: a device path, or a reader on the network. Parsed once where
// it is given (command line, Ports dialog, remembered file) and carried as it is from there.
class PortAddress {
public:
    PortAddress() = default; // nothing: the number stands for no device
    static PortAddress devicePath(QString path);
    static PortAddress network(NetworkAddress address);
    // A network address (anything "scheme://") or a device path; on failure nothing, and
    // *error names the text as typed and says what is wrong.
    static std::optional<PortAddress> parse(const QString& text, QString* error);

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool isNetwork() const { return std::holds_alternative<NetworkAddress>(value_); }
    // The device path; empty for a network address.
    QString path() const;
    // Only for isNetwork().
    const NetworkAddress& networkAddress() const { return std::get<NetworkAddress>(value_); }
    // As shown and stored: the path, or the canonical address.
    QString text() const;
    // Two ports with the same key are one line: the canonical device, or the address.
    QString key() const;

    friend bool operator==(const PortAddress& a, const PortAddress& b) {
        return a.text() == b.text();
    }

private:
    std::variant<std::monostate, QString, NetworkAddress> value_;
};
