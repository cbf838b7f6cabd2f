#pragma once

#include "simulator/reader_model.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>

#include <deque>

class QSocketNotifier;

// A simulated reader behind a pseudo-terminal. The program opens
// devicePath() (or the link) like any serial port; replies come back with a
// reader's reaction time and at the 9600 baud line rate.
class PtyReader : public QObject {
    Q_OBJECT

public:
    explicit PtyReader(QObject* parent = nullptr);
    ~PtyReader() override;

    bool start(QString* error = nullptr);
    // The device vanishes, as when its USB adapter is pulled.
    void hangUp();
    // A new device appears: fresh pty, same model, the link re-pointed.
    // False if the pty, or the link to it, could not be made.
    bool restart(QString* error = nullptr);
    bool isRunning() const { return m_masterFd >= 0; }

    QString devicePath() const { return m_devicePath; }
    // Symlink to the device, replacing an existing symlink; removed on hangUp
    // and destruction.
    bool makeLink(const QString& linkPath, QString* error = nullptr);

    ReaderModel& model() { return m_model; }
    const ReaderModel& model() const { return m_model; }
    QList<QByteArray> receivedCodes() const { return m_model.receivedCodes(); }
    QByteArray receivedBytes() const { return m_model.receivedBytes(); }
    void clearReceived() { m_model.clearReceived(); }

    void setReplyDelayMs(int ms) { m_replyDelayMs = qMax(0, ms); }
    int replyDelayMs() const { return m_replyDelayMs; }
    // A reply waits for its time or is still going out.
    bool isReplying() const { return !m_pending.empty(); }

    // Faults; each takes effect from the next reply on.
    void setSilent(bool silent) { m_silent = silent; }
    void setExtraDelayMs(int ms) { m_extraDelayMs = qMax(0, ms); }
    // Send only the first n characters of each reply; -1 sends all of it.
    void setCutAfter(int n) { m_cutAfter = n < 0 ? -1 : n; }
    // Send random bytes of the reply's length instead of the reply.
    void setNoise(bool noise) { m_noise = noise; }

    // A device that ignores the baud rate: random bytes as fast as the pty takes them, until
    // `budget` bytes went out or stopFlood(). Bytes in `avoid` never appear. Replies still go
    // out in between. Ends with the pty (hangUp, restart).
    void startFlood(qint64 budget, const QByteArray& avoid = {});
    void stopFlood();
    qint64 floodSent() const { return m_floodSent; }

signals:
    void commandReceived(const QByteArray& code);

private:
    struct Pending {
        QByteArray data;
        qint64 startNs = 0; // on m_clock, when the first character goes out
        qsizetype sent = 0;
    };

    bool openPty(QString* error);
    void closePty();
    bool pointLink(QString* error);
    void removeLink();
    void onReadable();
    void queueReply(const QByteArray& reply);
    QByteArray noiseLike(const QByteArray& reply);
    void sendDue();
    void sendFlood();

    ReaderModel m_model;
    int m_masterFd = -1;
    // Held open so the master never sees EIO/HUP while the program has its
    // port closed.
    int m_slaveFd = -1;
    QString m_devicePath;
    QString m_linkPath;
    QByteArray m_linkTarget; // what the link points at, while it is ours
    QSocketNotifier* m_notifier = nullptr;

    int m_replyDelayMs = 15;
    bool m_silent = false;
    int m_extraDelayMs = 0;
    int m_cutAfter = -1;
    bool m_noise = false;
    QRandomGenerator m_noiseRng;

    QSocketNotifier* m_floodNotifier = nullptr;
    QByteArray m_floodPool; // random bytes, written round and round
    qsizetype m_floodAt = 0;
    qint64 m_floodLeft = 0;
    qint64 m_floodSent = 0;

    QElapsedTimer m_clock;
    QTimer m_pacer;
    QTimer m_readRetry;
    std::deque<Pending> m_pending;
    qint64 m_lineFreeAtNs = 0;
};
