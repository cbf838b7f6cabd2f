#include "simulator/read_timing.h"

#include "simulator/pty_reader.h"

#include <QTimer>

namespace {
class ReadTiming : public QObject {
public:
    ReadTiming(PtyReader& reader, int readMs) : QObject(&reader), reader_(reader), readMs_(readMs) {
        connect(&reader, &PtyReader::commandReceived, this, &ReadTiming::onCommand);
    }

private:
    // The reader announces each command before it queues the replies to it, so the delay
    // set here applies to this reply; it is put back once the replies are queued.
    void onCommand(const QByteArray& code) {
        if (code != "S7" || overriding_)
            return;
        overriding_ = true;
        usualMs_ = reader_.replyDelayMs();
        reader_.setReplyDelayMs(readMs_);
        QTimer::singleShot(0, this, [this] {
            reader_.setReplyDelayMs(usualMs_);
            overriding_ = false;
        });
    }

    PtyReader& reader_;
    int readMs_;
    int usualMs_ = 0;
    bool overriding_ = false;
};
} // namespace

void attachReadTiming(PtyReader& reader, int readMs) {
    new ReadTiming(reader, readMs);
}
