#include "link/port_address.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>

QString ComPort::label() const {
    return QStringLiteral("COM%1").arg(number);
}

std::optional<ComPort> ComPort::parse(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^COM([0-9]{1,2})\\z"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(text);
    const ComPort port{match.hasMatch() ? match.captured(1).toInt() : 0};
    if (!port.isValid())
        return std::nullopt;
    return port;
}

QList<ComPort> ComPort::all() {
    QList<ComPort> ports;
    for (int n = kFirst; n <= kCount; ++n)
        ports << ComPort{n};
    return ports;
}

namespace {
const QRegularExpression& schemePattern() {
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    return pattern;
}

// Host names as DNS allows them: letters, digits, hyphens and dots.
bool isHostName(const QString& host) {
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,62})(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,62}))*"
                       "\\.?\\z"));
    return host.size() <= 253 && pattern.match(host).hasMatch();
}

std::optional<NetworkAddress> refuse(const QString& text, const QString& why, QString* error) {
    *error = QStringLiteral("\"%1\" is not a network address: %2").arg(text, why);
    return std::nullopt;
}

QString seconds(int ms) {
    return QString::number(ms / 1000.0);
}
} // namespace

QString NetworkAddress::text() const {
    QString out =
        kind == Kind::Rfc2217 ? QStringLiteral("rfc2217://") : QStringLiteral("socket://");
    out += host.contains(u':') ? u'[' + host + u']' : host;
    out += u':' + QString::number(port);
    if (timeoutMs != kDefaultTimeoutMs)
        out += QStringLiteral("?timeout=") + seconds(timeoutMs);
    return out;
}

bool isNetworkAddress(const QString& text) {
    return schemePattern().match(text).hasMatch();
}

std::optional<NetworkAddress> parseNetworkAddress(const QString& text, QString* error) {
    const auto scheme = schemePattern().match(text);
    if (!scheme.hasMatch())
        return refuse(text, QStringLiteral("give rfc2217://HOST:PORT or socket://HOST:PORT"),
                      error);
    NetworkAddress address;
    const QString name = scheme.captured(1).toLower();
    if (name == QStringLiteral("rfc2217"))
        address.kind = NetworkAddress::Kind::Rfc2217;
    else if (name == QStringLiteral("socket"))
        address.kind = NetworkAddress::Kind::Socket;
    else
        return refuse(
            text,
            QStringLiteral("unknown scheme \"%1\" (rfc2217 or socket)").arg(scheme.captured(1)),
            error);

    QString rest = text.mid(scheme.capturedLength());
    if (const qsizetype query = rest.indexOf(u'?'); query >= 0) {
        const QString range = QStringLiteral("the time-out must be %1 to %2 seconds")
                                  .arg(seconds(NetworkAddress::kMinTimeoutMs),
                                       seconds(NetworkAddress::kMaxTimeoutMs));
        static const QRegularExpression timeout(QStringLiteral("^timeout=([0-9.]*)\\z"));
        const auto match = timeout.match(rest.mid(query + 1));
        if (!match.hasMatch())
            return refuse(text, QStringLiteral("the only option is ?timeout=SECONDS"), error);
        bool number = false;
        const double value = match.captured(1).toDouble(&number);
        if (!number || value * 1000 < NetworkAddress::kMinTimeoutMs - 0.5 ||
            value * 1000 > NetworkAddress::kMaxTimeoutMs + 0.5)
            return refuse(text, QStringLiteral("%1, not \"%2\"").arg(range, match.captured(1)),
                          error);
        address.timeoutMs = qRound(value * 1000);
        rest.truncate(query);
    }

    QString portText;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return refuse(text, QStringLiteral("the IPv6 address has no closing bracket"), error);
        address.host = rest.mid(1, close - 1);
        QHostAddress ip;
        if (!ip.setAddress(address.host) || ip.protocol() != QAbstractSocket::IPv6Protocol)
            return refuse(text, QStringLiteral("\"%1\" is not an IPv6 address").arg(address.host),
                          error);
        if (rest.mid(close + 1, 1) != QStringLiteral(":"))
            return refuse(text, QStringLiteral("the port number is missing"), error);
        portText = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        if (colon < 0)
            return refuse(text, QStringLiteral("the port number is missing"), error);
        address.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (address.host.isEmpty())
            return refuse(text, QStringLiteral("the host is missing"), error);
        if (address.host.contains(u':'))
            return refuse(text, QStringLiteral("put an IPv6 address in brackets: [::1]:4001"),
                          error);
        if (!isHostName(address.host))
            return refuse(text, QStringLiteral("\"%1\" is not a host name").arg(address.host),
                          error);
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}\\z"));
    const int port = digits.match(portText).hasMatch() ? portText.toInt() : 0;
    if (port < 1 || port > 65535)
        return refuse(
            text, QStringLiteral("the port number must be 1 to 65535, not \"%1\"").arg(portText),
            error);
    address.port = static_cast<quint16>(port);
    address.host = address.host.toLower();
    return address;
}

QString canonicalDevice(const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

PortAddress PortAddress::devicePath(QString path) {
    PortAddress address;
    if (!path.isEmpty())
        address.value_ = std::move(path);
    return address;
}

PortAddress PortAddress::network(NetworkAddress address) {
    PortAddress port;
    port.value_ = std::move(address);
    return port;
}

std::optional<PortAddress> PortAddress::parse(const QString& text, QString* error) {
    if (isNetworkAddress(text)) {
        const auto address = parseNetworkAddress(text, error);
        if (!address)
            return std::nullopt;
        return network(*address);
    }
    if (text.isEmpty()) {
        *error = QStringLiteral("no device path given");
        return std::nullopt;
    }
    // A name that would break a table's or a trace's line is refused where it is typed.
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            *error = QStringLiteral("the device path \"%1\" contains a control character")
                         .arg(QString(text).replace(c, u'?'));
            return std::nullopt;
        }
    }
    return devicePath(text);
}

QString PortAddress::path() const {
    if (const auto* path = std::get_if<QString>(&value_))
        return *path;
    return {};
}

QString PortAddress::text() const {
    if (const auto* address = std::get_if<NetworkAddress>(&value_))
        return address->text();
    return path();
}

QString PortAddress::key() const {
    return isNetwork() ? text() : canonicalDevice(path());
}
