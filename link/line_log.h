#pragma once

#include "link/line_trace.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// One thing that happened on the line: a frame sent, a chunk received, or an event (opened,
// closed, lost and why, connected, ...). Kept as it came; formatted only when shown or saved.
struct LineEntry {
    enum class Kind { Sent, Received, Event };
    double ms = 0; // since the program started, as the trace counts
    QString port;
    Kind kind = Kind::Event;
    QByteArray bytes; // sent or received
    QString event;
};

// The last `capacity` entries of the line, oldest first; older ones go and are counted.
// Appending keeps the entry as it came: nothing is formatted until someone shows or saves it.
class LineLog {
public:
    static constexpr qsizetype kCapacity = 10000;

    explicit LineLog(qsizetype capacity = kCapacity);

    void append(LineEntry entry);
    // Called after each append while set (the Line window, while it is shown); empty for none.
    void setOnAppended(std::function<void()> handler) { onAppended_ = std::move(handler); }
    // Forgets every entry and the count of those that went.
    void clear();

    qsizetype size() const { return count_; }
    qsizetype capacity() const { return capacity_; }
    // 0 is the oldest kept.
    const LineEntry& at(qsizetype k) const;
    // Entries that went to make room.
    qint64 dropped() const { return appended_ - count_; }
    // Entries appended since the last clear, those that went included: entry `at(k)` is number
    // `appended() - size() + k` of them.
    qint64 appended() const { return appended_; }

private:
    qsizetype capacity_;
    std::vector<LineEntry> ring_;
    qsizetype first_ = 0;
    qsizetype count_ = 0;
    qint64 appended_ = 0;
    std::function<void()> onAppended_;
};

// The printable form of bytes: printable ASCII as it is, control characters by their names in
// angle brackets ("<ESC>Z3<CR>"), anything else as two hex digits ("<FF>").
QString printableBytes(const QByteArray& bytes);

// An entry as the Line window shows it: time, port, what happened; for data the bytes in hex
// and, between bars, in printable form.
QString windowLine(const LineEntry& entry);

// An entry exactly as the trace file has it, without its newline.
QByteArray traceLine(const LineEntry& entry);
