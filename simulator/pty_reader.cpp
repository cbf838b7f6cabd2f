#include "simulator/pty_reader.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr qint64 kBaud = 9600;
constexpr qint64 kBitsPerChar = 10; // start + 8 data + stop
constexpr qint64 kNsPerSecond = 1'000'000'000;
constexpr qint64 kNsPerMs = 1'000'000;
// Coarse enough to stay cheap, fine enough that ~10 characters go per tick.
constexpr int kPaceTickMs = 10;
constexpr int kReadRetryMs = 100;
constexpr qsizetype kFloodPoolSize = 64 * 1024;

qint64 lineTimeNs(qsizetype chars) {
    return chars * kBitsPerChar * kNsPerSecond / kBaud;
}

qsizetype charsSentIn(qint64 ns) {
    return static_cast<qsizetype>(ns * kBaud / (kBitsPerChar * kNsPerSecond));
}

bool fail(QString* error, const QString& what, int err) {
    if (error)
        *error = what + QStringLiteral(": ") + qt_error_string(err);
    return false;
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

PtyReader::PtyReader(QObject* parent) : QObject(parent), m_noiseRng(0x4B535236u) {
    m_clock.start();
    m_pacer.setSingleShot(true);
    connect(&m_pacer, &QTimer::timeout, this, &PtyReader::sendDue);
    m_readRetry.setSingleShot(true);
    connect(&m_readRetry, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

PtyReader::~PtyReader() {
    closePty();
    removeLink();
}

bool PtyReader::start(QString* error) {
    if (isRunning()) {
        if (error)
            *error = QStringLiteral("simulated reader already started");
        return false;
    }
    return openPty(error);
}

void PtyReader::hangUp() {
    closePty();
    // Like a pulled adapter's /dev/serial link; a dangling link could also end
    // up pointing at someone else's pty once the number is reused.
    removeLink();
}

bool PtyReader::restart(QString* error) {
    closePty();
    if (!openPty(error))
        return false;
    if (!m_linkPath.isEmpty())
        return pointLink(error);
    return true;
}

bool PtyReader::makeLink(const QString& linkPath, QString* error) {
    if (!isRunning()) {
        if (error)
            *error = QStringLiteral("simulated reader not started");
        return false;
    }
    if (linkPath != m_linkPath)
        removeLink();
    m_linkPath = linkPath;
    if (pointLink(error))
        return true;
    m_linkPath.clear();
    return false;
}

bool PtyReader::openPty(QString* error) {
    m_masterFd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_masterFd < 0)
        return fail(error, QStringLiteral("posix_openpt"), errno);

    char name[128];
    if (::grantpt(m_masterFd) != 0 || ::unlockpt(m_masterFd) != 0 ||
        ::ptsname_r(m_masterFd, name, sizeof name) != 0) {
        const int err = errno;
        closePty();
        return fail(error, QStringLiteral("pty setup"), err);
    }
    m_devicePath = QFile::decodeName(name);

    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveFd < 0) {
        const int err = errno;
        closePty();
        return fail(error, QStringLiteral("open ") + QFile::decodeName(name), err);
    }

    // Raw: no echo of our replies back into the master, no line editing.
    termios tio{};
    if (::tcgetattr(m_slaveFd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(m_slaveFd, TCSANOW, &tio);
    }

    ::fcntl(m_masterFd, F_SETFD, FD_CLOEXEC);
    const int flags = ::fcntl(m_masterFd, F_GETFL);
    if (flags < 0 || ::fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK) != 0) {
        const int err = errno;
        closePty();
        return fail(error, QStringLiteral("fcntl"), err);
    }

    m_model.resetFrame();
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_masterFd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyReader::onReadable);
    return true;
}

void PtyReader::closePty() {
    // The notifiers must go before their descriptor does.
    stopFlood();
    delete m_notifier;
    m_notifier = nullptr;
    m_readRetry.stop();
    m_pacer.stop();
    m_pending.clear();
    m_lineFreeAtNs = 0;
    closeFd(m_masterFd);
    closeFd(m_slaveFd);
    m_devicePath.clear();
}

bool PtyReader::pointLink(QString* error) {
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray target = QFile::encodeName(m_devicePath);

    struct stat st {};
    if (::lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        if (error)
            *error = m_linkPath + QStringLiteral(": exists and is not a symlink");
        return false;
    }
    // Build the new link aside and rename it over the old one, so the path
    // never points nowhere while being replaced.
    const QByteArray temp = link + ".tmp-" + QByteArray::number(::getpid());
    ::unlink(temp.constData());
    if (::symlink(target.constData(), temp.constData()) != 0)
        return fail(error, QStringLiteral("symlink ") + m_linkPath, errno);
    if (::rename(temp.constData(), link.constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return fail(error, QStringLiteral("rename to ") + m_linkPath, err);
    }
    m_linkTarget = target;
    return true;
}

void PtyReader::removeLink() {
    if (m_linkPath.isEmpty() || m_linkTarget.isEmpty())
        return;
    // Only remove the link if it is still ours.
    const QByteArray link = QFile::encodeName(m_linkPath);
    char target[4096];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target);
    if (n >= 0 && QByteArray(target, n) == m_linkTarget)
        ::unlink(link.constData());
    m_linkTarget.clear();
}

void PtyReader::onReadable() {
    QByteArray data;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_masterFd, buf, sizeof buf);
        if (n > 0) {
            data.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // EIO or end of file: nothing to read until the slave side changes;
        // back off instead of letting the level-triggered notifier spin.
        if (m_notifier) {
            m_notifier->setEnabled(false);
            m_readRetry.start(kReadRetryMs);
        }
        break;
    }
    if (data.isEmpty())
        return;

    QList<QByteArray> codes;
    const QList<QByteArray> replies = m_model.receive(data, &codes);
    // Announce first, so a listener can still set a fault for this reply.
    for (const QByteArray& code : codes)
        emit commandReceived(code);
    if (!isRunning())
        return;
    for (const QByteArray& reply : replies)
        queueReply(reply);
}

void PtyReader::queueReply(const QByteArray& reply) {
    if (m_silent)
        return;
    QByteArray data = reply;
    if (m_cutAfter >= 0)
        data.truncate(m_cutAfter);
    if (m_noise)
        data = noiseLike(data);
    if (data.isEmpty())
        return;

    const qint64 now = m_clock.nsecsElapsed();
    const qint64 ready = now + qint64(m_replyDelayMs + m_extraDelayMs) * kNsPerMs;
    const qint64 start = qMax(ready, m_lineFreeAtNs);
    m_lineFreeAtNs = start + lineTimeNs(data.size());
    m_pending.push_back({data, start, 0});
    if (!m_pacer.isActive())
        sendDue();
}

QByteArray PtyReader::noiseLike(const QByteArray& reply) {
    // Without 'V' the noise can never spell "Ver." and pass for a reply.
    QByteArray out(reply.size(), '\0');
    for (char& c : out) {
        int b;
        do {
            b = m_noiseRng.bounded(256);
        } while (b == 'V');
        c = static_cast<char>(b);
    }
    return out;
}

void PtyReader::sendDue() {
    const qint64 now = m_clock.nsecsElapsed();
    while (!m_pending.empty()) {
        Pending& p = m_pending.front();
        if (now < p.startNs)
            break;
        const qsizetype due = qMin(p.data.size(), charsSentIn(now - p.startNs));
        if (due > p.sent) {
            const qsizetype count = due - p.sent;
            const ssize_t n =
                ::write(m_masterFd, p.data.constData() + p.sent, static_cast<size_t>(count));
            if (n < 0 && errno == EINTR)
                continue;
            // Whatever the far end's buffer cannot take is lost, as on a real
            // line with nobody reading.
            p.sent = due;
        }
        if (p.sent < p.data.size())
            break;
        m_pending.pop_front();
    }
    if (m_pending.empty())
        return;

    const qint64 untilStart = m_pending.front().startNs - now;
    const int wait = untilStart > 0 ? int((untilStart + kNsPerMs - 1) / kNsPerMs) : kPaceTickMs;
    m_pacer.start(wait);
}

void PtyReader::startFlood(qint64 budget, const QByteArray& avoid) {
    stopFlood();
    if (!isRunning() || budget <= 0)
        return;
    m_floodPool.resize(kFloodPoolSize);
    for (char& c : m_floodPool) {
        do {
            c = static_cast<char>(m_noiseRng.bounded(256));
        } while (avoid.contains(c));
    }
    m_floodAt = 0;
    m_floodLeft = budget;
    m_floodSent = 0;
    // Woken only while the pty has room: a full pty costs nothing.
    m_floodNotifier =
        new QSocketNotifier(static_cast<qintptr>(m_masterFd), QSocketNotifier::Write, this);
    connect(m_floodNotifier, &QSocketNotifier::activated, this, &PtyReader::sendFlood);
}

void PtyReader::stopFlood() {
    delete m_floodNotifier;
    m_floodNotifier = nullptr;
    m_floodLeft = 0;
}

void PtyReader::sendFlood() {
    // A share per wake-up, so a reader draining as fast as we write cannot hold us here.
    qint64 share = kFloodPoolSize * 4;
    while (m_floodLeft > 0) {
        const qsizetype count = qMin<qint64>(m_floodLeft, m_floodPool.size() - m_floodAt);
        const ssize_t n =
            ::write(m_masterFd, m_floodPool.constData() + m_floodAt, static_cast<size_t>(count));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // full: woken again when there is room
        if (n <= 0)
            break; // the line is broken; flooding it would only spin
        m_floodSent += n;
        m_floodLeft -= n;
        share -= n;
        m_floodAt = (m_floodAt + n) % m_floodPool.size();
        if (share <= 0)
            return;
    }
    stopFlood();
}
