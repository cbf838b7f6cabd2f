#include "simulator/sim_options.h"

#include "program/number_option.h"
#include "simulator/reader_model.h"

#include <QCommandLineParser>

#include <functional>

namespace {

constexpr int kMaxDelayMs = 10 * 60 * 1000;

std::optional<std::pair<int, quint16>> parseWord(const QString& text) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const auto index = boundedNumber(text.left(eq), 0, kSettingsWordCount - 1);
    const QString hex = text.mid(eq + 1);
    bool ok = false;
    const uint value = hex.toUInt(&ok, 16);
    if (!index || !ok || hex.isEmpty() || hex.size() > 4 || hex.startsWith(QLatin1Char('+')) ||
        hex.startsWith(QLatin1Char('-')))
        return std::nullopt;
    return std::pair<int, quint16>(*index, static_cast<quint16>(value));
}

bool isLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

// What a given option does to the options, from its name (without the dashes) and every value
// given: nothing returned, or the error.
using ApplyOption = std::function<std::optional<QString>(
    const QString& name, const QStringList& values, SimOptions* options)>;

// One option: its help and what it does when given.
struct OptionRow {
    const char* name;
    const char* value; // the value's name in the help; null for a switch
    const char* help;
    ApplyOption apply;
};

ApplyOption flag(bool SimOptions::*field) {
    return [field](const QString&, const QStringList&, SimOptions* options) {
        options->*field = true;
        return std::optional<QString>();
    };
}

ApplyOption text(QString SimOptions::*field) {
    return [field](const QString&, const QStringList& values, SimOptions* options) {
        options->*field = values.constLast();
        return std::optional<QString>();
    };
}

// Bytes for the line, one a character.
ApplyOption latin1(std::optional<QByteArray> SimOptions::*field) {
    return [field](const QString& name, const QStringList& values,
                   SimOptions* options) -> std::optional<QString> {
        if (!isLatin1(values.constLast()))
            return QStringLiteral("--%1: only Latin-1 characters are possible").arg(name);
        options->*field = values.constLast().toLatin1();
        return std::nullopt;
    };
}

ApplyOption number(int SimOptions::*field, NumberOption<int> bounds) {
    return [field, bounds](const QString&, const QStringList& values, SimOptions* options) {
        return readNumberOption(bounds, values.constLast(), &(options->*field));
    };
}

std::optional<QString> readWords(const QString& name, const QStringList& values,
                                 SimOptions* options) {
    for (const QString& value : values) {
        const auto parsed = parseWord(value);
        if (!parsed)
            return numberOptionError(
                name, QStringLiteral("k=hex with k 0..38 and up to 4 hex digits"), value, u'\'');
        options->words.append(*parsed);
    }
    return std::nullopt;
}

std::optional<QString> readBarcodes(const QString& name, const QStringList& values,
                                    SimOptions* options) {
    for (const QString& value : values) {
        QString why;
        const auto parsed = parseBarcode(value, &why);
        if (!parsed)
            return QStringLiteral("--%1: %2").arg(name, why);
        options->barcodes.append(*parsed);
    }
    return std::nullopt;
}

// The options in the order --help lists them. A new option is one row here.
QList<OptionRow> optionRows() {
    const auto bounds = [](const char* name, int low, int high, const QString& expected) {
        return NumberOption<int>{QLatin1String(name), low, high, expected};
    };
    return {
        {"link", "path", "Also reach the device through symlink <path>.", text(&SimOptions::link)},
        {"firmware", "text", "Firmware identifier to report: 9 characters, leading blank included.",
         latin1(&SimOptions::firmware)},
        {"word", "k=hex", "Report settings word k (0..38) as hex value; repeatable.", readWords},
        {"silent", nullptr, "Record commands but never answer.", flag(&SimOptions::silent)},
        {"delay", "ms", "Answer <ms> milliseconds later than usual.",
         number(&SimOptions::delayMs,
                bounds("delay", 0, kMaxDelayMs,
                       QStringLiteral("milliseconds 0..%1").arg(kMaxDelayMs)))},
        {"cut", "n", "Send only the first <n> characters of a reply.",
         number(&SimOptions::cutAfter,
                bounds("cut", 0, 1 << 20, QStringLiteral("a character count")))},
        {"noise", nullptr, "Send random bytes instead of replies.", flag(&SimOptions::noise)},
        {"verbose", nullptr, "Print each received command to stderr.", flag(&SimOptions::verbose)},
        {"record", "file", "On exit, write every byte received to <file>, exactly as it came.",
         text(&SimOptions::record)},
        {"defaults-file", "file",
         "Keep the power-on settings words that \"Z2\" stores in <file>, and start with the words "
         "found there.",
         text(&SimOptions::defaultsFile)},
        {"barcode", "FAMILY:DATA",
         "Present a barcode: FAMILY is a digit 0..9 or code39, codabar, 2of5, code128, upc, ean, "
         "none (no identifier). Repeatable: read in turn.",
         readBarcodes},
        {"decode-percentage", "text", "Percentage text of the decode test's reports (default 75).",
         latin1(&SimOptions::decodePercentage)},
        {"decode-data", "text", "Decoded data of the decode test's reports (default 0123456789).",
         latin1(&SimOptions::decodeData)},
        {"decode-rate", "n",
         "Answer <n> of every 100 decode test triggers (default 100; 0: never).",
         number(&SimOptions::decodeRate, bounds("decode-rate", 0, 100, QStringLiteral("0..100")))},
    };
}

} // namespace

bool parseSimOptions(QCommandLineParser& parser, const QStringList& arguments, SimOptions* options,
                     QString* error) {
    parser.setApplicationDescription(
        QStringLiteral("Simulated KSR-6400/6500 barcode reader on a pseudo-terminal.\n"
                       "Prints the device path, then answers until interrupted."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QList<OptionRow> rows = optionRows();
    for (const OptionRow& row : rows) {
        parser.addOption(QCommandLineOption(QLatin1String(row.name), QLatin1String(row.help),
                                            row.value ? QLatin1String(row.value) : QString()));
    }

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
        return false;
    }
    for (const OptionRow& row : rows) {
        const QString name = QLatin1String(row.name);
        if (!parser.isSet(name))
            continue;
        if (const auto failure = row.apply(name, parser.values(name), options)) {
            *error = *failure;
            return false;
        }
    }
    return true;
}
