// `ksr-utility verify all` on sixteen simulated readers, and `verify COM1` on one: wall time from
// start to exit, CPU time and peak memory of the utility's process.

#include "built_programs.h"
#include "cli_runs.h"

#include <QTemporaryDir>

#include <memory>

using namespace bench;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = intOption(args, QStringLiteral("--runs"), 10);
    const qsizetype at = args.indexOf(QStringLiteral("--utility"));
    const QString utility = at >= 0 && at + 1 < args.size() ? args[at + 1] : utilityProgram();
    printCommandLine(argc, argv);
    print(QStringLiteral("program: ") + utility);
    print(QStringLiteral("readers: 16 ksr-reader-sim processes on ptys, COM1..COM16 mapped with "
                         "--port; the utility runs with only PATH and HOME set (no display)"));

    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
    QStringList portOptions;
    for (int n = 1; n <= 16; ++n) {
        const QString link = dir.filePath(QStringLiteral("reader%1").arg(n));
        sims.push_back(std::make_unique<SimProcess>());
        if (!sims.back()->start(link)) {
            print(QStringLiteral("cannot start ksr-reader-sim"));
            return 1;
        }
        portOptions << QStringLiteral("--port") << QStringLiteral("COM%1=%2").arg(n).arg(link);
    }
    const QString output = dir.filePath(QStringLiteral("output.txt"));
    measure(QStringLiteral("verify all (16 readers):"),
            QStringList{utility, QStringLiteral("verify"), QStringLiteral("all")} + portOptions,
            output, 16, runs);
    measure(QStringLiteral("verify COM1 (one reader):"),
            QStringList{utility, QStringLiteral("verify"), QStringLiteral("COM1"), portOptions[0],
                        portOptions[1]},
            output, 1, runs);
    return 0;
}
