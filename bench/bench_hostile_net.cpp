// `ksr-utility verify` against device servers that flood it with Telnet option requests
// (IAC WILL x / IAC DO x, a million by default, 3 MB) before they answer as they should, with a
// simulated reader behind each. The servers live in a child process of their own, so the
// utility's wall and CPU time (from wait4) are its own. Three runs of each:
//   - one flooding server alone: wall and CPU against the 3 s connect bound;
//   - a good server alone, then beside sixteen flooding ones in the same `verify`: the good
//     port's own time from its first to its last trace line, and the trace's size.

#include "cli_runs.h"
#include "fake_com_server.h"
#include "simulator/reader_model.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

using namespace bench;

namespace {
// A child: one good server (`floods` 0), or `floods` flooding ones, each with its own simulated
// reader; prints their ports on one line and serves until killed.
int serve(int floods, int requests) {
    std::vector<std::unique_ptr<FakeComServer>> servers;
    std::vector<std::unique_ptr<ReaderModel>> readers;
    QStringList ports;
    for (int i = 0; i < std::max(floods, 1); ++i) {
        servers.push_back(std::make_unique<FakeComServer>(
            floods == 0 ? FakeComServer::Behaviour::Agreeable
                        : FakeComServer::Behaviour::FloodsThenAgrees));
        readers.push_back(std::make_unique<ReaderModel>());
        servers.back()->floodRequests = requests;
        ReaderModel* model = readers.back().get();
        servers.back()->reader = [model](const QByteArray& bytes) {
            return model->receive(bytes).join();
        };
        ports << QString::number(servers.back()->port());
    }
    print(QStringLiteral("ports ") + ports.join(u' '));
    return QCoreApplication::exec();
}

QString address(const QString& port) {
    return QStringLiteral("rfc2217://127.0.0.1:") + port;
}

// Whether the port's row in the command's table says "ok".
bool goodPortOk(const QString& outputPath, const QString& port) {
    QFile file(outputPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith(port.toLocal8Bit() + ' '))
            continue;
        if (!line.contains("  ok  "))
            print(QStringLiteral("the good port: ") + QString::fromLocal8Bit(line.trimmed()));
        return line.contains("  ok  ");
    }
    return false;
}

// The good port's time in a trace: its first line to its last.
double portSpanMs(const QString& tracePath, const QString& port) {
    QFile file(tracePath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    double first = -1, last = -1;
    const QByteArray tag = ' ' + port.toLocal8Bit() + ' ';
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.contains(tag))
            continue;
        const double ms = line.trimmed().split(' ').constFirst().toDouble();
        if (first < 0)
            first = ms;
        last = ms;
    }
    return last - first;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int requests = intOption(args, QStringLiteral("--requests"), 1000000);
    const int floods = intOption(args, QStringLiteral("--floods"), 16);
    if (args.contains(QStringLiteral("--serve-good")))
        return serve(0, requests);
    if (args.contains(QStringLiteral("--serve")))
        return serve(floods, requests);
    const int runs = intOption(args, QStringLiteral("--runs"), 3);
    printCommandLine(argc, argv);
    print(QStringLiteral("program: ") + utilityProgram());

    // The good server has a process of its own: the floods' writing never holds it up.
    QProcess good, flooding;
    QStringList ports;
    for (auto [process, what] : {std::pair{&good, QStringLiteral("--serve-good")},
                                 std::pair{&flooding, QStringLiteral("--serve")}}) {
        // Their warnings go to our standard error: a pipe nobody read would stop them.
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       {what, QStringLiteral("--floods"), QString::number(floods),
                        QStringLiteral("--requests"), QString::number(requests)});
        if (!process->waitForReadyRead(10000)) {
            print(QStringLiteral("the servers did not start"));
            return 1;
        }
        ports << QString::fromLatin1(process->readLine()).trimmed().split(u' ').mid(1);
    }
    print(QStringLiteral("servers: 1 good and %1 flooding (%2 option requests, %3 MB, each), in "
                         "two child processes on 127.0.0.1, a simulated reader behind each")
              .arg(floods)
              .arg(requests)
              .arg(requests * 3 / 1e6));

    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("output.txt"));
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const QString verify = QStringLiteral("verify");

    measure(QStringLiteral("verify, one flooding server (connect bound 3 s):"),
            {utilityProgram(), verify, address(ports[1])}, output, 1, runs);

    QStringList all{utilityProgram(), verify};
    for (const QString& port : ports)
        all << address(port);
    for (const bool beside : {false, true}) {
        QStringList arguments =
            beside ? all : QStringList{utilityProgram(), verify, address(ports[0])};
        arguments << QStringLiteral("--trace") << trace;
        QList<double> span, wall, cpu, traceMb, floodsOk;
        for (int k = 0; k < runs; ++k) {
            const Run run = runOnce(arguments, output, -1);
            if (!run.ok || !goodPortOk(output, address(ports[0]))) {
                print(QStringLiteral("the good port did not verify"));
                continue;
            }
            span << portSpanMs(trace, address(ports[0]));
            wall << run.wallMs;
            cpu << run.cpuMs;
            traceMb << double(QFileInfo(trace).size()) / 1e6;
            QFile table(output);
            floodsOk << double(table.open(QIODevice::ReadOnly) ? table.readAll().count("  ok  ") - 1
                                                               : 0);
        }
        print(beside
                  ? QStringLiteral("verify, the good server beside %1 flooding ones:").arg(floods)
                  : QStringLiteral("verify, the good server alone:"));
        print(QStringLiteral("  the good port, first to last trace line: ") +
              describe(summarize(span), QStringLiteral(" ms")));
        print(QStringLiteral("  wall start to exit:  ") +
              describe(summarize(wall), QStringLiteral(" ms")));
        print(QStringLiteral("  CPU of the process:  ") +
              describe(summarize(cpu), QStringLiteral(" ms")));
        if (beside)
            print(QStringLiteral("  flooding ports ok:   ") +
                  describe(summarize(floodsOk), QString(), 0));
        print(QStringLiteral("  trace size:          ") +
              describe(summarize(traceMb), QStringLiteral(" MB"), 3));
    }
    for (QProcess* process : {&good, &flooding}) {
        process->kill();
        process->waitForFinished(3000);
    }
    return 0;
}
