#include "simulator/reader_model.h"

#include "protocol/hex_format.h"
#include "protocol/settings_words.h"

#include <map>

namespace {

constexpr char kEsc = '\x1B';
constexpr char kCr = '\r';
constexpr qsizetype kCodeLength = 2;

bool isCodeChar(char c) {
    return c >= 0x20 && c <= 0x7E;
}

} // namespace

ReaderModel::ReaderModel() : m_firmware(kExpectedFirmware), m_words(kDefaultSettingsWords) {}

void ReaderModel::setWord(int index, quint16 value) {
    if (index >= 0 && index < kSettingsWordCount)
        m_words[static_cast<std::size_t>(index)] = value;
}

QList<QByteArray> ReaderModel::receive(const QByteArray& bytes, QList<QByteArray>* codes) {
    m_bytes.append(bytes);
    if (m_bytes.size() > kMaxRecordedBytes)
        m_bytes.remove(0, m_bytes.size() - kMaxRecordedBytes);

    QList<QByteArray> replies;
    for (const char c : bytes) {
        // A fresh ESC always starts a new frame, so a truncated frame costs
        // only itself and never swallows the command after it.
        if (c == kEsc) {
            m_frame = QByteArray(1, kEsc);
            continue;
        }
        if (m_frame.isEmpty())
            continue; // garbage between frames

        if (m_frame.size() <= kCodeLength) {
            if (isCodeChar(c))
                m_frame.append(c);
            else
                m_frame.clear();
            continue;
        }

        // ESC and both code characters are in; only CR completes the frame.
        if (c == kCr) {
            const QByteArray code = m_frame.mid(1);
            recordCode(code);
            if (codes)
                codes->append(code);
            const QByteArray reply = dispatch(code);
            if (!reply.isNull())
                replies.append(reply);
        }
        m_frame.clear();
    }
    return replies;
}

QByteArray ReaderModel::dispatch(const QByteArray& code) {
    if (const auto scripted = m_scripted.constFind(code); scripted != m_scripted.constEnd())
        return *scripted;
    if (QByteArray reply; m_configuration.handle(code, m_words, &reply))
        return reply;
    using Handler = QByteArray (ReaderModel::*)() const;
    static const std::map<QByteArray, Handler> handlers = {
        {QByteArrayLiteral("Z3"), &ReaderModel::z3Reply},
        {QByteArrayLiteral("DZ"), &ReaderModel::dzReply},
        {QByteArrayLiteral("U8"), &ReaderModel::u8Reply},
    };
    const auto it = handlers.find(code);
    if (it == handlers.end())
        return {};
    return (this->*(it->second))();
}

QByteArray ReaderModel::z3Reply() const {
    QByteArray out;
    out += "\r\nKSR-6500 Setup Report\r\n";
    out += "Interface: RS-232C 9600\r\n";
    out += "Ver. 5" + m_firmware + "\r\n";

    // Runs of ten words; the program finds each word by its offset from "XSW".
    out += "XSW 0: ";
    for (int k = 0; k < kSettingsWordCount; ++k) {
        if (k > 0 && k % 10 == 0)
            out += "\r\n " + QByteArray::number(k) + ": ";
        out += fourDigitHex(m_words[static_cast<std::size_t>(k)]);
        out += ' ';
    }
    out += "\r\nOK\r\n";
    return out;
}

QByteArray ReaderModel::dzReply() const {
    return m_target.report();
}

QByteArray ReaderModel::u8Reply() const {
    return m_decode.answer();
}

void ReaderModel::clearReceived() {
    m_codes.clear();
    m_bytes.clear();
}

void ReaderModel::recordCode(const QByteArray& code) {
    if (m_codes.size() >= kMaxRecordedCodes)
        m_codes.removeFirst();
    m_codes.append(code);
}
