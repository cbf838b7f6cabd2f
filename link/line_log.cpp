#include "link/line_log.h"

#include <array>

LineLog::LineLog(qsizetype capacity) : capacity_(std::max<qsizetype>(capacity, 1)) {}

void LineLog::append(LineEntry entry) {
    // A chunk read from a port carries the read buffer's room (kilobytes); kept 10,000 times
    // that would be a lot of memory, and growing the heap for it costs time on every chunk.
    if (entry.bytes.capacity() > entry.bytes.size())
        entry.bytes.squeeze();
    ++appended_;
    if (count_ < capacity_) {
        // Grows as entries come, so a line that saw little holds little.
        ring_.push_back(std::move(entry));
        ++count_;
    } else {
        ring_[static_cast<std::size_t>(first_)] = std::move(entry);
        first_ = (first_ + 1) % capacity_;
    }
    if (onAppended_)
        onAppended_();
}

void LineLog::clear() {
    ring_.clear();
    first_ = 0;
    count_ = 0;
    appended_ = 0;
}

const LineEntry& LineLog::at(qsizetype k) const {
    return ring_[static_cast<std::size_t>((first_ + k) % capacity_)];
}

QString printableBytes(const QByteArray& bytes) {
    static constexpr std::array<const char*, 32> kControlNames{
        "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
        "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
        "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    QString text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += QLatin1Char(c);
            continue;
        }
        text += QLatin1Char('<');
        if (byte < 0x20)
            text += QLatin1String(kControlNames[byte]);
        else if (byte == 0x7f)
            text += QLatin1String("DEL");
        else
            text += QString::number(byte, 16).toUpper();
        text += QLatin1Char('>');
    }
    return text;
}

namespace {
TraceDirection directionOf(const LineEntry& entry) {
    return entry.kind == LineEntry::Kind::Sent ? TraceDirection::Sent : TraceDirection::Received;
}
} // namespace

QString windowLine(const LineEntry& entry) {
    if (entry.kind == LineEntry::Kind::Event)
        return QString::fromLocal8Bit(traceEventLine(entry.ms, entry.port, entry.event));
    // The trace's time, port and direction columns, then both forms of the bytes.
    const QByteArray head = traceDataLine(entry.ms, entry.port, directionOf(entry), {});
    return QString::fromLocal8Bit(head.left(head.size() - 3)) +
           QString::fromLatin1(entry.bytes.toHex(' ').toUpper()) + QLatin1String("  |") +
           printableBytes(entry.bytes) + QLatin1Char('|');
}

QByteArray traceLine(const LineEntry& entry) {
    if (entry.kind == LineEntry::Kind::Event)
        return traceEventLine(entry.ms, entry.port, entry.event);
    return traceDataLine(entry.ms, entry.port, directionOf(entry), entry.bytes);
}
