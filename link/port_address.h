#pragma once

#include <QString>
#include <optional>

// A reader behind a serial device server: "rfc2217://HOST:PORT" (Telnet with the COM port
// option, the line set from here) or "socket://HOST:PORT" (raw TCP, the line as the server has
// it), with an optional "?timeout=S" bound on connecting.
struct NetworkAddress {
    enum class Kind { Rfc2217, Socket };
    static constexpr int kDefaultTimeoutMs = 3000;

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

// Parses an address; on failure says why in *error, naming the text.
std::optional<NetworkAddress> parseNetworkAddress(const QString& text, QString* error);

// A device path or a well-formed address: empty; otherwise what is wrong with the address.
QString portAddressError(const QString& text);
