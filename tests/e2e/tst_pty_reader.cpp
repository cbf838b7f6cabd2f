#include "simulator/pty_reader.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace {

const QByteArray kZ3 = QByteArrayLiteral("\x1BZ3\r");
// Generous: the machine running the tests may be small and busy.
constexpr int kReplyTimeoutMs = 3000;

qint64 processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// The program's side of the line: a real QSerialPort on the pty, noting when
// bytes were sent and arrived.
class Client : public QObject {
public:
    explicit Client(const QString& path) {
        m_port.setPortName(path);
        connect(&m_port, &QSerialPort::readyRead, this, [this] {
            const QByteArray chunk = m_port.readAll();
            if (chunk.isEmpty())
                return;
            if (data.isEmpty())
                firstAtMs = m_clock.elapsed();
            lastAtMs = m_clock.elapsed();
            data += chunk;
        });
        m_clock.start();
    }

    bool open() {
        m_port.setBaudRate(QSerialPort::Baud9600);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        return m_port.open(QIODevice::ReadWrite);
    }

    void send(const QByteArray& bytes) {
        data.clear();
        firstAtMs = lastAtMs = -1;
        m_port.write(bytes);
        sentAtMs = m_clock.elapsed();
    }

    qint64 msToFirstByte() const { return firstAtMs - sentAtMs; }
    qint64 msToLastByte() const { return lastAtMs - sentAtMs; }

    QSerialPort& port() { return m_port; }

    QByteArray data;
    qint64 sentAtMs = -1;
    qint64 firstAtMs = -1;
    qint64 lastAtMs = -1;

private:
    QSerialPort m_port;
    QElapsedTimer m_clock;
};

enum class Fault { Silent, Cut, Noise, ExtraDelay };

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestPtyReader : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answersZ3AtLineRate();
    void queuesReplyBehindOneInProgress();
    void recordsCommandsItDoesNotAnswer();
    void faults_data();
    void faults();
    void hangUpThenNewDeviceOnSameLink();
    void linkReplacesOnlySymlinks();
    void idleWithPortClosedDoesNotSpin();

private:
    std::unique_ptr<PtyReader> m_sim;
    std::unique_ptr<Client> m_client;
};

void TestPtyReader::init() {
    m_sim = std::make_unique<PtyReader>();
    QString error;
    QVERIFY2(m_sim->start(&error), qPrintable(error));
    QVERIFY(m_sim->devicePath().startsWith(QStringLiteral("/dev/")));
    m_client = std::make_unique<Client>(m_sim->devicePath());
    QVERIFY2(m_client->open(), qPrintable(m_client->port().errorString()));
}

void TestPtyReader::cleanup() {
    m_client.reset();
    m_sim.reset();
}

void TestPtyReader::answersZ3AtLineRate() {
    const QByteArray reply = m_sim->model().z3Reply();
    QVERIFY(reply.size() >= 250);

    m_client->send(kZ3);
    QTRY_VERIFY_WITH_TIMEOUT(m_client->data.size() >= reply.size(), kReplyTimeoutMs);
    QCOMPARE(m_client->data, reply);

    // A reader answers after a short pause and at ~1.04 ms per character.
    QVERIFY2(m_client->msToFirstByte() >= 15, QByteArray::number(m_client->msToFirstByte()));
    QVERIFY2(m_client->msToLastByte() >= 250, QByteArray::number(m_client->msToLastByte()));
    QCOMPARE(m_sim->receivedCodes(), QList<QByteArray>{"Z3"});
}

void TestPtyReader::queuesReplyBehindOneInProgress() {
    const QByteArray reply = m_sim->model().z3Reply();

    m_client->send(kZ3);
    QTRY_VERIFY_WITH_TIMEOUT(!m_client->data.isEmpty(), kReplyTimeoutMs);
    const QByteArray firstPart = m_client->data;
    QVERIFY(firstPart.size() < reply.size());

    m_client->send(kZ3); // second command while the first reply is on the line
    QTRY_VERIFY_WITH_TIMEOUT(firstPart.size() + m_client->data.size() >= 2 * reply.size(),
                             2 * kReplyTimeoutMs);
    QCOMPARE(firstPart + m_client->data, reply + reply);
    // The second reply waited for the rest of the first one.
    QVERIFY2(m_client->msToLastByte() >= 400, QByteArray::number(m_client->msToLastByte()));
}

void TestPtyReader::recordsCommandsItDoesNotAnswer() {
    QSignalSpy spy(m_sim.get(), &PtyReader::commandReceived);
    const QByteArray bytes = QByteArrayLiteral("junk\x1BQ1\r\x1B\x1BZ");
    m_client->send(bytes);
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArrayLiteral("Q1"));
    QCOMPARE(m_sim->receivedCodes(), QList<QByteArray>{"Q1"});
    QCOMPARE(m_sim->receivedBytes(), bytes);

    // Q1 gets no answer; the half-sent Z3 completes in the next write.
    m_client->send(QByteArrayLiteral("3\r"));
    QTRY_COMPARE_WITH_TIMEOUT(m_client->data, m_sim->model().z3Reply(), kReplyTimeoutMs);
    QCOMPARE(spy.count(), 2);

    m_sim->clearReceived();
    QVERIFY(m_sim->receivedCodes().isEmpty());
    QVERIFY(m_sim->receivedBytes().isEmpty());
}

void TestPtyReader::faults_data() {
    QTest::addColumn<Fault>("fault");
    QTest::newRow("silent") << Fault::Silent;
    QTest::newRow("cut") << Fault::Cut;
    QTest::newRow("noise") << Fault::Noise;
    QTest::newRow("extra delay") << Fault::ExtraDelay;
}

void TestPtyReader::faults() {
    QFETCH(Fault, fault);
    const QByteArray reply = m_sim->model().z3Reply();
    constexpr int kCut = 40;
    constexpr int kExtraMs = 300;

    switch (fault) {
    case Fault::Silent:
        m_sim->setSilent(true);
        break;
    case Fault::Cut:
        m_sim->setCutAfter(kCut);
        break;
    case Fault::Noise:
        m_sim->setNoise(true);
        break;
    case Fault::ExtraDelay:
        m_sim->setExtraDelayMs(kExtraMs);
        break;
    }

    m_client->send(kZ3);
    switch (fault) {
    case Fault::Silent:
        QTRY_COMPARE(m_sim->receivedCodes().size(), 1);
        QTest::qWait(400);
        QCOMPARE(m_client->data, QByteArray());
        break;
    case Fault::Cut:
        QTRY_COMPARE_WITH_TIMEOUT(m_client->data.size(), kCut, kReplyTimeoutMs);
        QTest::qWait(150);
        QCOMPARE(m_client->data, reply.left(kCut));
        break;
    case Fault::Noise:
        QTRY_VERIFY_WITH_TIMEOUT(m_client->data.size() >= reply.size(), kReplyTimeoutMs);
        QCOMPARE(m_client->data.size(), reply.size());
        QVERIFY(m_client->data != reply);
        QVERIFY(!m_client->data.contains("Ver."));
        break;
    case Fault::ExtraDelay:
        QTRY_COMPARE_WITH_TIMEOUT(m_client->data, reply, kReplyTimeoutMs + kExtraMs);
        QVERIFY2(m_client->msToFirstByte() >= kExtraMs,
                 QByteArray::number(m_client->msToFirstByte()));
        break;
    }

    // Clearing the fault brings the ordinary reply back.
    m_sim->setSilent(false);
    m_sim->setCutAfter(-1);
    m_sim->setNoise(false);
    m_sim->setExtraDelayMs(0);
    m_client->send(kZ3);
    QTRY_VERIFY_WITH_TIMEOUT(m_client->data.size() >= reply.size(), kReplyTimeoutMs);
    QCOMPARE(m_client->data, reply);
}

void TestPtyReader::hangUpThenNewDeviceOnSameLink() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ksr-reader"));
    QString error;
    QVERIFY2(m_sim->makeLink(link, &error), qPrintable(error));
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_sim->devicePath());

    m_client.reset(); // whoever reads first gets the bytes
    Client client(link);
    QVERIFY2(client.open(), qPrintable(client.port().errorString()));
    client.send(kZ3);
    QTRY_COMPARE_WITH_TIMEOUT(client.data, m_sim->model().z3Reply(), kReplyTimeoutMs);

    QSignalSpy errors(&client.port(), &QSerialPort::errorOccurred);
    m_sim->hangUp();
    QVERIFY(!m_sim->isRunning());
    QTRY_VERIFY(std::any_of(errors.cbegin(), errors.cend(), [](const QList<QVariant>& args) {
        const auto e = args.at(0).value<QSerialPort::SerialPortError>();
        return e == QSerialPort::ReadError || e == QSerialPort::ResourceError;
    }));
    QVERIFY(!QFileInfo::exists(link));
    client.port().close();

    m_sim->model().setFirmware(QByteArrayLiteral(" KWMR0001"));
    QVERIFY2(m_sim->restart(&error), qPrintable(error));
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_sim->devicePath());

    Client again(link);
    QVERIFY2(again.open(), qPrintable(again.port().errorString()));
    again.send(kZ3);
    QTRY_COMPARE_WITH_TIMEOUT(again.data, m_sim->model().z3Reply(), kReplyTimeoutMs);
    QVERIFY(again.data.contains(" KWMR0001"));
    QCOMPARE(m_sim->receivedCodes(), (QList<QByteArray>{"Z3", "Z3"}));

    m_client.reset();
    m_sim.reset();
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestPtyReader::linkReplacesOnlySymlinks() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("stale"));
    QVERIFY(::symlink("/nonexistent", QFile::encodeName(link).constData()) == 0);
    QString error;
    QVERIFY2(m_sim->makeLink(link, &error), qPrintable(error));
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_sim->devicePath());

    const QString plain = dir.filePath(QStringLiteral("plain"));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!m_sim->makeLink(plain, &error));
    QVERIFY(error.contains(plain));
    QVERIFY(QFileInfo(plain).isFile());
    QVERIFY(!QFileInfo(link).isSymLink()); // the earlier link is not left behind
}

void TestPtyReader::idleWithPortClosedDoesNotSpin() {
    // Close the port while a reply is still on its way: it goes nowhere.
    m_client->send(kZ3);
    QTRY_VERIFY(m_client->port().bytesToWrite() == 0);
    QTRY_COMPARE(m_sim->receivedCodes().size(), 1);
    m_client->port().close();
    QTest::qWait(500);

    const qint64 before = processCpuMs();
    QTest::qWait(300);
    const qint64 used = processCpuMs() - before;
    QVERIFY2(used < 100, QByteArray::number(used));

    // The device is still there for the next open.
    QVERIFY(m_client->open());
    m_client->port().clear();
    m_client->send(kZ3);
    QTRY_VERIFY_WITH_TIMEOUT(m_client->data.endsWith(m_sim->model().z3Reply()), kReplyTimeoutMs);
}

QTEST_GUILESS_MAIN(TestPtyReader)
#include "tst_pty_reader.moc"
