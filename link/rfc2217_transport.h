#pragma once

#include "link/com_port_option.h"
#include "link/round_trip.h"
#include "link/tcp_transport.h"
#include "link/telnet_codec.h"
#include "link/telnet_options.h"

#include <QElapsedTimer>
#include <QList>

// A reader behind a serial device server that speaks RFC 2217 ("rfc2217://"): Telnet with the
// COM port option, through which this side sets the far line as the reader needs it and purges
// it, as a local port is opened. The line counts as open only once the server has confirmed
// each setting; a server that sets another value refuses the port.
class Rfc2217Transport : public TcpTransport {
    Q_OBJECT
public:
    // How long to wait, once the line settings are confirmed, for the answers a server may
    // leave out (DTR, RTS, purge: ser2net on a pseudo-terminal has no modem lines).
    static constexpr int kOptionalAnswerGraceMs = 50;
    // How often the round trip is measured again while the line is open.
    static constexpr int kRoundTripProbeMs = 1000;
    // Negotiations traced one by one on a connection; beyond, a line at each doubling counts
    // them.
    static constexpr int kTracedNegotiations = 32;

    explicit Rfc2217Transport(NetworkAddress address, QObject* parent = nullptr);

    // From the server's answers: to the line settings first, then to a harmless question asked
    // every kRoundTripProbeMs.
    std::optional<double> roundTripMs() const override;

protected:
    void connectionMade() override;
    void received(const QByteArray& bytes) override;
    QByteArray encode(const QByteArray& bytes) const override { return telnetEscape(bytes); }
    QString serverSaid() const override;

private:
    struct Pending {
        rfc2217::Request request;
        bool answered = false;
    };

    void negotiation(quint8 command, quint8 option);
    void subnegotiation(const TelnetItem& item);
    void sendSettings();
    void checkSettled();
    void giveUpOptional();
    void probeRoundTrip();
    void answered(rfc2217::Command command);
    double nowMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

    TelnetDecoder decoder_;
    TelnetOptions options_;
    QList<Pending> requests_;
    QByteArray serverSaid_; // data before the line was set up
    bool settingsSent_ = false;
    // Everything to send in answer to one read goes out in one write.
    QByteArray outgoing_;
    int tracedNegotiations_ = 0;
    qint64 untracedNegotiations_ = 0;
    qint64 untracedAnswers_ = 0;
    QTimer grace_;
    RoundTripMeter roundTrip_;
    QElapsedTimer clock_;
    QTimer probe_;
    double announced_ = 0; // the round trip the trace last told
};
