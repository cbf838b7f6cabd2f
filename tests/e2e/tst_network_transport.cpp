#include "fake_com_server.h"
#include "frames.h"
#include "link/network_transports.h"
#include "link/rfc2217_transport.h"
#include "ser2net_fixture.h"
#include "simulated_port.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
std::unique_ptr<Transport> transportFor(const QString& text) {
    return makeNetworkTransport(text);
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

    // What a broken or hostile device server does costs only its own port: the opening ends
    // within its bound saying what the server did, and an open line is dropped naming why.
    void hostilePeers_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("behaviour"); // -1: no server at all
        QTest::addColumn<QString>("then");  // done to the open line
        QTest::addColumn<QString>("reason");
        using B = FakeComServer::Behaviour;
        const QString local = QStringLiteral("rfc2217://127.0.0.1:%1");
        const QString short_ = QStringLiteral("rfc2217://127.0.0.1:%1?timeout=0.5");
        QTest::newRow("nothing listening") << local << -1 << ""
                                           << "refused";
        QTest::newRow("never negotiates") << short_ << int(B::Silent) << ""
                                          << "timed out";
        QTest::newRow("answers 4800 baud")
            << local << int(B::Answers4800) << ""
            << "line settings refused: asked for 9600 baud, the server answered 4800 baud";
        QTest::newRow("answers SET-CONTROL 200")
            << local << int(B::AnswersControl200) << ""
            << "asked for no flow control, the server answered SET-CONTROL value 200";
        QTest::newRow("answers with 100 bytes")
            << local << int(B::AnswersOverlong) << ""
            << "asked for 9600 baud, the server answered SET-BAUDRATE with more than 64 bytes";
        QTest::newRow("floods requests for ever") << short_ << int(B::FloodsForever) << ""
                                                  << "timed out";
        QTest::newRow("floods requests, then agrees") << local << int(B::FloodsThenAgrees) << ""
                                                      << "";
        QTest::newRow("resets the open line") << local << int(B::Agreeable) << "reset"
                                              << "the connection was reset by the server";
        QTest::newRow("closes the open line") << local << int(B::Agreeable) << "close"
                                              << "the connection was closed by the server";
        QTest::newRow("stops reading, asks for ever")
            << local << int(B::Agreeable) << "stop reading"
            << "the server does not read what is sent to it";
    }
    void hostilePeers() {
        QFETCH(QString, address);
        QFETCH(int, behaviour);
        QFETCH(QString, then);
        QFETCH(QString, reason);
        std::unique_ptr<FakeComServer> server;
        if (behaviour >= 0)
            server = std::make_unique<FakeComServer>(FakeComServer::Behaviour(behaviour));
        auto transport =
            transportFor(address.arg(server ? server->port() : Ser2netFixture::freePort()));
        int notes = 0;
        connect(transport.get(), &Transport::note, this, [&] { ++notes; });
        // The event loop keeps running while the connection waits: a timer keeps ticking.
        QTimer ticker;
        int ticks = 0;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(50);
        QElapsedTimer clock;
        clock.start();
        const QString failure = openAndWait(*transport);
        const qint64 bound = address.contains(QStringLiteral("timeout=0.5")) ? 500 : 3000;
        QVERIFY2(clock.elapsed() < bound + 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(ticks >= clock.elapsed() / 50 / 2);
        if (then.isEmpty() && !reason.isEmpty()) {
            QVERIFY2(failure.contains(reason), qPrintable(failure));
            QVERIFY(!transport->isOpen());
            QVERIFY(!transport->write("x"));
            if (server)
                QVERIFY(server->data().isEmpty());
            return;
        }
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        if (behaviour == int(FakeComServer::Behaviour::FloodsThenAgrees)) {
            // Each unwanted option refused once on each side, after our three requests; and
            // the trace told in a few lines, not one per request.
            QCOMPARE(server->negotiations(), 3 + 2 * 40);
            QVERIFY2(notes < 4 * Rfc2217Transport::kTracedNegotiations,
                     qPrintable(QString::number(notes)));
            return;
        }
        QSignalSpy lost(transport.get(), &Transport::lost);
        if (then == QStringLiteral("reset"))
            server->reset();
        else if (then == QStringLiteral("close"))
            server->client()->disconnectFromHost();
        else
            server->stopReadingAndToggle(1000000);
        QVERIFY(lost.wait(10000));
        QVERIFY2(lost.constFirst().constFirst().toString().contains(reason),
                 qPrintable(lost.constFirst().constFirst().toString()));
        QVERIFY(!transport->isOpen());
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
        using rfc2217::Command;
        QCOMPARE(server.commands(),
                 (QList<int>{int(Command::SetBaudRate), int(Command::SetDataSize),
                             int(Command::SetParity), int(Command::SetStopSize),
                             int(Command::SetControl), int(Command::SetControl),
                             int(Command::SetControl), int(Command::PurgeData)}));
        QVERIFY(transport->write(QByteArray::fromHex("01ff02")));
        QTRY_COMPARE(server.data(), QByteArray::fromHex("01ff02"));
        server.send(
            QByteArray::fromHex("41ffff42fff1") +
            comPortCommand(quint8(rfc2217::Command::NotifyModemState) + rfc2217::kServerReplyOffset,
                           "\x30") +
            "C");
        QByteArray received;
        QTRY_COMPARE(received += transport->readAll(), QByteArray::fromHex("41ff4243"));
    }
};

QTEST_GUILESS_MAIN(NetworkTransportTest)
#include "tst_network_transport.moc"
