#pragma once

#include "simulator/alignment_target.h"
#include "simulator/decode_reports.h"
#include "simulator/reader_configuration.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QtGlobal>

#include <array>

// What a KSR-6400/6500 reader does with the bytes it is sent: cut them into
// ESC <code> CR frames, remember every command, and build the replies.
// No I/O and no clock, so the protocol side can be tested on its own.
class ReaderModel {
public:
    // Bound the history so a long run or a garbage flood cannot eat memory;
    // the oldest entries are dropped first.
    static constexpr qsizetype kMaxRecordedBytes = 1 << 20;
    static constexpr qsizetype kMaxRecordedCodes = 1 << 16;

    ReaderModel();

    QByteArray firmware() const { return m_firmware; }
    // Used verbatim in the reply; the reader normally reports 9 characters.
    void setFirmware(const QByteArray& identifier) { m_firmware = identifier; }

    const SettingsWords& words() const { return m_words; }
    void setWords(const SettingsWords& words) { m_words = words; }
    void setWord(int index, quint16 value);

    // Feeds raw bytes as they arrive. Returns one reply per answered command,
    // in order; commands the reader does not answer yield nothing.
    // `codes`, when given, gets the command codes completed by these bytes.
    QList<QByteArray> receive(const QByteArray& bytes, QList<QByteArray>* codes = nullptr);
    // Forgets a half-received frame, e.g. when the line was dropped.
    void resetFrame() { m_frame.clear(); }

    QByteArray z3Reply() const;

    // Symbologies, standard configuration, power-on defaults, identification and reads.
    ReaderConfiguration& configuration() { return m_configuration; }
    // Off and on again: the words "Z2" stored come back.
    void powerCycle() {
        m_configuration.powerCycle(m_words);
        resetFrame();
    }
    // The alignment report of the target in front of the reader.
    QByteArray dzReply() const;
    AlignmentTarget& alignmentTarget() { return m_target; }
    // The answer to the decode test's trigger.
    QByteArray u8Reply() const;
    DecodeReports& decodeReports() { return m_decode; }

    // Answers `code` with exactly `reply` instead of the built reply: a reader that reports
    // in an unusual layout, or garbles its report.
    void setScriptedReply(const QByteArray& code, const QByteArray& reply) {
        m_scripted.insert(code, reply);
    }
    void clearScriptedReplies() { m_scripted.clear(); }

    QList<QByteArray> receivedCodes() const { return m_codes; }
    QByteArray receivedBytes() const { return m_bytes; }
    void clearReceived();

private:
    // Returns the reply to `code`, or a null QByteArray when it stays silent.
    QByteArray dispatch(const QByteArray& code);
    void recordCode(const QByteArray& code);

    QByteArray m_firmware;
    QHash<QByteArray, QByteArray> m_scripted;
    SettingsWords m_words;
    ReaderConfiguration m_configuration;
    // Noise and drift change the target with every report it is asked for.
    mutable AlignmentTarget m_target;
    // Counts the triggers it is asked to answer.
    mutable DecodeReports m_decode;

    // Bytes of the frame being assembled (ESC plus up to two code characters);
    // empty while hunting for the next ESC.
    QByteArray m_frame;
    QList<QByteArray> m_codes;
    QByteArray m_bytes;
};
