#include "fake_com_server.h"
#include "frames.h"
#include "link/network_transports.h"
#include "ser2net_fixture.h"
#include "simulated_port.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
std::unique_ptr<Transport> transportFor(const QString& text) {
    QString error;
    const auto address = parseNetworkAddress(text, &error);
    if (!address)
        qFatal("%s", qPrintable(error));
    return makeNetworkTransport(*address);
}

// Opens and waits for the outcome; the reason when it failed.
QString openAndWait(Transport& transport) {
    PortError why;
    QSignalSpy opened(&transport, &Transport::opened);
    QSignalSpy failed(&transport, &Transport::openFailed);
    if (transport.open(why) != Transport::OpenState::Connecting)
        return QStringLiteral("did not connect asynchronously");
    if (!QTest::qWaitFor([&] { return !opened.isEmpty() || !failed.isEmpty(); }, 10000))
        return QStringLiteral("no outcome");
    return failed.isEmpty() ? QString()
                            : failed.constFirst().constFirst().value<PortError>().detail;
}
} // namespace

class NetworkTransportTest : public QObject {
    Q_OBJECT
private:
    // One reader for each kind of accepter: ser2net lets one connection at a time use a device.
    std::unique_ptr<PtyReader> readers[2];
    Ser2netFixture ser2net;

private slots:
    void initTestCase() {
        qRegisterMetaType<PortError>();
        readers[0] = startSimulatedReader();
        readers[1] = startSimulatedReader();
        QString error;
        QVERIFY2(ser2net.start({readers[0]->devicePath(), readers[1]->devicePath()}, &error),
                 qPrintable(error));
    }

    void throughSer2net_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("raw") << "socket";
        QTest::newRow("rfc2217") << "rfc2217";
    }
    // The reader's reply comes through whole, and a lost server is said once.
    void throughSer2net() {
        QFETCH(QString, kind);
        const bool rfc2217 = kind == QStringLiteral("rfc2217");
        PtyReader* reader = readers[rfc2217 ? 1 : 0].get();
        auto transport =
            transportFor(rfc2217 ? ser2net.rfc2217Address(1) : ser2net.socketAddress(0));
        QStringList notes;
        connect(transport.get(), &Transport::note, this, [&](const QString& n) { notes << n; });
        const QString failure = openAndWait(*transport);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(transport->isOpen());
        if (rfc2217) {
            QVERIFY(notes.contains(QStringLiteral("telnet received DO COM-PORT-OPTION")));
            QVERIFY(notes.filter(QStringLiteral("did not acknowledge DTR on, RTS on")).size() == 1);
        }
        reader->clearReceived();
        QByteArray reply;
        connect(transport.get(), &Transport::dataArrived, this,
                [&] { reply += transport->readAll(); });
        QVERIFY(transport->write(frames({"Z3"})));
        QTRY_VERIFY(!reader->receivedCodes().isEmpty() && !reader->isReplying());
        QTRY_COMPARE(reply, reader->model().z3Reply());

        QSignalSpy lost(transport.get(), &Transport::lost);
        ser2net.kill();
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(!transport->isOpen());
        QTest::qWait(100);
        QCOMPARE(lost.size(), 1);
        QString error;
        QVERIFY2(ser2net.restart(&error), qPrintable(error));
        // Choosing the port again works.
        QCOMPARE(openAndWait(*transport), QString());
    }

    void refusals_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("behaviour"); // -1: no server at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing listening") << "rfc2217://127.0.0.1:%1" << -1 << "refused";
        QTest::newRow("never negotiates") << "rfc2217://127.0.0.1:%1?timeout=0.4"
                                          << int(FakeComServer::Behaviour::Silent) << "timed out";
        QTest::newRow("answers 4800 baud")
            << "rfc2217://127.0.0.1:%1" << int(FakeComServer::Behaviour::Answers4800)
            << "line settings refused: asked for 9600 baud, the server answered 4800 baud";
    }
    void refusals() {
        QFETCH(QString, address);
        QFETCH(int, behaviour);
        QFETCH(QString, reason);
        std::unique_ptr<FakeComServer> server;
        if (behaviour >= 0)
            server = std::make_unique<FakeComServer>(FakeComServer::Behaviour(behaviour));
        auto transport =
            transportFor(address.arg(server ? server->port() : Ser2netFixture::freePort()));
        // The event loop keeps running while the connection waits: a timer keeps ticking.
        QTimer ticker;
        int ticks = 0;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer clock;
        clock.start();
        const QString failure = openAndWait(*transport);
        QVERIFY2(failure.contains(reason), qPrintable(failure));
        QVERIFY(!transport->isOpen());
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(ticks >= clock.elapsed() / 50 / 2);
        QVERIFY(!transport->write("x"));
        if (server)
            QVERIFY(server->data().isEmpty());
    }

    void byte255BothWays_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("ipv4") << "127.0.0.1";
        QTest::newRow("ipv6") << "::1";
    }
    void byte255BothWays() {
        QFETCH(QString, host);
        FakeComServer server(FakeComServer::Behaviour::Agreeable, QHostAddress(host));
        if (!server.port())
            QSKIP("no loopback on this address family");
        const QString bracketed = host.contains(u':') ? u'[' + host + u']' : host;
        auto transport =
            transportFor(QStringLiteral("rfc2217://%1:%2").arg(bracketed).arg(server.port()));
        QCOMPARE(openAndWait(*transport), QString());
        QCOMPARE(server.commands(), (QList<int>{1, 2, 3, 4, 5, 5, 5, 12}));
        QVERIFY(transport->write(QByteArray::fromHex("01ff02")));
        QTRY_COMPARE(server.data(), QByteArray::fromHex("01ff02"));
        server.send(QByteArray::fromHex("41ffff42fff1") + comPortCommand(107, "\x30") + "C");
        QByteArray received;
        QTRY_COMPARE(received += transport->readAll(), QByteArray::fromHex("41ff4243"));
    }
};

QTEST_GUILESS_MAIN(NetworkTransportTest)
#include "tst_network_transport.moc"
