#include "align/align_exchange.h"
#include "cli/align_session.h"
#include "cli/port_job.h"
#include "memory_transport.h"
#include "reader_ops/default_config.h"
#include "reader_ops/exchange_runner.h"
#include "reader_ops/permanent_save.h"
#include "reader_ops/symbology_identification.h"
#include "reader_ops/verification.h"
#include "scripted_prompter.h"
#include "symbols/symbology_selection.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Ticks come fast here: what is checked is how many pass, not how long they take.
constexpr int kFastTickMs = 5;

using MakeExchange = std::function<Exchange()>;

// A line to an in-memory reader whose ticks run by themselves; every frame written is logged
// as "tick:code", counted from `start`.
struct MemoryLine {
    ReaderModel model;
    QStringList log;
    qint64 start = 0;
    ReaderLink link{[] {
        PortMap ports = PortMap::explicitOnly();
        ports.map(ComPort{1}, PortAddress::devicePath(QStringLiteral("memory")));
        return ports;
    }()};

    // A round trip makes it a line through a network that measured it so.
    explicit MemoryLine(std::optional<double> roundTripMs = {}) {
        link.setTransportFactory(
            memoryTransports(model, {false,
                                     {},
                                     [this](const QByteArray& frame) { note(frame.mid(1, 2)); },
                                     {},
                                     {},
                                     {},
                                     roundTripMs}));
        link.startTicking(kFastTickMs);
        link.OpenCOM(1);
        start = link.ticks();
    }
    void note(const QByteArray& what) {
        log << QStringLiteral("%1:%2").arg(link.ticks() - start).arg(QLatin1String(what));
    }
};

PortTarget memoryTarget() {
    return {QStringLiteral("COM1"), ComPort{1}, PortAddress::devicePath(QStringLiteral("memory")),
            false};
}

QStringList at(int tick, const QStringList& codes) {
    QStringList entries;
    for (const QString& code : codes)
        entries << QStringLiteral("%1:%2").arg(tick).arg(code);
    return entries;
}
} // namespace

class ExchangesTest : public QObject {
    Q_OBJECT
private slots:
    // Each exchange is one description; the window's runner and the commands' put the same
    // frames on the line at the same ticks, and end at the same tick. Through a network every
    // wait for a reply grows by the round trip in whole ticks (120 ms: 3); a pause between
    // frames does not, as the reader sees it the same.
    void bothRunnersPlayTheSameLine_data() {
        QTest::addColumn<MakeExchange>("make");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<double>("roundTripMs");
        const auto noReply = [](const QString&) {};
        const auto s = [](const char* text) { return QString::fromLatin1(text); };
        QTest::newRow("verification") << MakeExchange([=] { return verificationExchange(noReply); })
                                      << QStringList{s("0:Z3"), s("11:end")} << 0.0;
        QTest::newRow("defaults") << MakeExchange(defaultConfigurationExchange)
                                  << at(0, defaultConfigurationCommands()) + QStringList{s("0:end")}
                                  << 0.0;
        QTest::newRow("permanent save")
            << MakeExchange([=] { return permanentSaveExchange(noReply); })
            << QStringList{s("0:Z3"), s("17:Z2"), s("17:end")} << 0.0;
        QTest::newRow("identification")
            << MakeExchange([=] { return identificationExchange(noReply); })
            << at(0, identificationCommands()) + QStringList{s("5:S7"), s("30:1Y"), s("30:end")}
            << 0.0;
        const SymbologyBoxes boxes{true, false, true, false, true, false, false, true};
        QTest::newRow("symbology selection")
            << MakeExchange([=] { return selectionExchange(boxes); })
            << at(0, selectionCommands(boxes)) + QStringList{s("0:end")} << 0.0;
        QTest::newRow("alignment start")
            << MakeExchange(alignmentStartExchange)
            << QStringList{s("0:W0"), s("0:.Z"), s("0:D7"), s("0:end")} << 0.0;
        QTest::newRow("alignment exit") << MakeExchange(alignmentExitExchange)
                                        << QStringList{s("0:+5"), s("0:W2"), s("0:end")} << 0.0;
        QTest::newRow("verification, 120 ms away")
            << MakeExchange([=] { return verificationExchange(noReply); })
            << QStringList{s("0:Z3"), s("14:end")} << 120.0;
        QTest::newRow("permanent save, 120 ms away")
            << MakeExchange([=] { return permanentSaveExchange(noReply); })
            << QStringList{s("0:Z3"), s("20:Z2"), s("20:end")} << 120.0;
        QTest::newRow("identification, 120 ms away")
            << MakeExchange([=] { return identificationExchange(noReply); })
            << at(0, identificationCommands()) + QStringList{s("5:S7"), s("33:1Y"), s("33:end")}
            << 120.0;
    }
    void bothRunnersPlayTheSameLine() {
        QFETCH(MakeExchange, make);
        QFETCH(QStringList, expected);
        QFETCH(double, roundTripMs);
        const auto roundTrip = roundTripMs > 0 ? std::optional(roundTripMs) : std::nullopt;

        MemoryLine window(roundTrip);
        ScriptedPrompter prompter;
        const ExchangeOutcome played = playExchange(window.link, prompter, make());
        window.note("end");
        QVERIFY(played.delivered());
        QCOMPARE(window.log, expected);

        MemoryLine command(roundTrip);
        ExchangePlayer player(command.link,
                              [](const Prompt&, auto answer) { answer(PromptAnswer::Ok); });
        bool done = false;
        player.play(make(), [&](const ExchangeOutcome& outcome) {
            command.note("end");
            QVERIFY(outcome.delivered());
            done = true;
        });
        QTRY_VERIFY(done);
        QCOMPARE(command.log, expected);
    }

    // A reader lost on the way, or a reply damaged on it: the command says so, and claims
    // nothing it did not do.
    void lineFaultsClaimNothing_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("vanishOn");
        QTest::addColumn<QByteArrayList>("damage"); // this part of a reply becomes that
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("sent");
        const QByteArrayList none;
        QTest::newRow("save, all well")
            << int(SubCommand::Save) << QByteArray() << none << int(PortStatus::Ok) << true;
        QTest::newRow("save, lost between the verification and Z2")
            << int(SubCommand::Save) << QByteArray("Z2") << none << int(PortStatus::Lost) << false;
        QTest::newRow("defaults, lost in the batch")
            << int(SubCommand::Defaults) << QByteArray("F0") << none << int(PortStatus::Lost)
            << false;
        QTest::newRow("verify, lost at once") << int(SubCommand::Verify) << QByteArray("Z3") << none
                                              << int(PortStatus::Lost) << false;
        // Word 18 is 0000: what its first digit converts to matches all the same.
        QTest::newRow("verify, noise in a field")
            << int(SubCommand::Verify) << QByteArray() << QByteArrayList{"2070 0000", "2070 0Z00"}
            << int(PortStatus::InvalidReply) << false;
        QTest::newRow("symbologies, one byte lost")
            << int(SubCommand::Symbologies) << QByteArray() << QByteArrayList{"0C58", "C58"}
            << int(PortStatus::InvalidReply) << false;
    }
    void lineFaultsClaimNothing() {
        QFETCH(int, command);
        QFETCH(QByteArray, vanishOn);
        QFETCH(QByteArrayList, damage);
        QFETCH(int, status);
        QFETCH(bool, sent);
        ReaderModel model;
        PortJob::Settings settings;
        settings.command = SubCommand(command);
        settings.enable = {0};
        settings.transports = memoryTransports(
            model, {false,
                    vanishOn,
                    {},
                    {},
                    {},
                    [&](QByteArray reply) {
                        return damage.isEmpty() ? reply : reply.replace(damage[0], damage[1]);
                    },
                    {}});
        QTemporaryDir dir;
        settings.reportPath = dir.filePath(QStringLiteral("report.txt"));
        PortJob job(memoryTarget(), settings, nullptr);
        QSignalSpy finished(&job, &PortJob::finished);
        job.start();
        QVERIFY(finished.wait(5000));
        QCOMPARE(int(job.result().status), status);
        QCOMPARE(job.result().sent, sent);
        const QJsonObject port = resultJson(SubCommand(command), {job.result()})
                                     .object()[QStringLiteral("ports")][0]
                                     .toObject();
        if (settings.command == SubCommand::Save)
            QCOMPARE(port[QStringLiteral("saved")].toBool(), sent);
        if (damage.isEmpty())
            return;
        // The word and what arrived named; nothing read, compared, reported or changed.
        const QString error = port[QStringLiteral("error")].toString();
        QVERIFY2(error.contains(QStringLiteral("is not four hexadecimal digits: \"")),
                 qPrintable(error));
        QVERIFY(!port[QStringLiteral("invalidFields")].toArray().isEmpty());
        QVERIFY(port[QStringLiteral("words")].isNull());
        QCOMPARE(port[QStringLiteral("differences")].toArray(), QJsonArray());
        QVERIFY(!QFile::exists(settings.reportPath));
        QCOMPARE(model.receivedCodes(), QList<QByteArray>{"Z3"});
    }

    // Behind a network too slow to judge a reader, nothing is sent and the round trip is named,
    // in the commands and in the window alike; the default batch judges nothing and goes out.
    void slowNetworkJudgesNothing_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<double>("roundTripMs");
        QTest::addColumn<int>("status");
        for (const SubCommand command : {SubCommand::Verify, SubCommand::Save, SubCommand::Identify,
                                         SubCommand::Symbologies, SubCommand::Align}) {
            QTest::addRow("%d, 2100 ms", int(command))
                << int(command) << 2100.0 << int(PortStatus::TooSlow);
        }
        QTest::newRow("verify, 2000 ms")
            << int(SubCommand::Verify) << 2000.0 << int(PortStatus::Ok);
        QTest::newRow("defaults, 2100 ms")
            << int(SubCommand::Defaults) << 2100.0 << int(PortStatus::Ok);
    }
    void slowNetworkJudgesNothing() {
        QFETCH(int, command);
        QFETCH(double, roundTripMs);
        QFETCH(int, status);
        ReaderModel model;
        const TransportFactory transports =
            memoryTransports(model, {false, {}, {}, {}, {}, {}, roundTripMs});
        const PortTarget target = memoryTarget();
        PortResult result;
        if (SubCommand(command) == SubCommand::Align) {
            AlignSession session(target, 1, false, 0.5, nullptr, transports);
            QSignalSpy finished(&session, &AlignSession::finished);
            session.start();
            QVERIFY(finished.wait(5000));
            result = session.result();
        } else {
            PortJob::Settings settings;
            settings.command = SubCommand(command);
            settings.transports = transports;
            PortJob job(target, settings, nullptr);
            QSignalSpy finished(&job, &PortJob::finished);
            job.start();
            QVERIFY(finished.wait(5000));
            result = job.result();
        }
        QVERIFY2(int(result.status) == status, qPrintable(result.error));
        const QJsonObject port = resultJson(SubCommand(command), {result})
                                     .object()[QStringLiteral("ports")][0]
                                     .toObject();
        QCOMPARE(port[QStringLiteral("roundTripMs")].toInt(), qRound(roundTripMs));
        if (result.status != PortStatus::TooSlow)
            return;
        QVERIFY(model.receivedCodes().isEmpty());
        QVERIFY2(result.error.contains(QStringLiteral("round trip 2100 ms")),
                 qPrintable(result.error));

        MemoryLine window(roundTripMs);
        ScriptedPrompter prompter;
        ReaderState state;
        OperationContext context{window.link,           prompter, state, {}, [](bool) {},
                                 [](const QString&) {}, {}};
        QCOMPARE(runVerification(context), VerificationOutcome::NoResponse);
        QCOMPARE(runPermanentSave(context), SaveOutcome::NotSent);
        runIdentification(context);
        QVERIFY(window.log.isEmpty());
        QCOMPARE(prompter.shown.size(), 3);
        QVERIFY(prompter.texts().constFirst().contains(QStringLiteral("round trip 2100 ms")));
    }

    // The command leaves alignment mode however it ends: "+5" and "W2" are the last frames the
    // reader hears, even from a reader that answers while the line settles; fewer reports than
    // asked for is no success.
    void alignmentEndsWithTheExitCommands_data() {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("late");      // reports held back until "W2" has gone out
        QTest::addColumn<int>("reports");    // --reports; 0 until stopped
        QTest::addColumn<bool>("interrupt"); // stopped as by SIGTERM once "DZ" has gone out
        QTest::addColumn<int>("status");
        QTest::newRow("--reports 2, two come")
            << false << false << 2 << false << int(PortStatus::Ok);
        QTest::newRow("a silent reader, --timeout")
            << true << false << 3 << false << int(PortStatus::NoAnswer);
        QTest::newRow("--timeout, the report comes after W2")
            << false << true << 3 << false << int(PortStatus::NoAnswer);
        QTest::newRow("SIGTERM, the report comes after W2")
            << false << true << 0 << true << int(PortStatus::NoAnswer);
    }
    void alignmentEndsWithTheExitCommands() {
        QFETCH(bool, silent);
        QFETCH(bool, late);
        QFETCH(int, reports);
        QFETCH(bool, interrupt);
        QFETCH(int, status);
        ReaderModel model;
        AlignSession* stopping = nullptr;
        MemoryTransport::Faults faults{silent, {}, {}, {}, {}, {}, {}};
        faults.written = [&stopping](const QByteArray& frame) {
            if (stopping && frame.mid(1, 2) == "DZ")
                QTimer::singleShot(0, stopping, &AlignSession::stop);
        };
        if (late)
            faults = {silent, {}, faults.written, "DZ", "W2", {}, {}};
        AlignSession session(memoryTarget(), reports, false, 0.3, nullptr,
                             memoryTransports(model, faults));
        if (interrupt)
            stopping = &session;
        QSignalSpy finished(&session, &AlignSession::finished);
        QSignalSpy measured(&session, &AlignSession::measured);
        session.start();
        QVERIFY(finished.wait(10000));
        QVERIFY2(int(session.result().status) == status, qPrintable(session.result().error));
        QCOMPARE(measured.size(), silent || late ? 0 : reports);
        QTest::qWait(200); // anything still to come
        const QList<QByteArray> codes = model.receivedCodes();
        QCOMPARE(codes.mid(codes.size() - 2), (QList<QByteArray>{"+5", "W2"}));
    }
};

QTEST_GUILESS_MAIN(ExchangesTest)
#include "tst_exchanges.moc"
