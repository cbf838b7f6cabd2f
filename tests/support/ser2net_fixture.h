#pragma once

#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTest>

// The real ser2net on 127.0.0.1, serving devices (simulated readers' pseudo-terminals): each
// device gets a raw TCP accepter and an RFC 2217 one on free ports.
class Ser2netFixture {
public:
    ~Ser2netFixture() { stop(); }

    // Starts it and waits for its "Ready"; false (and a reason) when it does not come up.
    bool start(const QStringList& devices, QString* error) {
        devices_ = devices;
        if (ports_.isEmpty()) {
            for (qsizetype i = 0; i < devices.size() * 2; ++i)
                ports_ << freePort();
        }
        QString yaml;
        for (qsizetype i = 0; i < devices.size(); ++i) {
            yaml += connection(QStringLiteral("raw%1").arg(i), QStringLiteral("tcp"),
                               socketPort(int(i)), devices[i]);
            yaml +=
                connection(QStringLiteral("rfc%1").arg(i), QStringLiteral("telnet(rfc2217),tcp"),
                           rfc2217Port(int(i)), devices[i]);
        }
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral("/usr/sbin/ser2net"),
                       {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-r"),
                        QStringLiteral("-u"), QStringLiteral("-Y"), yaml});
        if (!process_.waitForStarted(5000)) {
            *error = QStringLiteral("ser2net did not start: ") + process_.errorString();
            return false;
        }
        QByteArray said;
        QDeadlineTimer deadline(10000);
        while (!said.contains("Ready") && !deadline.hasExpired() &&
               process_.state() == QProcess::Running) {
            process_.waitForReadyRead(100);
            said += process_.readAll();
        }
        if (!said.contains("Ready")) {
            *error = QStringLiteral("ser2net did not get ready: ") + QString::fromLocal8Bit(said);
            return false;
        }
        return true;
    }

    // As a crash or a pulled power cord: no goodbye on the connections.
    void kill() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(5000);
    }
    void stop() { kill(); }
    // The same accepters again, on the same ports.
    bool restart(QString* error) {
        kill();
        return start(devices_, error);
    }

    quint16 socketPort(int device) const { return ports_.at(device * 2); }
    quint16 rfc2217Port(int device) const { return ports_.at(device * 2 + 1); }
    QString socketAddress(int device) const {
        return QStringLiteral("socket://127.0.0.1:%1").arg(socketPort(device));
    }
    QString rfc2217Address(int device) const {
        return QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217Port(device));
    }

    // A port nothing listens on (taken from the system and given back at once).
    static quint16 freePort() {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        return server.serverPort();
    }

private:
    static QString connection(const QString& name, const QString& accepter, quint16 port,
                              const QString& device) {
        // '#' is a line break to ser2net's -Y.
        return QStringLiteral("connection: &%1#  accepter: %2,127.0.0.1,%3#"
                              "  connector: serialdev,%4,9600n81,local#"
                              "  options:#    kickolduser: true#")
            .arg(name, accepter)
            .arg(port)
            .arg(device);
    }

    QProcess process_;
    QStringList devices_;
    QList<quint16> ports_;
};
