#include "cpu_time.h"
#include "simulator/pty_reader.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTest>
#include <memory>

namespace {
const QByteArray kZ3 = QByteArrayLiteral("\x1BZ3\r");
// Generous: the machine running the tests may be small and busy.
constexpr int kReplyTimeoutMs = 3000;

// The program's side of the line: a real QSerialPort on the pty, noting when bytes were sent
// and arrived.
class Client : public QObject {
public:
    explicit Client(const QString& path) {
        port.setPortName(path);
        connect(&port, &QSerialPort::readyRead, this, [this] {
            const QByteArray chunk = port.readAll();
            if (data.isEmpty() && !chunk.isEmpty())
                firstAtMs = clock.elapsed();
            lastAtMs = clock.elapsed();
            data += chunk;
        });
        clock.start();
    }
    bool open() {
        port.setBaudRate(QSerialPort::Baud9600);
        port.setFlowControl(QSerialPort::NoFlowControl);
        return port.open(QIODevice::ReadWrite);
    }
    void send(const QByteArray& bytes) {
        data.clear();
        firstAtMs = lastAtMs = -1;
        port.write(bytes);
        sentAtMs = clock.elapsed();
    }
    qint64 msToFirstByte() const { return firstAtMs - sentAtMs; }
    qint64 msToLastByte() const { return lastAtMs - sentAtMs; }

    QSerialPort port;
    QElapsedTimer clock;
    QByteArray data;
    qint64 sentAtMs = -1, firstAtMs = -1, lastAtMs = -1;
};
} // namespace

// The simulated reader seen through a real serial port: its timing, and an idle pty. Its faults
// are what the verification, identification and hostile-line tests run on.
class TestPtyReader : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PtyReader> sim;
    std::unique_ptr<Client> client;

private slots:
    void init() {
        sim = std::make_unique<PtyReader>();
        QString error;
        QVERIFY2(sim->start(&error), qPrintable(error));
        QVERIFY(sim->devicePath().startsWith(QStringLiteral("/dev/")));
        client = std::make_unique<Client>(sim->devicePath());
        QVERIFY2(client->open(), qPrintable(client->port.errorString()));
    }
    void cleanup() {
        client.reset();
        sim.reset();
    }

    void answersZ3AtLineRate() {
        const QByteArray reply = sim->model().z3Reply();
        QVERIFY(reply.size() >= 250);
        client->send(kZ3);
        QTRY_VERIFY_WITH_TIMEOUT(client->data.size() >= reply.size(), kReplyTimeoutMs);
        QCOMPARE(client->data, reply);
        // A reader answers after a short pause and at ~1.04 ms per character.
        QVERIFY2(client->msToFirstByte() >= 15, QByteArray::number(client->msToFirstByte()));
        QVERIFY2(client->msToLastByte() >= 250, QByteArray::number(client->msToLastByte()));
        QCOMPARE(sim->receivedCodes(), QList<QByteArray>{"Z3"});
    }

    void idleWithPortClosedDoesNotSpin() {
        // Close the port while a reply is still on its way: it goes nowhere.
        client->send(kZ3);
        QTRY_VERIFY(client->port.bytesToWrite() == 0);
        QTRY_COMPARE(sim->receivedCodes().size(), 1);
        client->port.close();
        QTRY_VERIFY_WITH_TIMEOUT(!sim->isReplying(), kReplyTimeoutMs);

        const qint64 before = processCpuMs();
        QTest::qWait(300);
        const qint64 used = processCpuMs() - before;
        QVERIFY2(used < 100, QByteArray::number(used));

        // The device is still there for the next open.
        QVERIFY(client->open());
        client->port.clear();
        client->send(kZ3);
        QTRY_VERIFY_WITH_TIMEOUT(client->data.endsWith(sim->model().z3Reply()), kReplyTimeoutMs);
    }
};

QTEST_GUILESS_MAIN(TestPtyReader)
#include "tst_pty_reader.moc"
