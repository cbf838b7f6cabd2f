#include "link/com_port_option.h"
#include "link/port_address.h"
#include "link/telnet_codec.h"
#include "link/telnet_options.h"

#include <QTest>

using namespace telnet;

namespace {
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (const int v : values)
        out.append(char(v));
    return out;
}

// The decoded stream in one line: data as text, commands as <...>.
QString render(const QList<TelnetItem>& items) {
    QString out;
    for (const TelnetItem& item : items) {
        switch (item.kind) {
        case TelnetItem::Kind::Data:
            out += QString::fromLatin1(item.bytes.toHex(' '));
            break;
        case TelnetItem::Kind::Negotiation:
            out += QStringLiteral("<%1 %2>").arg(item.command).arg(item.option);
            break;
        case TelnetItem::Kind::Subnegotiation:
            if (item.cut) {
                out += QStringLiteral("<sb %1 cut at %2>").arg(item.option).arg(item.bytes.size());
                break;
            }
            out += QStringLiteral("<sb %1 %2>")
                       .arg(item.option)
                       .arg(QString::fromLatin1(item.bytes.toHex(' ')));
            break;
        case TelnetItem::Kind::Command:
            out += QStringLiteral("<%1>").arg(item.command);
            break;
        }
        out += u'|';
    }
    return out;
}
} // namespace

class NetworkUnits : public QObject {
    Q_OBJECT
private slots:
    void addresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("rfc2217 ipv4") << "rfc2217://127.0.0.1:4001"
                                      << "rfc2217://127.0.0.1:4001" << 3000;
        QTest::newRow("socket host name, any case") << "SOCKET://Reader-3.Line.local:7000"
                                                    << "socket://reader-3.line.local:7000" << 3000;
        QTest::newRow("bracketed ipv6") << "rfc2217://[::1]:4001"
                                        << "rfc2217://[::1]:4001" << 3000;
        QTest::newRow("time-out") << "socket://host:1?timeout=0.5"
                                  << "socket://host:1?timeout=0.5" << 500;
        QTest::newRow("unknown scheme") << "telnet://host:23"
                                        << "" << 0;
        QTest::newRow("no port") << "rfc2217://host"
                                 << "" << 0;
        QTest::newRow("port zero") << "rfc2217://host:0"
                                   << "" << 0;
        QTest::newRow("port too big") << "rfc2217://host:65536"
                                      << "" << 0;
        QTest::newRow("no host") << "socket://:4001"
                                 << "" << 0;
        QTest::newRow("bare ipv6") << "socket://::1:4001"
                                   << "" << 0;
        QTest::newRow("unclosed bracket") << "socket://[::1:4001"
                                          << "" << 0;
        QTest::newRow("ipv4 in brackets") << "socket://[127.0.0.1]:4001"
                                          << "" << 0;
        QTest::newRow("path after port") << "socket://host:4001/x"
                                         << "" << 0;
        QTest::newRow("user part") << "socket://me@host:4001"
                                   << "" << 0;
        QTest::newRow("other option") << "socket://host:4001?baud=9600"
                                      << "" << 0;
        QTest::newRow("zero time-out") << "socket://host:4001?timeout=0"
                                       << "" << 0;
    }
    void addresses() {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QFETCH(int, timeoutMs);
        QVERIFY(isNetworkAddress(text));
        QString error;
        const auto address = parseNetworkAddress(text, &error);
        if (canonical.isEmpty()) {
            QVERIFY(!address);
            QVERIFY2(error.contains(text), qPrintable(error));
            QCOMPARE(portAddressError(text), error);
            return;
        }
        QVERIFY2(address, qPrintable(error));
        QCOMPARE(address->text(), canonical);
        QCOMPARE(address->timeoutMs, timeoutMs);
        QVERIFY(portAddressError(text).isEmpty());
    }

    void pathsStayPaths() {
        for (const char* path : {"/dev/ttyUSB0", "/tmp/a:b", "relative/rfc2217:x"}) {
            QVERIFY(!isNetworkAddress(QLatin1String(path)));
            QVERIFY(portAddressError(QLatin1String(path)).isEmpty());
        }
    }

    void decoder_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("piece"); // bytes per feed; 0 all at once
        QTest::addColumn<QString>("decoded");
        const QByteArray mixed = bytes({'A',
                                        IAC,
                                        IAC,
                                        'B',
                                        IAC,
                                        WILL,
                                        kComPortOption,
                                        IAC,
                                        SB,
                                        kComPortOption,
                                        101,
                                        0,
                                        0,
                                        0x25,
                                        0x80,
                                        IAC,
                                        SE,
                                        'C',
                                        IAC,
                                        NOP});
        const QString mixedDecoded =
            QStringLiteral("41 ff 42|<251 44>|<sb 44 65 00 00 25 80>|43|<241>|");
        QTest::newRow("mixed, at once") << mixed << 0 << mixedDecoded;
        QTest::newRow("mixed, byte by byte")
            << mixed << 1 << QStringLiteral("41|ff|42|<251 44>|<sb 44 65 00 00 25 80>|43|<241>|");
        QTest::newRow("doubled 255 inside a subnegotiation")
            << bytes({IAC, SB, kComPortOption, 101, 0, 0, IAC, IAC, IAC, IAC, IAC, SE}) << 3
            << QStringLiteral("<sb 44 65 00 00 ff ff>|");
        QTest::newRow("command cuts a subnegotiation short")
            << bytes({IAC, SB, kComPortOption, 1, 2, IAC, DO, kBinary, 'x'}) << 0
            << QStringLiteral("<253 0>|78|");
        QTest::newRow("over-long subnegotiation cut, said to be cut")
            << QByteArray(1, char(IAC)) + char(SB) + QByteArray(200, 'x') + char(IAC) + char(SE) +
                   'y'
            << 7 << QStringLiteral("<sb 120 cut at 63>|79|");
    }
    void decoder() {
        QFETCH(QByteArray, stream);
        QFETCH(int, piece);
        QFETCH(QString, decoded);
        TelnetDecoder decoder;
        QList<TelnetItem> items;
        const qsizetype step = piece == 0 ? stream.size() : piece;
        for (qsizetype at = 0; at < stream.size(); at += step)
            items += decoder.feed(stream.mid(at, step));
        QCOMPARE(render(items), decoded);
    }

    void escapingDoublesEvery255() {
        QCOMPARE(telnetEscape(bytes({1, IAC, 2, IAC, IAC})),
                 bytes({1, IAC, IAC, 2, IAC, IAC, IAC, IAC}));
        // A baud rate holding 255 is escaped inside its subnegotiation too.
        QCOMPARE(comPortCommand(quint8(rfc2217::Command::SetBaudRate), bytes({0, 0, 0xff, 0})),
                 bytes({IAC, SB, kComPortOption, 1, 0, 0, IAC, IAC, 0, IAC, SE}));
    }

    // Requests answered once per option and state: nothing that changes nothing is answered,
    // so a server that repeats itself a million times is answered a handful of times.
    void options_data() {
        QTest::addColumn<QByteArray>("received"); // command, option, ...
        QTest::addColumn<QByteArray>("answers");  // all answers, in order
        QTest::addColumn<int>("refusedOption");   // -1: none of ours refused
        QTest::newRow("server agrees to our WILL: no answer")
            << bytes({DO, kComPortOption, DO, kComPortOption}) << QByteArray() << -1;
        QTest::newRow("server offers BINARY we asked for")
            << bytes({WILL, kBinary}) << QByteArray() << -1;
        QTest::newRow("unknown DO refused once")
            << bytes({DO, 3, DO, 3, DO, 3}) << bytes({IAC, WONT, 3}) << -1;
        QTest::newRow("unknown WILL refused once")
            << bytes({WILL, 1, WILL, 1, DO, 1}) << bytes({IAC, DONT, 1, IAC, WONT, 1}) << -1;
        QTest::newRow("DONT/WONT of an option that is off: silence")
            << bytes({DONT, 1, WONT, 3}) << QByteArray() << -1;
        QTest::newRow("on, off, on again: each change answered")
            << bytes({DO, kComPortOption, DONT, kComPortOption, DONT, kComPortOption, DO,
                      kComPortOption})
            << bytes({IAC, WONT, kComPortOption, IAC, WILL, kComPortOption}) << -1;
        QTest::newRow("our DO refused")
            << bytes({WONT, kBinary, WONT, kBinary}) << QByteArray() << int(kBinary);
        QTest::newRow("our WILL refused")
            << bytes({DONT, kComPortOption}) << QByteArray() << int(kComPortOption);
    }
    void options() {
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, answers);
        QFETCH(int, refusedOption);
        TelnetOptions options({kComPortOption, kBinary}, {kBinary});
        QCOMPARE(options.start(),
                 bytes({IAC, WILL, kBinary, IAC, WILL, kComPortOption, IAC, DO, kBinary}));
        QByteArray said;
        for (qsizetype i = 0; i + 1 < received.size(); i += 2)
            said += options.receive(quint8(received[i]), quint8(received[i + 1]));
        QCOMPARE(said, answers);
        for (const quint8 option : {kComPortOption, kBinary})
            QCOMPARE(options.refused(option), option == refusedOption);
    }

    // The line a reader needs, asked of a device server by the RFC's values; and an answer is
    // taken for the request of its own kind.
    void lineRequests() {
        QStringList asked;
        for (const rfc2217::Request& request : rfc2217::lineRequests(kReaderLine))
            asked << rfc2217::commandName(quint8(request.command)) + u' ' +
                         QString::fromLatin1(request.value.toHex()) + u' ' + request.what +
                         (request.required ? QString() : QStringLiteral(" (optional)"));
        QCOMPARE(asked,
                 (QStringList{QStringLiteral("SET-BAUDRATE 00002580 9600 baud"),
                              QStringLiteral("SET-DATASIZE 08 8 data bits"),
                              QStringLiteral("SET-PARITY 01 no parity"),
                              QStringLiteral("SET-STOPSIZE 01 1 stop bit"),
                              QStringLiteral("SET-CONTROL 01 no flow control"),
                              QStringLiteral("SET-CONTROL 08 DTR on (optional)"),
                              QStringLiteral("SET-CONTROL 0b RTS on (optional)"),
                              QStringLiteral("PURGE-DATA 03 purge both buffers (optional)")}));
        const auto requests = rfc2217::lineRequests(kReaderLine);
        const auto control = rfc2217::Command::SetControl;
        QVERIFY(rfc2217::answerBelongsTo(requests[5], control, bytes({9})));   // DTR off
        QVERIFY(!rfc2217::answerBelongsTo(requests[5], control, bytes({12}))); // RTS off
        QVERIFY(rfc2217::answerBelongsTo(requests[4], control, bytes({3})));   // hardware flow
        QVERIFY(!rfc2217::answerBelongsTo(requests[4], control, bytes({200})));
    }
};

QTEST_GUILESS_MAIN(NetworkUnits)
#include "tst_network_units.moc"
