#include "cli/command_line.h"

#include "link/port_address.h"
#include "program/number_option.h"
#include "reader_ops/settings_baseline.h"
#include "reader_ops/settings_report.h"
#include "symbols/symbology_rows.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QSet>

#include <functional>
#include <limits>
#include <optional>

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
    {SubCommand::ListPorts, "ports"},
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
        "Commands (PORT is COMn, a device path, a network address rfc2217://HOST:PORT or\n"
        "socket://HOST:PORT, or all: every COM1 to COM16 the probe finds):\n"
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
        "  ports                 COM1 to COM16 with their devices, state and how each number\n"
        "                        was given (also list-ports or --list-ports).\n"
        "  ports assign COMn DEVICE\n"
        "                        Give DEVICE (an adapter, any device path) the number COMn\n"
        "                        from now on, remembered in ~/.config/ksr-utility/ports.ini.\n"
        "  ports free COMn       Forget COMn's device.\n"
        "\n");
    QString options = parser.helpText();
    options = options.mid(options.indexOf(QStringLiteral("Options:")));
    const QString footer = QStringLiteral(
        "\n"
        "Output: a table on standard output, or with --json one JSON document: per port the\n"
        "port, device, status, firmware found and expected, the 39 words read, the differing\n"
        "words, the report written, warnings, an error text and the network's round trip.\n"
        "Warnings the window shows in message boxes go to standard error, one line each,\n"
        "naming the port.\n"
        "\n"
        "Exit status:\n"
        "  0  every reader answered and matches (every command did what it was asked)\n"
        "  1  some reader differs, did not answer or decode, or a report was not written\n"
        "  2  usage error: nothing was sent\n"
        "  3  some port could not be opened, was lost during the command, or is behind a\n"
        "     network too slow to judge its reader (round trip above 2 s)\n");
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

// COMn (1 to 16, any case), a device path, or "all": what a misplaced PORT looks like.
bool looksLikePort(const QString& text) {
    return ComPort::parse(text) || text == QStringLiteral("all") || text.contains(u'/');
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

namespace {

// An option as the command line gave it, for the row that reads it.
struct GivenOption {
    const QCommandLineParser& parser; // for the options it must not meet
    QString name;                     // without the dashes
    QStringList values;               // in the order given; empty for a switch
};
// What a given option does to the options: nothing returned, or the usage error.
using ApplyOption = std::function<std::optional<QString>(const GivenOption&, CommandLine*)>;

// One option of the program: its help, the commands that take it and what it does.
struct OptionRow {
    const char* name;
    const char* value; // the value's name in the help; null for a switch
    QString help;
    // The commands that take it; empty: every command and the window, read before the PORTs.
    QList<SubCommand> commands;
    ApplyOption apply;                 // null: nothing beyond naming a command
    std::optional<SubCommand> names{}; // the option stands for this command
};

ApplyOption flag(bool CommandLine::*field) {
    return [field](const GivenOption&, CommandLine* options) -> std::optional<QString> {
        options->*field = true;
        return std::nullopt;
    };
}

// The last value given, never empty: `what` names it in the error.
ApplyOption text(QString CommandLine::*field, const char* what) {
    return [field, what](const GivenOption& given, CommandLine* options) -> std::optional<QString> {
        options->*field = given.values.constLast();
        if ((options->*field).isEmpty())
            return QStringLiteral("--%1: the %2 is empty").arg(given.name, QLatin1String(what));
        return std::nullopt;
    };
}

template <typename Number>
ApplyOption number(Number CommandLine::*field, NumberOption<Number> bounds) {
    return [field, bounds](const GivenOption& given, CommandLine* options) {
        return readNumberOption(bounds, given.values.constLast(), &(options->*field));
    };
}

// Symbology names, every value given; none may also be in `other`, read earlier.
ApplyOption symbologies(QList<int> CommandLine::*field, QList<int> CommandLine::*other) {
    return
        [field, other](const GivenOption& given, CommandLine* options) -> std::optional<QString> {
            QList<int>& rows = options->*field;
            for (const QString& value : given.values) {
                QString error;
                const QList<int> named = parseSymbologyNames(value, &error);
                if (named.isEmpty())
                    return QStringLiteral("--%1: %2").arg(given.name, error);
                for (const int row : named) {
                    if (!rows.contains(row))
                        rows.append(row);
                }
            }
            for (const int row : std::as_const(options->*other)) {
                if (rows.contains(row))
                    return QStringLiteral("\"%1\" is both enabled and disabled")
                        .arg(symbologyRows()[static_cast<std::size_t>(row)].caption);
            }
            return std::nullopt;
        };
}

// Each COMn mapped once; the simulated reader is COM1.
std::optional<QString> mapPorts(const GivenOption& given, CommandLine* options) {
    QSet<int> mapped; // COM numbers
    for (const QString& value : given.values) {
        QString error;
        const auto assignment = PortMap::parseAssignment(value, &error);
        if (!assignment)
            return QStringLiteral("--port: %1").arg(error);
        if (mapped.contains(assignment->port.number))
            return QStringLiteral("--port: %1 is mapped twice").arg(value.section(u'=', 0, 0));
        if (given.parser.isSet(QStringLiteral("simulate")) &&
            assignment->port == ComPort{ComPort::kFirst})
            return QStringLiteral("--simulate makes COM1 the simulated reader; it cannot also be "
                                  "--port %1")
                .arg(value);
        mapped.insert(assignment->port.number);
        options->ports.map(assignment->port, assignment->address);
    }
    return std::nullopt;
}

std::optional<QString> onePortReport(const GivenOption& given, CommandLine* options) {
    if (const auto error = text(&CommandLine::reportPath, "file name")(given, options))
        return error;
    if (given.parser.isSet(QStringLiteral("report-dir")))
        return QStringLiteral("--report and --report-dir do not go together");
    if (options->portArguments.size() > 1 ||
        (!options->portArguments.isEmpty() &&
         options->portArguments.constFirst().kind == PortArgument::Kind::All))
        return QStringLiteral("--report is for one port; use --report-dir");
    return std::nullopt;
}

// The baseline is read here, so a file that is no settings report stops the command before
// anything is sent.
std::optional<QString> expectReport(const GivenOption& given, CommandLine* options) {
    if (const auto error = text(&CommandLine::expectPath, "file name")(given, options))
        return error;
    QString error;
    options->expectedWords = readSettingsBaseline(options->expectPath, &error);
    if (!options->expectedWords)
        return QStringLiteral("--expect %1").arg(error);
    return std::nullopt;
}

// The options in the order --help lists them. A new option is one row here.
QList<OptionRow> optionRows() {
    using C = SubCommand;
    const QList<SubCommand> readerCommands{C::Verify,   C::Defaults,    C::Save,
                                           C::Identify, C::Symbologies, C::Align};
    const auto s = [](const char* text) { return QString::fromLatin1(text); };
    return {
        {"port",
         "COMn=DEVICE",
         s("The device that stands for COMn (repeatable), e.g. COM2=/dev/ttyUSB0, or a reader on "
           "the network: COM3=rfc2217://HOST:PORT (RFC 2217) or COM4=socket://HOST:PORT (raw "
           "TCP). For this run only; without it each serial device found has its own COMn."),
         {},
         mapPorts},
        {"list-ports", nullptr, s("The same as the ports command."), {}, {}, C::ListPorts},
        {"report",
         "FILE",
         s("The window: where its settings report goes (default %1). Commands: write the one "
           "PORT's report to FILE; without it none is written.")
             .arg(defaultSettingsReportPath()),
         {C::Window, C::Verify, C::Save, C::Symbologies},
         onePortReport},
        {"report-dir",
         "DIR",
         s("verify, save, symbologies: write one report per port into DIR, named after the port "
           "(COM3.txt)."),
         {C::Verify, C::Save, C::Symbologies},
         text(&CommandLine::reportDir, "folder name")},
        {"expect",
         "REPORT",
         s("verify, save: compare the settings words with a settings report this program wrote "
           "(39 lines of hexadecimal) instead of the default configuration."),
         {C::Verify, C::Save},
         expectReport},
        {"metrics",
         "FILE",
         s("verify: also write the results to FILE for node_exporter's textfile collector "
           "(Prometheus text format), replacing it whole."),
         {C::Verify},
         text(&CommandLine::metricsPath, "file name")},
        {"trace", "FILE",
         s("Record every frame sent, every chunk received and the line's events to FILE (- for "
           "standard error)."),
         QList<SubCommand>{C::Window} + readerCommands, text(&CommandLine::tracePath, "file name")},
        {"json", nullptr, s("Print one JSON document instead of a table."),
         readerCommands + QList<SubCommand>{C::ListPorts}, flag(&CommandLine::json)},
        {"yes", nullptr, s("save: do not ask before saving."), {C::Save}, flag(&CommandLine::yes)},
        {"no-prompt",
         nullptr,
         s("identify: read the barcode at once, without waiting for Enter."),
         {C::Identify},
         flag(&CommandLine::noPrompt)},
        {"enable",
         "NAMES",
         s("symbologies: switch these on, comma-separated, named as in the dialog."),
         {C::Symbologies},
         symbologies(&CommandLine::enable, &CommandLine::disable)},
        {"disable",
         "NAMES",
         s("symbologies: switch these off."),
         {C::Symbologies},
         symbologies(&CommandLine::disable, &CommandLine::enable)},
        {"reports",
         "N",
         s("align: stop after N reports."),
         {C::Align},
         number(&CommandLine::reports,
                {QStringLiteral("reports"), 1, std::numeric_limits<int>::max(),
                 QStringLiteral("a count of 1 or more"), u'"'})},
        {"timeout",
         "S",
         s("align: give up when the reader sends no report for S seconds (3)."),
         {C::Align},
         number(&CommandLine::timeoutSeconds, {QStringLiteral("timeout"), 0.1, 3600.0,
                                               QStringLiteral("seconds from 0.1 to 3600"), u'"'})},
        {"side-look",
         nullptr,
         s("align: the reader is mounted for side look (the window's check box)."),
         {C::Align},
         flag(&CommandLine::sideLook)},
        {"simulate",
         nullptr,
         s("Run a simulated reader inside the program and make it COM1."),
         {},
         flag(&CommandLine::simulate)},
    };
}

void addOptions(QCommandLineParser& parser, const QList<OptionRow>& rows) {
    for (const OptionRow& row : rows) {
        parser.addOption(QCommandLineOption(QLatin1String(row.name), row.help,
                                            row.value ? QLatin1String(row.value) : QString()));
    }
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QLatin1String(qt.name));
        if (qt.value)
            option.setValueName(QLatin1String(qt.value));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// The command: the first positional argument, or an option that names one.
std::optional<QString> readCommand(const QCommandLineParser& parser, const QList<OptionRow>& rows,
                                   QStringList* positional, CommandLine* options) {
    if (!positional->isEmpty()) {
        const QString& first = positional->constFirst();
        const auto command = commandNamed(first);
        if (!command) {
            return looksLikePort(first)
                       ? QStringLiteral("\"%1\" comes after a command such as verify").arg(first)
                       : QStringLiteral("unknown command \"%1\"").arg(first);
        }
        options->command = *command;
        positional->removeFirst();
    }
    for (const OptionRow& row : rows) {
        if (!row.names || !parser.isSet(QLatin1String(row.name)))
            continue;
        if (options->command != SubCommand::Window && options->command != *row.names)
            return QStringLiteral("--%1 cannot go with %2")
                .arg(QLatin1String(row.name), subCommandName(options->command));
        options->command = *row.names;
    }
    return std::nullopt;
}

// "assign COMn DEVICE" or "free COMn" after ports.
std::optional<QString> readPortsEdit(const QStringList& words, CommandLine* options) {
    const QString verb = words.value(0);
    const int count = verb == QStringLiteral("assign") ? 3 : verb == QStringLiteral("free") ? 2 : 0;
    if (count == 0)
        return QStringLiteral("ports takes assign COMn DEVICE or free COMn, not \"%1\"").arg(verb);
    if (words.size() != count)
        return QStringLiteral("expected ports %1")
            .arg(count == 3 ? QStringLiteral("assign COMn DEVICE") : QStringLiteral("free COMn"));
    const auto port = ComPort::parse(words[1]);
    if (!port)
        return QStringLiteral("unknown port \"%1\": give COM1 to COM16").arg(words[1]);
    PortsEdit edit{*port, {}};
    if (count == 3) {
        QString error;
        const auto address = PortAddress::parse(words[2], &error);
        if (!address)
            return error;
        edit.address = *address;
    }
    options->portsEdit = edit;
    return std::nullopt;
}

// One PORT as given; nothing and the reason when it is none.
std::optional<PortArgument> readPortArgument(const QString& text, QString* error) {
    if (text == QStringLiteral("all"))
        return PortArgument{PortArgument::Kind::All, {}, {}, text};
    if (const auto com = ComPort::parse(text))
        return PortArgument{PortArgument::Kind::Com, *com, {}, text};
    if (!isNetworkAddress(text) && !text.contains(u'/')) {
        *error = QStringLiteral("unknown port \"%1\": give COM1 to COM16, a device path or all")
                     .arg(text);
        return std::nullopt;
    }
    const auto address = PortAddress::parse(text, error);
    if (!address)
        return std::nullopt;
    return PortArgument{PortArgument::Kind::Address, {}, *address, text};
}

std::optional<QString> readPortArguments(const QStringList& positional, CommandLine* options) {
    const SubCommand command = options->command;
    if (command == SubCommand::ListPorts && !positional.isEmpty())
        return readPortsEdit(positional, options);
    for (const QString& text : positional) {
        if (command == SubCommand::Window)
            return QStringLiteral("unexpected argument \"%1\"").arg(text);
        QString error;
        const auto argument = readPortArgument(text, &error);
        if (!argument)
            return error;
        if (options->portArguments.contains(*argument))
            return QStringLiteral("%1 is given twice").arg(text);
        options->portArguments << *argument;
    }
    const bool onePort = command == SubCommand::Identify || command == SubCommand::Symbologies ||
                         command == SubCommand::Align;
    const bool needsPorts = command != SubCommand::Window && command != SubCommand::ListPorts;
    if (needsPorts && options->portArguments.isEmpty())
        return QStringLiteral("%1 needs a PORT").arg(subCommandName(command));
    if (onePort && (options->portArguments.size() > 1 ||
                    options->portArguments.constFirst().kind == PortArgument::Kind::All))
        return QStringLiteral("%1 takes one PORT").arg(subCommandName(command));
    return std::nullopt;
}

// An option the command does not take.
std::optional<QString> misplacedOption(const QCommandLineParser& parser,
                                       const QList<OptionRow>& rows, SubCommand command) {
    for (const OptionRow& row : rows) {
        if (row.commands.isEmpty() || row.commands.contains(command) ||
            !parser.isSet(QLatin1String(row.name)))
            continue;
        const QString which =
            command == SubCommand::Window ? QStringLiteral("the window") : subCommandName(command);
        return QStringLiteral("--%1 does not go with %2").arg(QLatin1String(row.name), which);
    }
    return std::nullopt;
}

// Applies the given options of one kind: those every command takes, or the command's own.
std::optional<QString> applyOptions(const QCommandLineParser& parser, const QList<OptionRow>& rows,
                                    bool everyCommands, CommandLine* options) {
    for (const OptionRow& row : rows) {
        const QString name = QLatin1String(row.name);
        if (!row.apply || row.commands.isEmpty() != everyCommands || !parser.isSet(name))
            continue;
        if (const auto error = row.apply({parser, name, parser.values(name)}, options))
            return error;
    }
    return std::nullopt;
}

} // namespace

CommandLineOutcome parseCommandLine(const QStringList& arguments) {
    const QList<OptionRow> rows = optionRows();
    QCommandLineParser parser;
    // -style, -platform, ... are words, as in every Qt program.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    addOptions(parser, rows);

    if (!parser.parse(arguments))
        return failure(parserError(parser));
    if (parser.isSet(QStringLiteral("help-all")))
        return printed(helpText(parser, true));
    if (parser.isSet(help))
        return printed(helpText(parser, false));
    if (parser.isSet(version))
        return printed(QStringLiteral("ksr-utility %1").arg(QStringLiteral(KSR_VERSION)));

    CommandLineOutcome outcome;
    CommandLine& options = outcome.options;
    QStringList positional = parser.positionalArguments();
    std::optional<QString> error = readCommand(parser, rows, &positional, &options);
    if (!error)
        error = applyOptions(parser, rows, true, &options);
    if (!error)
        error = readPortArguments(positional, &options);
    if (!error)
        error = misplacedOption(parser, rows, options.command);
    if (!error)
        error = applyOptions(parser, rows, false, &options);
    if (error)
        return failure(*error);
    if (options.command == SubCommand::Window && !parser.isSet(QStringLiteral("report")))
        options.reportPath = defaultSettingsReportPath();
    outcome.run = true;
    return outcome;
}
