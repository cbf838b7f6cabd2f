#include "ports/port_catalog.h"
#include "ports/port_numbering.h"
#include "ports/port_store.h"

#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
#define FTDI "/dev/serial/by-id/usb-FTDI_A1"
// "path|by-id|by-path", the names under /dev/serial shortened to their last part.
QList<FoundDevice> devices(const QStringList& rows) {
    QList<FoundDevice> list;
    for (const QString& row : rows) {
        const QStringList f = row.split(u'|');
        const auto under = [](const QString& folder, const QString& name) {
            return name.isEmpty() ? QString()
                                  : QStringLiteral("/dev/serial/%1/%2").arg(folder, name);
        };
        list.append({f.value(0),
                     under(QStringLiteral("by-id"), f.value(1)),
                     under(QStringLiteral("by-path"), f.value(2)),
                     {},
                     {},
                     {}});
    }
    return list;
}

// "COM3=identity" -> {3: identity}
QMap<int, QString> numbered(const QStringList& rows) {
    QMap<int, QString> map;
    for (const QString& row : rows)
        map.insert(row.section(u'=', 0, 0).mid(3).toInt(), row.section(u'=', 1));
    return map;
}

template <typename Key> QMap<Key, PortAddress> addresses(const QStringList& rows) {
    QMap<Key, PortAddress> map;
    const QMap<int, QString> texts = numbered(rows);
    for (auto it = texts.begin(); it != texts.end(); ++it)
        map.insert(Key{it.key()}, PortAddress::devicePath(it.value()));
    return map;
}

// The taken numbers as "COMn=device origin" (with "missing" for a device not found).
QStringList table(const PortNumbering& numbering) {
    QStringList rows;
    for (const ComPort n : ComPort::all()) {
        const NumberedPort& port = numbering.port(n);
        if (port.origin != PortOrigin::None)
            rows << QStringLiteral("%1=%2 %3%4")
                        .arg(n.label(), port.address.text(), originName(port.origin),
                             port.found ? QString() : QStringLiteral(" missing"));
    }
    return rows;
}

QStringList L(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

QStringList adapters(int count) {
    QStringList rows;
    for (int k = 0; k < count; ++k)
        rows << QStringLiteral("/dev/ttyUSB%1|adapter%1").arg(k);
    return rows;
}
} // namespace

class PortNumberingTest : public QObject {
    Q_OBJECT
private slots:
    void numbering_data() {
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QStringList>("remembered");
        QTest::addColumn<QStringList>("thisRun");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("stored"); // what is to be remembered now
        QTest::addColumn<QStringList>("unnumbered");

        QTest::newRow("fresh system: the first adapter is COM1")
            << L({"/dev/ttyUSB0|usb-FTDI_A1"}) << L({}) << L({})
            << L({"COM1=/dev/ttyUSB0 remembered"}) << L({"COM1=" FTDI}) << L({});
        QTest::newRow("plugged back in on another ttyUSB")
            << L({"/dev/ttyUSB0|other", "/dev/ttyUSB1|usb-FTDI_A1"}) << L({"COM3=" FTDI}) << L({})
            << L({"COM1=/dev/ttyUSB0 remembered", "COM3=/dev/ttyUSB1 remembered"})
            << L({"COM1=/dev/serial/by-id/other"}) << L({});
        QTest::newRow("two of a kind told apart by socket")
            << L({"/dev/ttyUSB0||usb-0:2", "/dev/ttyUSB1||usb-0:1"})
            << L({"COM1=/dev/serial/by-path/usb-0:1", "COM2=/dev/serial/by-path/usb-0:2"}) << L({})
            << L({"COM1=/dev/ttyUSB1 remembered", "COM2=/dev/ttyUSB0 remembered"}) << L({})
            << L({});
        QTest::newRow("an unplugged adapter keeps its number")
            << L({"/dev/ttyACM0"}) << L({"COM1=" FTDI}) << L({})
            << L({"COM1=" FTDI " remembered missing", "COM2=/dev/ttyACM0 remembered"})
            << L({"COM2=/dev/ttyACM0"}) << L({});
        QTest::newRow("a seventeenth device gets no number")
            << adapters(17) << L({}) << L({}) << L({}) << L({}) << L({"/dev/ttyUSB16"});
        QTest::newRow("built-in ttyS1 keeps COM2, ttyS16 is an adapter")
            << L({"/dev/ttyS16", "/dev/ttyS1", "/dev/ttyUSB0|usb-FTDI_A1"})
            << L({"COM2=/dev/serial/by-id/gone"}) << L({})
            << L({"COM1=/dev/ttyS16 remembered", "COM2=/dev/ttyS1 built-in",
                  "COM3=/dev/ttyUSB0 remembered"})
            << L({"COM1=/dev/ttyS16", "COM3=" FTDI}) << L({});
        QTest::newRow("--port holds over a remembered number, nothing stored")
            << L({"/dev/ttyUSB0|usb-FTDI_A1"}) << L({"COM1=" FTDI}) << L({"COM1=/tmp/pty"})
            << L({"COM1=/tmp/pty this run missing", "COM2=/dev/ttyUSB0 this run"}) << L({})
            << L({});
        QTest::newRow("--port naming a found adapter numbers it once")
            << L({"/dev/ttyUSB0|usb-FTDI_A1"}) << L({}) << L({"COM4=" FTDI})
            << L({"COM4=" FTDI " this run"}) << L({}) << L({});
    }
    void numbering() {
        QFETCH(QStringList, found);
        QFETCH(QStringList, remembered);
        QFETCH(QStringList, thisRun);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, unnumbered);
        const QList<FoundDevice> list = devices(found);
        const PortNumbering result =
            numberPorts(list, addresses<int>(remembered), addresses<ComPort>(thisRun));
        if (found.size() == 17) {
            for (int n = 1; n <= 16; ++n)
                expected << QStringLiteral("COM%1=/dev/ttyUSB%2 remembered").arg(n).arg(n - 1);
            QCOMPARE(result.newlyRemembered.size(), 16);
        } else {
            QCOMPARE(result.newlyRemembered, numbered(stored));
        }
        QCOMPARE(table(result), expected);
        QStringList left;
        for (const FoundDevice& device : result.unnumbered)
            left << device.path;
        QCOMPARE(left, unnumbered);
    }

    // The file: what is read from it, and what a write keeps.
    void storeFile_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("read");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QString>("said"); // told once; "%1" is the file
        QTest::newRow("numbers and keys this version does not know")
            << QByteArray("[ports]\nCOM2=/dev/serial/by-id/a\nCOM40=x\nColour=blue\n"
                          "[later]\nsomething=kept\n")
            << L({"COM2=/dev/serial/by-id/a"}) << false << QString();
        QTest::newRow("comments and quotes")
            << QByteArray("; my line PC\r\n[ports]\r\n; the left reader\r\n"
                          "COM2 = \"/dev/serial/by-id/a;b\" ; spare\r\n")
            << L({"COM2=/dev/serial/by-id/a;b"}) << false << QString();
        QTest::newRow("a number given twice")
            << QByteArray("[ports]\nCOM2=/dev/a\nCOM2=/dev/b\n") << L({"COM2=/dev/b"}) << false
            << QStringLiteral("%1: line 3 gives COM2 again (first on line 2); line 3 is used");
        QTest::newRow("no file") << QByteArray() << QStringList{} << false << QString();
        const QString unusable = QStringLiteral("%1 cannot be used: ");
        QTest::newRow("a line that is no INI")
            << QByteArray("[ports]\nCOM2 /dev/ttyUSB0\n") << QStringList{} << true << unusable;
        QTest::newRow("an unclosed section")
            << QByteArray("[ports\nCOM2=/dev/ttyUSB0\n") << QStringList{} << true << unusable;
        QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01", 4) << QStringList{} << true
                                << unusable;
    }
    void storeFile() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, read);
        QFETCH(bool, damaged);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ksr-utility/ports.ini"));
        if (!text.isEmpty()) {
            QDir().mkpath(dir.filePath(QStringLiteral("ksr-utility")));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QCOMPARE(PortStore(path).load().assignments, numbered(read));
        const QList<FoundDevice> found = devices(L({"/dev/ttyUSB0|usb-new"}));
        PortCatalog catalog([&found] { return found; }, PortStore(path), {});
        QCOMPARE(!catalog.storeProblem().isEmpty(), damaged);
        // Told once, naming the file.
        const QString told = catalog.takeStoreProblem();
        QVERIFY2(told.contains(said.isEmpty() ? said : said.arg(path)) &&
                     told.isEmpty() == said.isEmpty(),
                 qPrintable(told));
        QVERIFY(catalog.takeStoreProblem().isEmpty());

        // The new adapter's number is stored, next to everything else, or nothing is written.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly) || text.isEmpty());
        const QByteArray after = file.readAll();
        if (damaged) {
            QCOMPARE(after, text);
            QCOMPARE(catalog.numbering().port(ComPort{1}).address.text(),
                     QStringLiteral("/dev/ttyUSB0"));
            QString error;
            QVERIFY(!catalog.apply(
                {{ComPort{5}, PortAddress::devicePath(QStringLiteral("/dev/ttyUSB0"))}}, &error));
            QVERIFY2(error.contains(path), qPrintable(error));
            QFile again(path);
            QVERIFY(again.open(QIODevice::ReadOnly));
            QCOMPARE(again.readAll(), text);
            return;
        }
        const QStringList expected = read + L({"COM1=/dev/serial/by-id/usb-new"});
        QMap<int, QString> stored = PortStore(path).load().assignments;
        QCOMPARE(stored, numbered(expected));
        // Only the new number's line is new: every line the user wrote stays as it was.
        for (const QByteArray& kept : text.split('\n'))
            QVERIFY2(after.contains(kept), after.constData());
    }

    // A file that may not be written now: the new adapter's number holds for this run, and
    // the note says it was not stored, naming the file and the reason.
    void numberThatCannotBeStored_data() {
        QTest::addColumn<bool>("link");
        QTest::addColumn<QString>("why");
        QTest::newRow("a symbolic link")
            << true
            << QStringLiteral("%1 is a symbolic link: it is read, and never written through");
        QTest::newRow("another program writing it")
            << false << QStringLiteral("%1 is being written by another program");
    }
    void numberThatCannotBeStored() {
        QFETCH(bool, link);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ports.ini"));
        const QByteArray text("; mine\n[ports]\nCOM2=\"/dev/serial/by-id/a\"\n");
        QFile file(link ? dir.filePath(QStringLiteral("shared.ini")) : path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QVERIFY(!link || QFile::link(file.fileName(), path));
        QLockFile other(path + QStringLiteral(".edit-lock"));
        QVERIFY(link || other.tryLock(0));

        const QList<FoundDevice> found = devices(L({"/dev/ttyUSB0|usb-new"}));
        PortCatalog catalog([&found] { return found; }, PortStore(path), {});
        QCOMPARE(table(catalog.numbering()), L({"COM1=/dev/ttyUSB0 remembered",
                                                "COM2=/dev/serial/by-id/a remembered missing"}));
        const QString note = catalog.storeNotes().join(u'\n');
        QVERIFY2(note.contains(QStringLiteral("COM1 (/dev/ttyUSB0) used for this run but not "
                                              "stored: ") +
                               why.arg(path)),
                 qPrintable(note));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
        QVERIFY(QFileInfo(path).isSymLink() == link);
    }

    // By hand: an adapter moves to COM5 (one number per adapter), then COM5 is freed.
    void assignAndFree() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ports.ini"));
        const QList<FoundDevice> found = devices(L({"/dev/ttyUSB0|usb-FTDI_A1", "/dev/ttyS0"}));
        PortCatalog catalog([&found] { return found; }, PortStore(path), {});
        QCOMPARE(table(catalog.numbering()),
                 L({"COM1=/dev/ttyS0 built-in", "COM2=/dev/ttyUSB0 remembered"}));
        QString error;
        const PortAddress usb0 = PortAddress::devicePath(QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(catalog.apply({{ComPort{5}, usb0}}, &error));
        QCOMPARE(table(catalog.numbering()),
                 L({"COM1=/dev/ttyS0 built-in", "COM5=/dev/ttyUSB0 remembered"}));
        QCOMPARE(PortStore(path).load().assignments,
                 numbered(L({"COM5=/dev/serial/by-id/usb-FTDI_A1"})));
        QVERIFY(!catalog.apply({{ComPort{1}, usb0}}, &error));
        QVERIFY2(error.contains(QStringLiteral("built-in port /dev/ttyS0")), qPrintable(error));
        QVERIFY(catalog.apply(
            {{ComPort{5}, {}}, {ComPort{7}, PortAddress::devicePath(QStringLiteral("/tmp/any"))}},
            &error));
        QCOMPARE(PortStore(path).load().assignments,
                 numbered(L({"COM2=/dev/serial/by-id/usb-FTDI_A1", "COM7=/tmp/any"})));
    }
};

QTEST_GUILESS_MAIN(PortNumberingTest)
#include "tst_port_numbering.moc"
