#include "link/port_error.h"
#include "link/port_map.h"
#include "protocol/hex_to_long.h"
#include "protocol/reader_command.h"

#include <QTemporaryDir>
#include <QTest>

class LinkUnits : public QObject {
    Q_OBJECT
private slots:
    void hexToLong_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("value");
        QTest::newRow("upper") << "474A" << 18250;
        QTest::newRow("mixed case") << "FfD7" << 65495;
        QTest::newRow("lower") << "ffd7" << 65495;
        QTest::newRow("zeros") << "0000" << 0;
        QTest::newRow("leading zeros") << "0019" << 25;
        QTest::newRow("stops at blank") << "12 4" << 18;
        QTest::newRow("stops at G") << "12G4" << 18;
        QTest::newRow("leading blank") << " 124" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("eight digits") << "FFFFFFFF" << -1;
        QTest::newRow("wraps past eight digits") << "123456789" << qint32(0x23456789);
        QTest::newRow("latin-1 letter is no digit") << QString::fromLatin1("1\xe9") << 1;
    }
    void hexToLong() {
        QFETCH(QString, text);
        QFETCH(qint32, value);
        QCOMPARE(HexToLong(text), value);
    }

    void commandFrameIsEscCodeCr() {
        QCOMPARE(frameCommand(QStringLiteral("Z2")), QByteArray("\x1b\x5a\x32\x0d"));
        QCOMPARE(frameCommand(QStringLiteral(".Z")), QByteArray("\x1b.Z\r"));
    }

    void portMapDefaultsAndExplicitMaps() {
        PortMap platform = PortMap::platformDefault();
        platform.map(ComPort{3}, PortAddress::devicePath(QStringLiteral("/dev/ttyUSB0")));
        QStringList devices;
        for (const int n : {0, 1, 3, 16, 17})
            devices << platform.addressFor(ComPort{n}).text();
        devices << PortMap::explicitOnly().addressFor(ComPort{1}).text();
        QCOMPARE(devices, (QStringList{QString(), QStringLiteral("/dev/ttyS0"),
                                       QStringLiteral("/dev/ttyUSB0"),
                                       QStringLiteral("/dev/ttyS15"), QString(), QString()}));
    }

    void portAssignment_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::newRow("usb") << "COM2=/dev/ttyUSB0" << 2 << "/dev/ttyUSB0";
        QTest::newRow("lower case com") << "com16=/dev/pts/3" << 16 << "/dev/pts/3";
        QTest::newRow("path with equals") << "COM1=/tmp/a=b" << 1 << "/tmp/a=b";
        QTest::newRow("no device") << "COM1=" << 0 << "";
        QTest::newRow("no number") << "COM=/dev/x" << 0 << "";
        QTest::newRow("port zero") << "COM0=/dev/x" << 0 << "";
        QTest::newRow("port 17") << "COM17=/dev/x" << 0 << "";
        QTest::newRow("not a port") << "LPT1=/dev/x" << 0 << "";
        QTest::newRow("no equals") << "COM1" << 0 << "";
        QTest::newRow("trailing newline") << "COM1=/dev/x\n" << 0 << "";
    }
    void portAssignment() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QFETCH(QString, device);
        QString error;
        const auto assignment = PortMap::parseAssignment(text, &error);
        if (port == 0) {
            QVERIFY(!assignment);
            QVERIFY(!error.isEmpty());
            return;
        }
        QVERIFY2(assignment, qPrintable(error));
        QCOMPARE(assignment->port, ComPort{port});
        QCOMPARE(assignment->address.text(), device);
    }

    void symlinkAndTargetAreOnePort() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("device"));
        QFile(target).open(QIODevice::WriteOnly);
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(canonicalDevice(link), canonicalDevice(target));
        // A path that does not exist is kept as given.
        QCOMPARE(canonicalDevice(QStringLiteral("/nonexistent/tty")),
                 QStringLiteral("/nonexistent/tty"));
    }

    void operatorMessagesNamePortAndReason() {
        const PortError busy{PortFailure::Busy, QStringLiteral("/dev/ttyUSB0"), {}};
        QCOMPARE(describePortError(ComPort{3}, busy),
                 QStringLiteral("COM3 (/dev/ttyUSB0) cannot be opened: it is in use by another "
                                "program."));
        const PortError denied{PortFailure::NoPermission, QStringLiteral("/dev/ttyS0"), {}};
        QVERIFY(describePortError(ComPort{1}, denied).contains(QStringLiteral("dialout")));
        // A device that was never there is not "lost"; one that went away while open is.
        const PortError missing{PortFailure::Missing, QStringLiteral("/nonexistent"), {}};
        QCOMPARE(describePortNotOpen(ComPort{1}, missing),
                 QStringLiteral("COM1 (/nonexistent) is not open: the device does not exist."));
        const PortError lost{PortFailure::Lost, QStringLiteral("/dev/ttyUSB1"),
                             QStringLiteral("Input/output error")};
        QCOMPARE(describePortNotOpen(ComPort{2}, lost),
                 QStringLiteral("COM2 (/dev/ttyUSB1) is not open: the device was lost."));
        const PortError other{PortFailure::Other, QStringLiteral("/dev/x"),
                              QStringLiteral("Input/output error")};
        QVERIFY(
            describePortError(ComPort{4}, other).endsWith(QStringLiteral("Input/output error.")));
    }
};

QTEST_GUILESS_MAIN(LinkUnits)
#include "tst_link_units.moc"
