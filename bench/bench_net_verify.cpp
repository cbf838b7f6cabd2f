// `ksr-utility verify all` on sixteen simulated readers reached through one ser2net (sixteen
// RFC 2217 accepters on 127.0.0.1), directly and across a slow network (a proxy in this process
// holding every chunk D ms each way), and the same readers through their local pseudo-terminals
// in the same run: wall time from start to exit, CPU time and peak memory of the utility.

#include "built_programs.h"
#include "cli_runs.h"
#include "delay_proxy.h"
#include "ser2net_fixture.h"

#include <QTemporaryDir>

#include <memory>

using namespace bench;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = intOption(args, QStringLiteral("--runs"), 10);
    const int delayMs = intOption(args, QStringLiteral("--delay-ms"), 100);
    printCommandLine(argc, argv);
    print(QStringLiteral("program: ") + utilityProgram());
    print(QStringLiteral("readers: 16 ksr-reader-sim processes on ptys; one ser2net serving each "
                         "on 127.0.0.1 with telnet(rfc2217); the utility runs with only PATH and "
                         "HOME set (no display)"));

    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
    QStringList links;
    for (int n = 1; n <= 16; ++n) {
        links << dir.filePath(QStringLiteral("reader%1").arg(n));
        sims.push_back(std::make_unique<SimProcess>());
        if (!sims.back()->start(links.back())) {
            print(QStringLiteral("cannot start ksr-reader-sim"));
            return 1;
        }
    }
    Ser2netFixture ser2net;
    QString error;
    if (!ser2net.start(links, &error)) {
        print(error);
        return 1;
    }
    std::vector<std::unique_ptr<DelayProxy>> proxies;
    QStringList network, far, local;
    for (int n = 1; n <= 16; ++n) {
        network << QStringLiteral("--port")
                << QStringLiteral("COM%1=%2").arg(n).arg(ser2net.rfc2217Address(n - 1));
        proxies.push_back(std::make_unique<DelayProxy>(ser2net.rfc2217Port(n - 1), delayMs));
        far << QStringLiteral("--port")
            << QStringLiteral("COM%1=%2").arg(n).arg(proxies.back()->address("rfc2217"));
        local << QStringLiteral("--port") << QStringLiteral("COM%1=%2").arg(n).arg(links[n - 1]);
    }
    const QString output = dir.filePath(QStringLiteral("output.txt"));
    const QStringList verifyAll{utilityProgram(), QStringLiteral("verify"), QStringLiteral("all")};
    measure(QStringLiteral("verify all, 16 readers through ser2net (RFC 2217):"),
            verifyAll + network, output, 16, runs);
    measure(QStringLiteral("verify all, the same through a network of %1 ms each way "
                           "(goal: wall under %2 ms, CPU under 300 ms):")
                .arg(delayMs)
                .arg(1000 + 2 * delayMs),
            verifyAll + far, output, 16, runs);
    measure(QStringLiteral("verify all, the same 16 readers on their local ptys:"),
            verifyAll + local, output, 16, runs);
    return 0;
}
