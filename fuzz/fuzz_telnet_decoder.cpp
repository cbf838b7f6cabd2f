// The Telnet decoder on what a serial device server sends, in pieces of any size, and the
// option rules answering every negotiation in it, never twice to a request repeated.
#include "fuzz_input.h"
#include "link/port_address.h"
#include "link/telnet_codec.h"
#include "link/telnet_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TelnetDecoder pieces;
    TelnetDecoder whole;
    TelnetOptions options({telnet::kComPortOption, telnet::kBinary}, {telnet::kBinary});
    options.start();
    QByteArray piecesData;
    QByteArray stream;
    int answers = 0;
    for (const QByteArray& chunk : fuzzChunks(data, size)) {
        stream += chunk;
        for (const TelnetItem& item : pieces.feed(chunk)) {
            if (item.kind == TelnetItem::Kind::Data)
                piecesData += item.bytes;
            if (item.kind == TelnetItem::Kind::Subnegotiation) {
                FUZZ_CHECK(item.bytes.size() < TelnetDecoder::kMaxSubnegotiation);
                // A cut one still says what it began with, to be named.
                FUZZ_CHECK(!item.cut || item.bytes.size() == TelnetDecoder::kMaxSubnegotiation - 1);
            }
            if (item.kind == TelnetItem::Kind::Negotiation) {
                const QByteArray answer = options.receive(item.command, item.option);
                FUZZ_CHECK(answer.isEmpty() || answer.size() == 3);
                answers += answer.isEmpty() ? 0 : 1;
                // The same request again changes nothing, so it is never answered twice.
                FUZZ_CHECK(options.receive(item.command, item.option).isEmpty());
            }
        }
    }
    // However the stream is cut, the reader's bytes are the same.
    QByteArray wholeData;
    for (const TelnetItem& item : whole.feed(stream)) {
        if (item.kind == TelnetItem::Kind::Data)
            wholeData += item.bytes;
    }
    FUZZ_CHECK(wholeData == piecesData);
    FUZZ_CHECK(wholeData.size() <= stream.size());
    // Escaped data reads back as itself.
    TelnetDecoder again;
    QByteArray roundTrip;
    for (const TelnetItem& item : again.feed(telnetEscape(wholeData)))
        roundTrip += item.bytes;
    FUZZ_CHECK(roundTrip == wholeData);
    // The same text read as an address never crashes and a refusal says why.
    const QString text = QString::fromLatin1(stream);
    QString error;
    if (!parseNetworkAddress(text, &error))
        FUZZ_CHECK(!error.isEmpty());
    (void)answers;
    return 0;
}
