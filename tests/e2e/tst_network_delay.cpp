// Readers behind ser2net across a slow network: a loopback proxy holds every chunk D ms each way.
#include "delay_proxy.h"
#include "link/reader_link.h"
#include "link/tcp_liveness.h"
#include "ser2net_fixture.h"
#include "simulated_port.h"
#include "utility_process.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {
// The first port's entry of a command's --json document, without what differs by the way the
// reader is reached.
QJsonObject portEntry(const Run& run, std::optional<double>* roundTripMs) {
    QJsonObject port =
        QJsonDocument::fromJson(run.out.toUtf8()).object()[QStringLiteral("ports")][0].toObject();
    const QJsonValue roundTrip = port.take(QStringLiteral("roundTripMs"));
    *roundTripMs = roundTrip.isNull() ? std::nullopt : std::optional(roundTrip.toDouble());
    port.remove(QStringLiteral("device"));
    return port;
}

struct Liveness {
    int keepAlive = 0, idleS = 0, intervalS = 0, probes = 0, unacknowledgedMs = 0;
};

// What the system holds for this process's connection to `port` on loopback.
std::optional<Liveness> livenessOfConnectionTo(quint16 port) {
    for (const QString& name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files)) {
        const int fd = name.toInt();
        sockaddr_in peer{};
        socklen_t size = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0 ||
            peer.sin_family != AF_INET || ntohs(peer.sin_port) != port)
            continue;
        Liveness l;
        const auto get = [fd](int level, int option, int* value) {
            socklen_t length = sizeof *value;
            ::getsockopt(fd, level, option, value, &length);
        };
        get(SOL_SOCKET, SO_KEEPALIVE, &l.keepAlive);
        get(IPPROTO_TCP, TCP_KEEPIDLE, &l.idleS);
        get(IPPROTO_TCP, TCP_KEEPINTVL, &l.intervalS);
        get(IPPROTO_TCP, TCP_KEEPCNT, &l.probes);
        get(IPPROTO_TCP, TCP_USER_TIMEOUT, &l.unacknowledgedMs);
        return l;
    }
    return std::nullopt;
}
} // namespace

class NetworkDelayTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    // A reader D ms away is judged as one on the desk: the same bytes on its line, the same
    // result, and the round trip measured as 2 D.
    void farReaderJudgedAsNear_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("delayMs");
        const QStringList commands[] = {
            {QStringLiteral("verify")},
            {QStringLiteral("save"), QStringLiteral("--yes")},
            {QStringLiteral("align"), QStringLiteral("--reports"), QStringLiteral("3")},
        };
        for (const QStringList& command : commands) {
            for (const int delay : {0, 100, 250})
                QTest::addRow("%s, D = %d ms", qPrintable(command.first()), delay)
                    << command << delay;
        }
    }
    void farReaderJudgedAsNear() {
        QFETCH(QStringList, arguments);
        QFETCH(int, delayMs);
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}, {}}));
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({sims.sims[1]->link}, &error), qPrintable(error));
        DelayProxy network(ser2net.rfc2217Port(0), delayMs);

        const QStringList json{QStringLiteral("--json"), QStringLiteral("--port")};
        const Run near = runUtility(arguments + QStringList{QStringLiteral("COM1")} + json +
                                        QStringList{QStringLiteral("COM1=") + sims.sims[0]->link},
                                    dir.path());
        const Run far =
            runUtility(arguments + QStringList{QStringLiteral("COM1")} + json +
                           QStringList{QStringLiteral("COM1=") + network.address("rfc2217")},
                       dir.path());
        QVERIFY2(near.exitCode == 0, qPrintable(describe(near)));
        QVERIFY2(far.exitCode == 0, qPrintable(describe(far)));
        std::optional<double> nearRoundTrip, farRoundTrip;
        QCOMPARE(portEntry(far, &farRoundTrip), portEntry(near, &nearRoundTrip));
        QCOMPARE(sims.sims[1]->received(), sims.sims[0]->received());
        QVERIFY(!nearRoundTrip);
        QVERIFY(farRoundTrip);
        // Within 20 %, and never finer than a tick: less changes no wait.
        const double expected = 2.0 * delayMs;
        QVERIFY2(qAbs(*farRoundTrip - expected) <=
                     qMax(0.2 * expected, double(ReaderLink::kTickIntervalMs)),
                 qPrintable(QStringLiteral("round trip %1 ms").arg(*farRoundTrip)));
    }

    // The round trip follows the network while the port stays open, so a window left open on a
    // reader still judges it when the network slows down; and the connection is watched, so a
    // far end that vanishes is found within about 15 s.
    void openLineFollowsTheNetwork() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({sims.sims[0]->link}, &error), qPrintable(error));
        DelayProxy network(ser2net.rfc2217Port(0), 0);
        ReaderLink link(portsFor({{1, network.address("rfc2217")}}));
        link.startTicking();
        QVERIFY(link.OpenCOM(1));
        QTRY_VERIFY(*link.roundTripMs() < 25);

        const auto liveness = livenessOfConnectionTo(network.port());
        QVERIFY(liveness);
        QVERIFY(liveness->keepAlive);
        QVERIFY(liveness->idleS + liveness->intervalS * liveness->probes <= 16);
        QVERIFY(liveness->unacknowledgedMs > 0 && liveness->unacknowledgedMs <= 16000);

        network.setDelay(250);
        QTRY_VERIFY_WITH_TIMEOUT(link.roundTripMs() && *link.roundTripMs() > 400, 5000);
        QVERIFY(*link.roundTripMs() < 600);
        const QString reply =
            link.collectReply(QStringLiteral("Z3"), 10, ReaderLink::EarlierInput::Discard);
        QVERIFY2(reply.contains(QStringLiteral("XSW")) && reply.size() > 39 * 4, qPrintable(reply));
        link.CloseCOM();
    }
};

QTEST_GUILESS_MAIN(NetworkDelayTest)
#include "tst_network_delay.moc"
