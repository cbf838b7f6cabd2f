#pragma once

#include "link/round_trip.h"
#include "link/tcp_transport.h"
#include "link/telnet_codec.h"

#include <QElapsedTimer>
#include <QList>

// A reader behind a serial device server that speaks RFC 2217 ("rfc2217://"): Telnet with the
// COM port option, through which this side sets the far line to 9600,N,8,1, no flow control,
// DTR and RTS on, and purges it, as a local port is opened. The line counts as open only once
// the server has confirmed each setting; a server that sets another value refuses the port.
class Rfc2217Transport : public TcpTransport {
    Q_OBJECT
public:
    // How long to wait, once the line settings are confirmed, for the answers a server may
    // leave out (DTR, RTS, purge: ser2net on a pseudo-terminal has no modem lines).
    static constexpr int kOptionalAnswerGraceMs = 50;
    // How often the round trip is measured again while the line is open.
    static constexpr int kRoundTripProbeMs = 1000;

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
    struct Request {
        quint8 command;
        QByteArray value;
        QString what;  // "9600 baud"
        bool required; // false: a server may not answer it
        bool answered = false;
    };

    void negotiation(quint8 command, quint8 option);
    void subnegotiation(quint8 option, const QByteArray& payload);
    void sendSettings();
    void checkSettled();
    void giveUpOptional();
    void probeRoundTrip();
    void answered(quint8 command);
    double nowMs() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

    TelnetDecoder decoder_;
    TelnetOptions options_;
    QList<Request> requests_;
    QByteArray serverSaid_; // data before the line was set up
    bool settingsSent_ = false;
    QTimer grace_;
    RoundTripMeter roundTrip_;
    QElapsedTimer clock_;
    QTimer probe_;
    double announced_ = 0; // the round trip the trace last told
};
