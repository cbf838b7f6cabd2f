#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Debian's node_exporter on 127.0.0.1 with only its textfile collector, reading a folder.
class NodeExporterFixture {
public:
    ~NodeExporterFixture() { stop(); }

    // Starts it and waits until it serves; false (and a reason) when it does not come up.
    bool start(const QString& textfileFolder, QString* error) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
        probe.close();
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral("/usr/bin/prometheus-node-exporter"),
                       {QStringLiteral("--collector.disable-defaults"),
                        QStringLiteral("--collector.textfile"),
                        QStringLiteral("--collector.textfile.directory=") + textfileFolder,
                        QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port_)});
        if (!process_.waitForStarted(5000)) {
            *error = QStringLiteral("node_exporter did not start: ") + process_.errorString();
            return false;
        }
        QByteArray said;
        const QDeadlineTimer deadline(10000);
        while (!said.contains("Listening on") && !deadline.hasExpired() &&
               process_.state() == QProcess::Running) {
            process_.waitForReadyRead(100);
            said += process_.readAll();
        }
        if (!said.contains("Listening on")) {
            *error =
                QStringLiteral("node_exporter did not listen: ") + QString::fromLocal8Bit(said);
            return false;
        }
        return true;
    }

    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // The body of GET /metrics; empty when it could not be had.
    QByteArray scrape() const {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port_);
        if (!socket.waitForConnected(5000))
            return {};
        socket.write("GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray reply;
        const QDeadlineTimer deadline(10000);
        while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            socket.waitForReadyRead(200);
            reply += socket.readAll();
        }
        reply += socket.readAll();
        const qsizetype body = reply.indexOf("\r\n\r\n");
        return reply.startsWith("HTTP/1.") && reply.contains(" 200 ") && body >= 0
                   ? reply.mid(body + 4)
                   : QByteArray();
    }

private:
    QProcess process_;
    quint16 port_ = 0;
};
