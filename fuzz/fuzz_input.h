#pragma once

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What a target asserts about a result: a broken property aborts, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

inline QByteArray fuzzBytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The line delivers a reply in pieces of any size: the first byte sets the piece size (0: all
// at once), the rest is the stream.
inline QList<QByteArray> fuzzChunks(const std::uint8_t* data, std::size_t size) {
    QList<QByteArray> chunks;
    if (size == 0)
        return chunks;
    const QByteArray stream = fuzzBytes(data + 1, size - 1);
    const qsizetype piece = data[0] == 0 ? qMax<qsizetype>(stream.size(), 1) : data[0];
    for (qsizetype at = 0; at < stream.size(); at += piece)
        chunks.append(stream.mid(at, piece));
    return chunks;
}
