#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

// A slow network on loopback: a proxy in front of a TCP server that holds every chunk `delay`
// ms in each direction, in order. It runs on a thread of its own, so a test may block on a
// process while it carries the bytes. The delay may change while connections are open.
class DelayProxy {
public:
    DelayProxy(quint16 target, int delayMs) : target_(target), delayMs_(delayMs) {
        anchor_.moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            &anchor_, [this] { listen(); }, Qt::BlockingQueuedConnection);
    }
    ~DelayProxy() {
        QMetaObject::invokeMethod(
            &anchor_, [this] { qDeleteAll(anchor_.children()); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    void setDelay(int ms) { delayMs_ = ms; }
    quint16 port() const { return port_; }
    QString address(const char* scheme) const {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port_);
    }

private:
    void listen() {
        clock_.start();
        auto* server = new QTcpServer(&anchor_);
        server->listen(QHostAddress::LocalHost);
        port_ = server->serverPort();
        QObject::connect(server, &QTcpServer::newConnection, &anchor_, [this, server] {
            while (QTcpSocket* client = server->nextPendingConnection()) {
                client->setParent(&anchor_);
                auto* upstream = new QTcpSocket(&anchor_);
                for (QTcpSocket* socket : {client, upstream})
                    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                upstream->connectToHost(QHostAddress::LocalHost, target_);
                pipe(client, upstream);
                pipe(upstream, client);
            }
        });
    }

    // What `from` receives reaches `to` the delay later; its close too.
    void pipe(QTcpSocket* from, QTcpSocket* to) {
        auto due = std::make_shared<qint64>(0); // never before the chunk ahead of it
        QPointer<QTcpSocket> target(to);
        const auto later = [this, due](std::function<void()> action) {
            const qint64 now = clock_.elapsed();
            *due = qMax(now + delayMs_.load(), *due);
            QTimer::singleShot(int(*due - now), Qt::PreciseTimer, &anchor_, std::move(action));
        };
        QObject::connect(from, &QTcpSocket::readyRead, &anchor_, [from, target, later] {
            later([target, chunk = from->readAll()] {
                if (target)
                    target->write(chunk);
            });
        });
        QObject::connect(from, &QTcpSocket::disconnected, &anchor_, [from, target, later] {
            later([target] {
                if (target)
                    target->disconnectFromHost();
            });
            from->deleteLater();
        });
    }

    quint16 target_;
    std::atomic<int> delayMs_;
    std::atomic<quint16> port_{0};
    QThread thread_;
    QObject anchor_;
    QElapsedTimer clock_;
};
