// The commands without a window on readers behind the real ser2net, on loopback.
#include "cli/port_listing.h"
#include "frames.h"
#include "link/reader_link.h"
#include "ser2net_fixture.h"
#include "simulated_port.h"
#include "simulator/reader_model.h"
#include "utility_process.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class NetworkCliTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;

private slots:
    // Through either kind of accepter a command puts the same bytes on the reader's line and
    // prints the same result as on the local line.
    void commandsThroughSer2net_data() {
        QTest::addColumn<QString>("through");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("output");
        const auto s = [](const char* text) { return QString::fromLatin1(text); };
        for (const char* through : {"local", "socket", "rfc2217"}) {
            QTest::addRow("verify, %s", through)
                << s(through) << QStringList{s("verify"), s("COM1")} << frames({"Z3"})
                << s("ok      KWMR5817  as expected");
        }
        QTest::newRow("save --yes, rfc2217")
            << s("rfc2217") << QStringList{s("save"), s("COM1"), s("--yes")} << frames({"Z3", "Z2"})
            << s("ok      yes");
        QTest::newRow("align --reports 5, rfc2217")
            << s("rfc2217") << QStringList{s("align"), s("COM1"), s("--reports"), s("5")}
            << frames({"W0", ".Z", "D7", "DZ", "P6", "DZ", "P6", "DZ", "P6", "DZ", "P6", "DZ", "P6",
                       "+5", "W2"})
            << s("     5  0.500   0.500  yes     0.500");
    }
    void commandsThroughSer2net() {
        QFETCH(QString, through);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, sent);
        QFETCH(QString, output);
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({sims.sims[0]->link}, &error), qPrintable(error));
        const QString device = through == QStringLiteral("local")    ? sims.sims[0]->link
                               : through == QStringLiteral("socket") ? ser2net.socketAddress(0)
                                                                     : ser2net.rfc2217Address(0);
        const Run run = runUtility(
            arguments + QStringList{QStringLiteral("--port"), QStringLiteral("COM1=") + device},
            dir.path());
        QVERIFY2(run.exitCode == 0 && run.err.isEmpty(), qPrintable(describe(run)));
        QVERIFY2(run.out.contains(output), qPrintable(describe(run)));
        QCOMPARE(sims.sims[0]->received(), sent);
    }

    // A server that is not there, or goes away during the verification: the port's row says
    // so, nothing is claimed of the reader, and the other port carries on.
    void serverFailures_data() {
        QTest::addColumn<bool>("killedDuringVerification");
        QTest::addColumn<QString>("row");
        QTest::newRow("not running") << false << "COM2 .* open-failed .*connection was refused";
        QTest::newRow("killed while the reply comes")
            << true << "COM2 .* lost .*the connection was closed by the server";
    }
    void serverFailures() {
        QFETCH(bool, killedDuringVerification);
        QFETCH(QString, row);
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}, {}}));
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({sims.sims[1]->link}, &error), qPrintable(error));
        if (!killedDuringVerification)
            ser2net.kill();
        const QString report = dir.filePath(QStringLiteral("reports"));
        QProcess utility;
        startUtility(utility,
                     {QStringLiteral("verify"), QStringLiteral("COM1"), QStringLiteral("COM2"),
                      QStringLiteral("--port"), QStringLiteral("COM1=") + sims.sims[0]->link,
                      QStringLiteral("--port"), QStringLiteral("COM2=") + ser2net.rfc2217Address(0),
                      QStringLiteral("--report-dir"), report},
                     dir.path());
        if (killedDuringVerification) {
            QVERIFY(sims.sims[1]->waitToHear("received Z3"));
            ser2net.kill();
        }
        QVERIFY(utility.waitForFinished(kRunMs));
        const QString out = QString::fromLocal8Bit(utility.readAllStandardOutput());
        QCOMPARE(utility.exitCode(), 3);
        QVERIFY2(QRegularExpression(QStringLiteral("COM1 .* ok ")).match(out).hasMatch(),
                 qPrintable(out));
        QVERIFY2(QRegularExpression(row).match(out).hasMatch(), qPrintable(out));
        QVERIFY(!QFile::exists(report + QStringLiteral("/COM2.txt")));
    }

    // The listing shows a network port's state: reachable, or why not.
    void listingShowsNetworkPorts() {
        Readers sims;
        QVERIFY(sims.start(dir.path(), {{}}));
        Ser2netFixture ser2net;
        QString error;
        QVERIFY2(ser2net.start({sims.sims[0]->link}, &error), qPrintable(error));
        const QString down =
            QStringLiteral("socket://127.0.0.1:%1").arg(Ser2netFixture::freePort());
        const Run run = runUtility({QStringLiteral("ports"), QStringLiteral("--port"),
                                    QStringLiteral("COM1=") + ser2net.rfc2217Address(0),
                                    QStringLiteral("--port"), QStringLiteral("COM2=") + down},
                                   dir.path());
        for (const QString& row :
             {QStringLiteral("COM1 .*present"),
              QStringLiteral("COM2 .*unreachable \\(the connection was refused")}) {
            QVERIFY2(QRegularExpression(row).match(run.out).hasMatch(), qPrintable(describe(run)));
        }
        // An address is remembered as given, never taken for a file name.
        QVERIFY(runUtility({QStringLiteral("ports"), QStringLiteral("assign"),
                            QStringLiteral("COM3"), down},
                           dir.path())
                    .exitCode == 0);
        const Run listed = runUtility({QStringLiteral("ports")}, dir.path());
        QVERIFY2(listed.out.contains(QStringLiteral("COM3   ") + down + u' '),
                 qPrintable(describe(listed)));
    }
};

QTEST_GUILESS_MAIN(NetworkCliTest)
#include "tst_network_cli.moc"
