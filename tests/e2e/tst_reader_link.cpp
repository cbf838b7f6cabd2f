#include "link/reader_link.h"
#include "simulated_port.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <ctime>

namespace {
qint64 processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Waits by processing events until `done` holds or the time is up.
template <typename Predicate> bool waitFor(Predicate done, int ms = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QTest::qWait(5);
    return done();
}
} // namespace

class ReaderLinkTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PtyReader> reader;
    std::unique_ptr<ReaderLink> link;
    QTimer ticker;

    void openCom1() {
        link->currentPort = 1;
        QVERIFY2(link->OpenCOM(1), qPrintable(describePortError(1, link->lastOpenError())));
    }
    // Lets the reader answer "Z3" and the reply arrive in full.
    void exchangeZ3() {
        link->SendCommand(QStringLiteral("Z3"));
        QTest::qWait(700);
    }
    // The same exchange collected as the operations collect it.
    QString collectZ3() {
        return link->collectReply(QStringLiteral("Z3"), 14, ReaderLink::EarlierInput::Keep);
    }

private slots:
    void init() {
        reader = startSimulatedReader();
        link = std::make_unique<ReaderLink>(portsFor({{1, reader->devicePath()}}));
        ticker.setInterval(50);
        ticker.setTimerType(Qt::PreciseTimer);
        connect(&ticker, &QTimer::timeout, link.get(), &ReaderLink::advanceTick,
                Qt::UniqueConnection);
        ticker.start();
    }
    void cleanup() {
        ticker.stop();
        link.reset();
        reader.reset();
    }

    void framesGoOutWholeAndInOrder() {
        openCom1();
        link->SendCommand(QStringLiteral("Z2"));
        QVERIFY(waitFor([&] { return reader->receivedBytes().size() >= 4; }));
        QCOMPARE(reader->receivedBytes(), QByteArray::fromHex("1b5a320d"));

        reader->clearReceived();
        link->SendCommand(QStringLiteral("+5"));
        link->SendCommand(QStringLiteral("U4"));
        link->SendCommand(QStringLiteral("1R"));
        QVERIFY(waitFor([&] { return reader->receivedBytes().size() >= 12; }));
        QTest::qWait(50);
        QCOMPARE(reader->receivedBytes(), frames({"+5", "U4", "1R"}));
    }

    void sendingOnAClosedPortDoesNothing() {
        link->SendCommand(QStringLiteral("Z3"));
        link->CloseCOM();
        link->CloseCOM();
        QTest::qWait(50);
        QVERIFY(reader->receivedBytes().isEmpty());
    }

    void probeTellsFreeBusyAndMissing() {
        QCOMPARE(link->TestCOM(1), qint16(0));
        QVERIFY(!link->isOpen());
        QCOMPARE(link->TestCOM(2), qint16(-1)); // no device mapped
        QCOMPARE(link->TestCOM(17), qint16(-1));

        QSerialPort other;
        other.setPortName(reader->devicePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        QCOMPARE(link->TestCOM(1), qint16(1));
        QVERIFY(!link->OpenCOM(1));
        QCOMPARE(link->lastOpenError().kind, PortFailure::Busy);
        other.close();

        openCom1();
        QCOMPARE(link->TestCOM(1), qint16(1)); // held by ourselves
    }

    void symlinkToAHeldDeviceIsBusy() {
        QTemporaryDir dir;
        const QString alias = dir.filePath(QStringLiteral("reader"));
        QVERIFY(QFile::link(reader->devicePath(), alias));
        ReaderLink second(portsFor({{5, alias}}));
        openCom1();
        QCOMPARE(second.TestCOM(5), qint16(1));
        QVERIFY(!second.OpenCOM(5));
        QCOMPARE(second.lastOpenError().kind, PortFailure::Busy);
    }

    void openingAMissingDeviceSaysSo() {
        ReaderLink other(portsFor({{4, QStringLiteral("/nonexistent/ttyUSB9")}}));
        QVERIFY(!other.OpenCOM(4));
        QCOMPARE(other.lastOpenError().kind, PortFailure::Missing);
        QVERIFY(!other.isOpen());
    }

    void nothingRoutedMeansDropped() {
        openCom1();
        exchangeZ3();
        QVERIFY(link->replyBuffer().isEmpty());
        // "W2" is not answered: the earlier reply was not kept anywhere.
        QVERIFY(
            link->collectReply(QStringLiteral("W2"), 2, ReaderLink::EarlierInput::Keep).isEmpty());
    }

    void collectingAppendsBytesAsLatin1() {
        openCom1();
        reader->model().setFirmware(QByteArray("\xc3\xa9KWMR581"));
        QCOMPARE(collectZ3(), QString::fromLatin1(reader->model().z3Reply()));
        QVERIFY(link->replyBuffer().contains(QString::fromLatin1("\xc3\xa9KWMR581")));
    }

    void windowRoutingWinsOverCollecting() {
        openCom1();
        QByteArray toAlign;
        link->setAlignReceiver([&] { toAlign += link->readInput(); });
        link->setAlignRouting(true);
        collectZ3();
        QCOMPARE(toAlign, reader->model().z3Reply());
        QVERIFY(link->replyBuffer().isEmpty());

        QByteArray toDecode;
        link->setDecodeReceiver([&] { toDecode += link->readInput(); });
        link->setAlignRouting(false);
        link->setDecodeRouting(true);
        collectZ3();
        QCOMPARE(toDecode, reader->model().z3Reply());
        QVERIFY(link->replyBuffer().isEmpty());

        link->setDecodeRouting(false);
        QCOMPARE(collectZ3(), QString::fromLatin1(reader->model().z3Reply()));
    }

    void discardDropsWhatWaits() {
        openCom1();
        link->setAlignReceiver([] {}); // leaves the bytes waiting
        link->setAlignRouting(true);
        exchangeZ3();
        link->discardInput();
        QVERIFY(link->readInput().isEmpty());
    }

    void tickWaitEndsWithTheSixthTick() {
        // Start just after a tick, as the operations do in practice.
        QSignalSpy ticks(link.get(), &ReaderLink::ticked);
        QVERIFY(ticks.wait(1000));
        const qint64 start = link->ticks();
        QElapsedTimer elapsed;
        elapsed.start();
        link->tickWait(start + 5);
        QCOMPARE(link->ticks(), start + 6);
        // 300 ms nominal; a loaded machine may stretch it, never shorten it below five ticks.
        QVERIFY2(elapsed.elapsed() >= 250, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY2(elapsed.elapsed() < 1500, qPrintable(QString::number(elapsed.elapsed())));
    }

    void tickWaitRunsEventsEvenWhenAlreadyPast() {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        link->tickWait(link->ticks() - 1);
        QVERIFY(ran);
    }

    void tickWaitSleepsInsteadOfSpinning() {
        const qint64 cpuBefore = processCpuMs();
        link->tickWait(link->ticks() + 10);
        const qint64 cpuUsed = processCpuMs() - cpuBefore;
        QVERIFY2(cpuUsed < 100, qPrintable(QStringLiteral("%1 ms CPU").arg(cpuUsed)));
    }

    void vanishedDeviceClosesThePortOnce() {
        openCom1();
        QSignalSpy lost(link.get(), &ReaderLink::lineLost);
        const qint64 cpuBefore = processCpuMs();
        reader->hangUp();
        QVERIFY(lost.wait(2000));
        QVERIFY(!link->isOpen());
        QTest::qWait(300);
        QCOMPARE(lost.count(), 1);
        QVERIFY2(processCpuMs() - cpuBefore < 150, "the hang-up made the program spin");
        link->SendCommand(QStringLiteral("Z3")); // harmless now
    }
};

QTEST_GUILESS_MAIN(ReaderLinkTest)
#include "tst_reader_link.moc"
