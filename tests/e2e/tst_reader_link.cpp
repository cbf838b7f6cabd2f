#include "cpu_time.h"
#include "frames.h"
#include "link/reader_link.h"
#include "simulated_port.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// A window that reads what it is routed, and one that leaves it waiting.
struct Reading : LineReceiver {
    explicit Reading(ReaderLink& link) : link_(link) {}
    void OnComm() override { read += link_.readInput(); }
    ReaderLink& link_;
    QByteArray read;
};
struct Leaving : LineReceiver {
    void OnComm() override {}
};

class ReaderLinkTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PtyReader> reader;
    std::unique_ptr<ReaderLink> link;

    void openCom1() {
        QVERIFY2(link->OpenCOM(1),
                 qPrintable(describePortError(ComPort{1}, link->lastOpenError())));
    }
    // Lets the reader answer "Z3" and the reply go out in full.
    void exchangeZ3() {
        link->SendCommand(QStringLiteral("Z3"));
        QTRY_VERIFY(!reader->receivedCodes().isEmpty() && !reader->isReplying());
        link->tickWait(link->ticks() + 1); // and the link take what arrived
    }
    // The same exchange collected as the operations collect it.
    QString collectZ3() {
        return link->collectReply(QStringLiteral("Z3"), 10, ReaderLink::EarlierInput::Keep);
    }

private slots:
    void init() {
        reader = startSimulatedReader();
        link = std::make_unique<ReaderLink>(portsFor({{1, reader->devicePath()}}));
        link->startTicking();
    }
    void cleanup() {
        link.reset();
        reader.reset();
    }

    void framesGoOutWholeAndInOrder() {
        openCom1();
        link->SendCommand(QStringLiteral("Z2"));
        QTRY_COMPARE(reader->receivedBytes(), QByteArray::fromHex("1b5a320d"));

        reader->clearReceived();
        link->SendCommand(QStringLiteral("+5"));
        link->SendCommand(QStringLiteral("U4"));
        link->SendCommand(QStringLiteral("1R"));
        QTRY_COMPARE(reader->receivedBytes(), frames({"+5", "U4", "1R"}));
    }

    void sendingOnAClosedPortDoesNothing() {
        link->SendCommand(QStringLiteral("Z3"));
        link->CloseCOM();
        link->CloseCOM();
        link->tickWait(link->ticks() + 1);
        QVERIFY(reader->receivedBytes().isEmpty());
    }

    void openingTellsBusyAndMissing() {
        QSerialPort other;
        other.setPortName(reader->devicePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        QVERIFY(!link->OpenCOM(1));
        QCOMPARE(link->lastOpenError().kind, PortFailure::Busy);
        other.close();

        openCom1();
        QCOMPARE(link->heldKey(), canonicalDevice(reader->devicePath()));

        ReaderLink missing(portsFor({{4, QStringLiteral("/nonexistent/ttyUSB9")}}));
        QVERIFY(!missing.OpenCOM(4));
        QCOMPARE(missing.lastOpenError().kind, PortFailure::Missing);
    }

    void nothingRoutedMeansDropped() {
        openCom1();
        exchangeZ3();
        QVERIFY(link->replyBuffer().isEmpty());
        // "W2" is not answered: the earlier reply was not kept anywhere.
        QVERIFY(
            link->collectReply(QStringLiteral("W2"), 2, ReaderLink::EarlierInput::Keep).isEmpty());
    }

    void windowRoutingWinsOverCollecting() {
        openCom1();
        Reading window(*link);
        link->setReceiver(&window);
        collectZ3();
        QCOMPARE(window.read, reader->model().z3Reply());
        QVERIFY(link->replyBuffer().isEmpty());

        // Unrouted, the reply is collected, byte for character.
        link->setReceiver(nullptr);
        reader->model().setFirmware(QByteArray("\xc3\xa9KWMR581"));
        QCOMPARE(collectZ3(), QString::fromLatin1(reader->model().z3Reply()));
        QVERIFY(link->replyBuffer().contains(QString::fromLatin1("\xc3\xa9KWMR581")));
    }

    void discardDropsWhatWaits() {
        openCom1();
        Leaving window;
        link->setReceiver(&window); // leaves the bytes waiting
        link->SendCommand(QStringLiteral("Z3"));
        QTRY_COMPARE(link->pendingInput(), reader->model().z3Reply().size());
        link->discardInput();
        QVERIFY(link->readInput().isEmpty());
    }

    void tickWaitEndsWithTheSixthTickAndSleeps() {
        // Start just after a tick, as the operations do in practice.
        QSignalSpy ticks(link.get(), &ReaderLink::ticked);
        QVERIFY(ticks.wait(1000));
        const qint64 start = link->ticks();
        const qint64 cpuBefore = processCpuMs();
        QElapsedTimer elapsed;
        elapsed.start();
        link->tickWait(start + 5);
        QCOMPARE(link->ticks(), start + 6);
        // 300 ms nominal; a loaded machine may stretch it, never shorten it below five ticks.
        QVERIFY2(elapsed.elapsed() >= 250, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY2(elapsed.elapsed() < 1500, qPrintable(QString::number(elapsed.elapsed())));
        const qint64 cpuUsed = processCpuMs() - cpuBefore;
        QVERIFY2(cpuUsed < 60, qPrintable(QStringLiteral("%1 ms CPU: it spins").arg(cpuUsed)));
    }

    void tickWaitRunsEventsEvenWhenAlreadyPast() {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        link->tickWait(link->ticks() - 1);
        QVERIFY(ran);
    }

    void vanishedDeviceClosesThePortOnce() {
        openCom1();
        QSignalSpy lost(link.get(), &ReaderLink::lineLost);
        const qint64 cpuBefore = processCpuMs();
        reader->hangUp();
        QVERIFY(lost.wait(2000));
        QVERIFY(!link->isOpen());
        link->tickWait(link->ticks() + 4); // time for an error storm to show
        QCOMPARE(lost.count(), 1);
        QVERIFY2(processCpuMs() - cpuBefore < 150, "the hang-up made the program spin");
        link->SendCommand(QStringLiteral("Z3")); // harmless now
    }
};

QTEST_GUILESS_MAIN(ReaderLinkTest)
#include "tst_reader_link.moc"
