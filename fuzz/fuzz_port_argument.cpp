// The --port argument alone, and whole command lines (arguments separated by NUL bytes).
#include "cli/command_line.h"
#include "fuzz_input.h"
#include "link/port_map.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The help text names the program.
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    QString error;
    const auto assignment = PortMap::parseAssignment(QString::fromUtf8(bytes), &error);
    if (assignment) {
        FUZZ_CHECK(assignment->port.isValid());
        FUZZ_CHECK(!assignment->address.isEmpty() &&
                   !assignment->address.text().contains(QChar(u'\0')));
    } else {
        FUZZ_CHECK(!error.isEmpty());
    }

    QStringList arguments{QStringLiteral("ksr-utility")};
    for (const QByteArray& argument : bytes.split('\0'))
        arguments << QString::fromUtf8(argument);
    const CommandLineOutcome outcome = parseCommandLine(arguments);
    if (outcome.run) {
        const CommandLine& options = outcome.options;
        // The window always has its report; a command writes one only when asked, and works on
        // ports only when it names some.
        const bool window = options.command == SubCommand::Window;
        FUZZ_CHECK(!window || !options.reportPath.isEmpty());
        FUZZ_CHECK((window || options.command == SubCommand::ListPorts) ==
                   options.portArguments.isEmpty());
        FUZZ_CHECK(options.reports >= 0);
        for (const ComPort port : ComPort::all())
            FUZZ_CHECK(!outcome.options.ports.addressFor(port).isEmpty());
    } else {
        FUZZ_CHECK(!outcome.message.isEmpty() && (outcome.exitCode == 0 || outcome.exitCode == 2));
        // A usage error is one line.
        FUZZ_CHECK(outcome.exitCode == 0 || !outcome.message.contains(QChar(u'\n')));
    }
    return 0;
}
