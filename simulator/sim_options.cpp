#include "simulator/sim_options.h"

#include "simulator/reader_model.h"

#include <QCommandLineParser>

namespace {

constexpr int kMaxDelayMs = 10 * 60 * 1000;

std::optional<int> boundedInt(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::pair<int, quint16>> parseWord(const QString& text) {
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const auto index = boundedInt(text.left(eq), 0, kSettingsWordCount - 1);
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

} // namespace

bool parseSimOptions(QCommandLineParser& parser, const QStringList& arguments, SimOptions* options,
                     QString* error) {
    parser.setApplicationDescription(
        QStringLiteral("Simulated KSR-6400/6500 barcode reader on a pseudo-terminal.\n"
                       "Prints the device path, then answers until interrupted."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Also reach the device through symlink <path>."),
                                  QStringLiteral("path"));
    const QCommandLineOption firmware(
        QStringLiteral("firmware"),
        QStringLiteral("Firmware identifier to report: 9 characters, leading blank included."),
        QStringLiteral("text"));
    const QCommandLineOption word(QStringLiteral("word"),
                                  QStringLiteral("Report settings word k (0..38) as hex value; "
                                                 "repeatable."),
                                  QStringLiteral("k=hex"));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("Record commands but never answer."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Answer <ms> milliseconds later than usual."),
                                   QStringLiteral("ms"));
    const QCommandLineOption cut(QStringLiteral("cut"),
                                 QStringLiteral("Send only the first <n> characters of a reply."),
                                 QStringLiteral("n"));
    const QCommandLineOption noise(QStringLiteral("noise"),
                                   QStringLiteral("Send random bytes instead of replies."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print each received command to stderr."));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("On exit, write every byte received to <file>, exactly as it came."),
        QStringLiteral("file"));
    const QCommandLineOption defaultsFile(
        QStringLiteral("defaults-file"),
        QStringLiteral("Keep the power-on settings words that \"Z2\" stores in <file>, and start "
                       "with the words found there."),
        QStringLiteral("file"));
    const QCommandLineOption barcode(
        QStringLiteral("barcode"),
        QStringLiteral("Present a barcode: FAMILY is a digit 0..9 or code39, codabar, 2of5, "
                       "code128, upc, ean, none (no identifier). Repeatable: read in turn."),
        QStringLiteral("FAMILY:DATA"));
    const QCommandLineOption decodePercentage(
        QStringLiteral("decode-percentage"),
        QStringLiteral("Percentage text of the decode test's reports (default 75)."),
        QStringLiteral("text"));
    const QCommandLineOption decodeData(
        QStringLiteral("decode-data"),
        QStringLiteral("Decoded data of the decode test's reports (default 0123456789)."),
        QStringLiteral("text"));
    const QCommandLineOption decodeRate(
        QStringLiteral("decode-rate"),
        QStringLiteral("Answer <n> of every 100 decode test triggers (default 100; 0: never)."),
        QStringLiteral("n"));
    parser.addOptions({link, firmware, word, silent, delay, cut, noise, verbose, record,
                       defaultsFile, barcode, decodePercentage, decodeData, decodeRate});

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

    options->link = parser.value(link);
    if (parser.isSet(firmware)) {
        const QString text = parser.value(firmware);
        if (!isLatin1(text)) {
            *error = QStringLiteral("--firmware: only Latin-1 characters are possible");
            return false;
        }
        options->firmware = text.toLatin1();
    }
    for (const QString& value : parser.values(word)) {
        const auto parsed = parseWord(value);
        if (!parsed) {
            *error = QStringLiteral("--word: expected k=hex with k 0..38 and up to 4 hex digits, "
                                    "got '%1'")
                         .arg(value);
            return false;
        }
        options->words.append(*parsed);
    }
    if (parser.isSet(delay)) {
        const auto ms = boundedInt(parser.value(delay), 0, kMaxDelayMs);
        if (!ms) {
            *error = QStringLiteral("--delay: expected milliseconds 0..%1, got '%2'")
                         .arg(kMaxDelayMs)
                         .arg(parser.value(delay));
            return false;
        }
        options->delayMs = *ms;
    }
    if (parser.isSet(cut)) {
        const auto n = boundedInt(parser.value(cut), 0, 1 << 20);
        if (!n) {
            *error = QStringLiteral("--cut: expected a character count, got '%1'")
                         .arg(parser.value(cut));
            return false;
        }
        options->cutAfter = *n;
    }
    options->defaultsFile = parser.value(defaultsFile);
    options->record = parser.value(record);
    for (const QString& value : parser.values(barcode)) {
        QString why;
        const auto parsed = parseBarcode(value, &why);
        if (!parsed) {
            *error = QStringLiteral("--barcode: ") + why;
            return false;
        }
        options->barcodes.append(*parsed);
    }
    for (const auto& [option, target] : {std::pair{&decodePercentage, &options->decodePercentage},
                                         std::pair{&decodeData, &options->decodeData}}) {
        if (!parser.isSet(*option))
            continue;
        const QString text = parser.value(*option);
        if (!isLatin1(text)) {
            *error = QStringLiteral("--%1: only Latin-1 characters are possible")
                         .arg(option->names().constFirst());
            return false;
        }
        *target = text.toLatin1();
    }
    if (parser.isSet(decodeRate)) {
        const auto rate = boundedInt(parser.value(decodeRate), 0, 100);
        if (!rate) {
            *error = QStringLiteral("--decode-rate: expected 0..100, got '%1'")
                         .arg(parser.value(decodeRate));
            return false;
        }
        options->decodeRate = *rate;
    }
    options->silent = parser.isSet(silent);
    options->noise = parser.isSet(noise);
    options->verbose = parser.isSet(verbose);
    return true;
}
