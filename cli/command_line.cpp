#include "cli/command_line.h"

#include "reader_ops/settings_report.h"
#include "symbols/symbology_rows.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QSet>

namespace {

struct CommandName {
    SubCommand command;
    const char* name;
};
constexpr CommandName kCommands[] = {
    {SubCommand::Verify, "verify"},
    {SubCommand::Defaults, "defaults"},
    {SubCommand::Save, "save"},
    {SubCommand::Identify, "identify"},
    {SubCommand::Symbologies, "symbologies"},
    {SubCommand::Align, "align"},
    {SubCommand::ListPorts, "list-ports"},
};

// The options every Qt program takes (QGuiApplication and QApplication read them when the
// window starts). Accepted here so they reach Qt whole; shown by --help-all.
struct QtOption {
    const char* name;
    const char* value; // null for a switch
    const char* help;  // null: accepted, not listed
};
constexpr QtOption kQtOptions[] = {
    {"platform", "platformName[:options]", "The platform plugin: xcb, wayland, offscreen, ..."},
    {"platformpluginpath", "path", "Where to look for platform plugins."},
    {"platformtheme", "theme", "The platform theme."},
    {"plugin", "plugin", "An additional plugin to load; repeatable."},
    {"qwindowgeometry", "geometry", "Geometry of the main window, like 100x100+50+50."},
    {"qwindowicon", "icon", "The default window icon."},
    {"qwindowtitle", "title", "The title of the first window."},
    {"reverse", nullptr, "Lays the windows out right to left."},
    {"session", "session", "Restores the program from an earlier session."},
    {"style", "style", "The widget style: Fusion, Windows, ..."},
    {"stylesheet", "stylesheet", "A style sheet file for the widgets."},
    {"widgetcount", nullptr, "Prints how many widgets were left undestroyed at the end."},
    {"display", "display", "X11: the X server display to use."},
    {"geometry", "geometry", nullptr},
    {"title", "title", nullptr},
    {"icon", "icon", nullptr},
    {"name", "name", nullptr},
    {"visual", "visual", nullptr},
    {"nograb", nullptr, nullptr},
    {"dograb", nullptr, nullptr},
    {"sync", nullptr, nullptr},
    {"testability", nullptr, nullptr},
    {"qmljsdebugger", "value", nullptr},
};

CommandLineOutcome failure(const QString& what) {
    CommandLineOutcome outcome;
    outcome.exitCode = 2;
    outcome.message = usageError(what);
    return outcome;
}

CommandLineOutcome printed(const QString& text) {
    CommandLineOutcome outcome;
    outcome.message = text;
    return outcome;
}

// Qt's "Unknown option 'x'." and "Missing value after '--port'." as one of our lines.
QString parserError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        QStringList named;
        for (const QString& name : unknown)
            named << QStringLiteral("\"%1%2\"").arg(name.size() == 1 ? u"-" : u"--", name);
        return (unknown.size() == 1 ? QStringLiteral("unknown option ")
                                    : QStringLiteral("unknown options ")) +
               named.join(QStringLiteral(", "));
    }
    QString text = parser.errorText();
    if (text.endsWith(u'.'))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

QString indent(const QString& text, int width) {
    return QString(width, u' ') + text;
}

QString qtOptionsHelp() {
    QList<std::pair<QString, QString>> rows;
    qsizetype width = 0;
    for (const QtOption& option : kQtOptions) {
        if (!option.help)
            continue;
        QString left = QStringLiteral("-") + QLatin1String(option.name);
        if (option.value)
            left += QStringLiteral(" <%1>").arg(QLatin1String(option.value));
        width = qMax(width, left.size());
        rows.append({left, QLatin1String(option.help)});
    }
    QStringList lines{QStringLiteral("Qt options (read by the window, accepted everywhere):")};
    for (const auto& [left, help] : rows)
        lines << indent(left.leftJustified(width + 2) + help, 2);
    return lines.join(u'\n') + u'\n';
}

QString helpText(const QCommandLineParser& parser, bool withQtOptions) {
    const QString header = QStringLiteral(
        "Usage: ksr-utility [options]                  the window\n"
        "       ksr-utility COMMAND PORT... [options]  without any window or display\n"
        "\n"
        "Test and set-up utility for KSR-6400/6500 barcode readers.\n"
        "\n"
        "Commands (PORT is COMn, a device path, or all: every COM1 to COM16 the probe finds):\n"
        "  verify PORT...        Read each reader's firmware and 39 settings words (\"Z3\") and\n"
        "                        compare them with the expected configuration. Several ports\n"
        "                        are verified at the same time.\n"
        "  defaults PORT...      Send the VORN default configuration.\n"
        "  save PORT... --yes    Verify, then store the reader's settings as its power-on\n"
        "                        defaults (\"Z2\"). Without --yes it asks on the terminal, and\n"
        "                        refuses when there is none.\n"
        "  identify PORT         Identify the symbology of a presented barcode; waits for Enter\n"
        "                        unless --no-prompt.\n"
        "  symbologies PORT      Show which of the eight symbologies are on; --enable and\n"
        "                        --disable change them as the Setup dialog's OK does.\n"
        "  align PORT            Print the target's place in each alignment report until\n"
        "                        --reports N, Ctrl-C or SIGTERM; then the reader leaves\n"
        "                        alignment mode (\"+5\", \"W2\"). A reader that sends no\n"
        "                        report for --timeout S seconds (3) ends it as no-answer.\n"
        "  list-ports            COM1 to COM16 with their devices and state (or --list-ports).\n"
        "\n");
    QString options = parser.helpText();
    options = options.mid(options.indexOf(QStringLiteral("Options:")));
    const QString footer = QStringLiteral(
        "\n"
        "Output: a table on standard output, or with --json one JSON document: per port the\n"
        "port, device, status, firmware found and expected, the 39 words read, the differing\n"
        "words, the report written, warnings and an error text. Warnings the window shows in\n"
        "message boxes go to standard error, one line each, naming the port.\n"
        "\n"
        "Exit status:\n"
        "  0  every reader answered and matches (every command did what it was asked)\n"
        "  1  some reader differs, did not answer or decode, or a report was not written\n"
        "  2  usage error: nothing was sent\n"
        "  3  some port could not be opened, or was lost during the command\n");
    QString text = header + options + footer;
    if (withQtOptions)
        text += u'\n' + qtOptionsHelp();
    return text;
}

std::optional<SubCommand> commandNamed(const QString& name) {
    for (const CommandName& entry : kCommands) {
        if (name == QLatin1String(entry.name))
            return entry.command;
    }
    return std::nullopt;
}

// COMn (1 to 16, any case), a device path, or "all".
bool isPortArgument(const QString& text) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,2})\\z"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (const auto match = com.match(text); match.hasMatch()) {
        const int n = match.captured(1).toInt();
        return n >= PortMap::kFirstPort && n <= PortMap::kLastPort;
    }
    return text == QStringLiteral("all") || text.contains(u'/');
}

QString normalisedName(const QString& text) {
    QString name = text.toCaseFolded();
    name.remove(QRegularExpression(QStringLiteral("[\\s,]")));
    return name;
}

} // namespace

QString usageError(const QString& what) {
    // One line, whatever the arguments it quotes hold.
    QString line = what;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return QStringLiteral("ksr-utility: %1 (see --help)").arg(line);
}

QString subCommandName(SubCommand command) {
    for (const CommandName& entry : kCommands) {
        if (entry.command == command)
            return QLatin1String(entry.name);
    }
    return {};
}

QList<int> parseSymbologyNames(const QString& text, QString* error) {
    QHash<QString, int> byName;
    QStringList valid;
    for (int i = 0; i < kSymbologyCount; ++i) {
        const QString caption = symbologyRows()[static_cast<std::size_t>(i)].caption;
        byName.insert(normalisedName(caption), i);
        valid << caption;
    }
    // "UPC, EAN" is one box; its caption splits at the comma like a list does.
    const int upcEan = byName.value(normalisedName(QStringLiteral("UPC, EAN")));
    byName.insert(QStringLiteral("upc"), upcEan);
    byName.insert(QStringLiteral("ean"), upcEan);

    QList<int> rows;
    for (const QString& part : text.split(u',')) {
        const QString name = normalisedName(part);
        if (name.isEmpty())
            continue;
        const auto found = byName.constFind(name);
        if (found == byName.constEnd()) {
            *error = QStringLiteral("unknown symbology \"%1\"; the symbologies are %2")
                         .arg(part.trimmed(), valid.join(QStringLiteral("; ")));
            return {};
        }
        if (!rows.contains(*found))
            rows << *found;
    }
    if (rows.isEmpty())
        *error = QStringLiteral("no symbology named in \"%1\"").arg(text);
    return rows;
}

CommandLineOutcome parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // -style, -platform, ... are words, as in every Qt program.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("The device that stands for COMn (repeatable), e.g. COM2=/dev/ttyUSB0. "
                       "Unmapped, COMn is the system's own port."),
        QStringLiteral("COMn=DEVICE"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("The same as the list-ports command."));
    const QCommandLineOption report(
        QStringLiteral("report"),
        QStringLiteral("The window: where its settings report goes (default %1). Commands: "
                       "write the one PORT's report to FILE; without it none is written.")
            .arg(defaultSettingsReportPath()),
        QStringLiteral("FILE"));
    const QCommandLineOption reportDir(
        QStringLiteral("report-dir"),
        QStringLiteral("verify, save, symbologies: write one report per port into DIR, named "
                       "after the port (COM3.txt)."),
        QStringLiteral("DIR"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Record every frame sent, every chunk received and the line's events to "
                       "FILE (- for standard error)."),
        QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON document instead of a table."));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("save: do not ask before saving."));
    const QCommandLineOption noPrompt(
        QStringLiteral("no-prompt"),
        QStringLiteral("identify: read the barcode at once, without waiting for Enter."));
    const QCommandLineOption enable(
        QStringLiteral("enable"),
        QStringLiteral("symbologies: switch these on, comma-separated, named as in the dialog."),
        QStringLiteral("NAMES"));
    const QCommandLineOption disable(QStringLiteral("disable"),
                                     QStringLiteral("symbologies: switch these off."),
                                     QStringLiteral("NAMES"));
    const QCommandLineOption reports(QStringLiteral("reports"),
                                     QStringLiteral("align: stop after N reports."),
                                     QStringLiteral("N"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"),
        QStringLiteral("align: give up when the reader sends no report for S seconds (3)."),
        QStringLiteral("S"));
    const QCommandLineOption sideLook(
        QStringLiteral("side-look"),
        QStringLiteral("align: the reader is mounted for side look (the window's check box)."));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Run a simulated reader inside the program and make it COM1."));
    parser.addOptions({port, listPorts, report, reportDir, trace, json, yes, noPrompt, enable,
                       disable, reports, timeout, sideLook, simulate});
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QLatin1String(qt.name));
        if (qt.value)
            option.setValueName(QLatin1String(qt.value));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments))
        return failure(parserError(parser));
    if (parser.isSet(QStringLiteral("help-all")))
        return printed(helpText(parser, true));
    if (parser.isSet(help))
        return printed(helpText(parser, false));
    if (parser.isSet(version))
        return printed(QStringLiteral("ksr-utility %1").arg(QStringLiteral(KSR_VERSION)));

    CommandLineOutcome outcome;
    outcome.run = true;
    CommandLine& options = outcome.options;
    QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        const auto command = commandNamed(positional.constFirst());
        if (!command) {
            return failure(
                isPortArgument(positional.constFirst())
                    ? QStringLiteral("\"%1\" comes after a command such as verify")
                          .arg(positional.constFirst())
                    : QStringLiteral("unknown command \"%1\"").arg(positional.constFirst()));
        }
        options.command = *command;
        positional.removeFirst();
    }
    if (parser.isSet(listPorts)) {
        if (options.command != SubCommand::Window && options.command != SubCommand::ListPorts)
            return failure(QStringLiteral("--list-ports cannot go with %1")
                               .arg(subCommandName(options.command)));
        options.command = SubCommand::ListPorts;
    }
    const SubCommand command = options.command;
    const QString name = subCommandName(command);

    // The ports, each COMn mapped once; the simulated reader is COM1.
    options.simulate = parser.isSet(simulate);
    QSet<int> mapped;
    for (const QString& value : parser.values(port)) {
        QString error;
        const auto assignment = PortMap::parseAssignment(value, &error);
        if (!assignment)
            return failure(QStringLiteral("--port: %1").arg(error));
        if (mapped.contains(assignment->port))
            return failure(QStringLiteral("--port: COM%1 is mapped twice").arg(assignment->port));
        if (options.simulate && assignment->port == 1)
            return failure(QStringLiteral("--simulate makes COM1 the simulated reader; it cannot "
                                          "also be --port COM1=%1")
                               .arg(assignment->device));
        mapped.insert(assignment->port);
        options.ports.map(assignment->port, assignment->device);
    }

    for (const QString& argument : positional) {
        if (command == SubCommand::Window || command == SubCommand::ListPorts)
            return failure(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        if (!isPortArgument(argument))
            return failure(QStringLiteral("unknown port \"%1\": give COM1 to COM16, a device "
                                          "path or all")
                               .arg(argument));
        const QString key = argument.startsWith(QStringLiteral("com"), Qt::CaseInsensitive)
                                ? argument.toUpper()
                                : argument;
        if (options.portArguments.contains(key))
            return failure(QStringLiteral("%1 is given twice").arg(argument));
        options.portArguments << key;
    }
    const bool onePort = command == SubCommand::Identify || command == SubCommand::Symbologies ||
                         command == SubCommand::Align;
    const bool needsPorts = command != SubCommand::Window && command != SubCommand::ListPorts;
    if (needsPorts && options.portArguments.isEmpty())
        return failure(QStringLiteral("%1 needs a PORT").arg(name));
    if (onePort && (options.portArguments.size() > 1 ||
                    options.portArguments.constFirst() == QStringLiteral("all")))
        return failure(QStringLiteral("%1 takes one PORT").arg(name));

    // Options that only some commands take.
    const auto onlyFor = [&](const QCommandLineOption& option,
                             const QList<SubCommand>& commands) -> std::optional<QString> {
        if (!parser.isSet(option) || commands.contains(command))
            return std::nullopt;
        const QString which = command == SubCommand::Window ? QStringLiteral("the window") : name;
        return QStringLiteral("--%1 does not go with %2").arg(option.names().constLast(), which);
    };
    using C = SubCommand;
    const std::pair<const QCommandLineOption*, QList<SubCommand>> rules[] = {
        {&report, {C::Window, C::Verify, C::Save, C::Symbologies}},
        {&reportDir, {C::Verify, C::Save, C::Symbologies}},
        {&trace,
         {C::Window, C::Verify, C::Defaults, C::Save, C::Identify, C::Symbologies, C::Align}},
        {&json, {C::Verify, C::Defaults, C::Save, C::Identify, C::Symbologies, C::Align}},
        {&yes, {C::Save}},
        {&noPrompt, {C::Identify}},
        {&enable, {C::Symbologies}},
        {&disable, {C::Symbologies}},
        {&reports, {C::Align}},
        {&timeout, {C::Align}},
        {&sideLook, {C::Align}},
    };
    for (const auto& [option, commands] : rules) {
        if (const auto error = onlyFor(*option, commands))
            return failure(*error);
    }

    if (parser.isSet(report)) {
        options.reportPath = parser.value(report);
        if (options.reportPath.isEmpty())
            return failure(QStringLiteral("--report: the file name is empty"));
        if (parser.isSet(reportDir))
            return failure(QStringLiteral("--report and --report-dir do not go together"));
        if (options.portArguments.size() > 1 ||
            options.portArguments.contains(QStringLiteral("all")))
            return failure(QStringLiteral("--report is for one port; use --report-dir"));
    } else if (command == SubCommand::Window) {
        options.reportPath = defaultSettingsReportPath();
    }
    if (parser.isSet(reportDir)) {
        options.reportDir = parser.value(reportDir);
        if (options.reportDir.isEmpty())
            return failure(QStringLiteral("--report-dir: the folder name is empty"));
    }
    if (parser.isSet(trace)) {
        options.tracePath = parser.value(trace);
        if (options.tracePath.isEmpty())
            return failure(QStringLiteral("--trace: the file name is empty"));
    }
    for (const auto& [option, rows] :
         {std::pair{&enable, &options.enable}, std::pair{&disable, &options.disable}}) {
        for (const QString& value : parser.values(*option)) {
            QString error;
            const QList<int> named = parseSymbologyNames(value, &error);
            if (named.isEmpty())
                return failure(QStringLiteral("--%1: %2").arg(option->names().constFirst(), error));
            for (const int row : named) {
                if (!rows->contains(row))
                    rows->append(row);
            }
        }
    }
    for (const int row : std::as_const(options.enable)) {
        if (options.disable.contains(row))
            return failure(QStringLiteral("\"%1\" is both enabled and disabled")
                               .arg(symbologyRows()[static_cast<std::size_t>(row)].caption));
    }
    if (parser.isSet(reports)) {
        bool ok = false;
        options.reports = parser.value(reports).toInt(&ok);
        if (!ok || options.reports < 1)
            return failure(QStringLiteral("--reports: expected a count of 1 or more, got \"%1\"")
                               .arg(parser.value(reports)));
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        options.timeoutSeconds = parser.value(timeout).toDouble(&ok);
        if (!ok || !(options.timeoutSeconds >= 0.1 && options.timeoutSeconds <= 3600))
            return failure(
                QStringLiteral("--timeout: expected seconds from 0.1 to 3600, got \"%1\"")
                    .arg(parser.value(timeout)));
    }
    options.json = parser.isSet(json);
    options.yes = parser.isSet(yes);
    options.noPrompt = parser.isSet(noPrompt);
    options.sideLook = parser.isSet(sideLook);
    return outcome;
}
