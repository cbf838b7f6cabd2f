#include "link/network_transports.h"

#include "link/port_address.h"
#include "link/rfc2217_transport.h"

namespace {
// Addresses are checked where they are given; one that slips through still fails cleanly.
class MalformedAddress : public Transport {
public:
    MalformedAddress(QString address, QString error)
        : address_(std::move(address)), error_(std::move(error)) {}
    OpenState open(PortError& why) override {
        why = PortError{PortFailure::Network, address_, error_};
        return OpenState::Failed;
    }
    void close() override {}
    bool isOpen() const override { return false; }
    bool write(const QByteArray&) override { return false; }
    QByteArray readAll() override { return {}; }
    void discardInput() override {}
    qint64 bytesAvailable() const override { return 0; }
    qint64 bytesToWrite() const override { return 0; }
    QString key() const override { return address_; }

private:
    QString address_;
    QString error_;
};
} // namespace

std::unique_ptr<Transport> makeNetworkTransport(const QString& address) {
    if (!isNetworkAddress(address))
        return nullptr;
    QString error;
    const auto parsed = parseNetworkAddress(address, &error);
    if (!parsed)
        return std::make_unique<MalformedAddress>(address, error);
    if (parsed->kind == NetworkAddress::Kind::Rfc2217)
        return std::make_unique<Rfc2217Transport>(*parsed);
    return std::make_unique<TcpTransport>(*parsed);
}

std::unique_ptr<Transport> makeNetworkProbe(const QString& address) {
    if (!isNetworkAddress(address))
        return nullptr;
    QString error;
    auto parsed = parseNetworkAddress(address, &error);
    if (!parsed)
        return std::make_unique<MalformedAddress>(address, error);
    parsed->kind = NetworkAddress::Kind::Socket;
    return std::make_unique<TcpTransport>(*parsed);
}
