#include "program/termination_signals.h"
#include "simulator/power_on_file.h"
#include "simulator/pty_reader.h"
#include "simulator/read_timing.h"
#include "simulator/sim_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ksr-reader-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KSR_VERSION));

    QTextStream err(stderr);
    const QString prefix = QStringLiteral("ksr-reader-sim: ");

    QCommandLineParser parser;
    SimOptions options;
    QString error;
    if (!parseSimOptions(parser, QCoreApplication::arguments(), &options, &error)) {
        err << prefix << error << Qt::endl;
        return 2;
    }

    PtyReader reader;
    if (!options.defaultsFile.isEmpty()) {
        // Power on: the words stored last time, if any.
        if (QFile::exists(options.defaultsFile)) {
            const auto stored = readPowerOnFile(options.defaultsFile, &error);
            if (!stored) {
                err << prefix << error << Qt::endl;
                return 1;
            }
            reader.model().configuration().setPowerOnWords(*stored);
            reader.model().powerCycle();
        }
        reader.model().configuration().setPowerOnStore(
            [&err, &prefix, path = options.defaultsFile](const SettingsWords& words) {
                QString why;
                if (!writePowerOnFile(path, words, &why))
                    err << prefix << "cannot keep the power-on words: " << why << Qt::endl;
            });
    }
    reader.model().configuration().setPresentedBarcodes(options.barcodes);
    attachReadTiming(reader, kReadTimeMs);
    if (options.firmware)
        reader.model().setFirmware(*options.firmware);
    for (const auto& [index, value] : options.words)
        reader.model().setWord(index, value);
    DecodeReports& decode = reader.model().decodeReports();
    if (options.decodePercentage)
        decode.setPercentage(*options.decodePercentage);
    if (options.decodeData)
        decode.setData(*options.decodeData);
    decode.setRate(options.decodeRate);
    reader.setSilent(options.silent);
    reader.setExtraDelayMs(options.delayMs);
    reader.setCutAfter(options.cutAfter);
    reader.setNoise(options.noise);
    if (options.verbose) {
        QObject::connect(&reader, &PtyReader::commandReceived, &app,
                         [&err](const QByteArray& code) {
                             err << "received " << QString::fromLatin1(code) << Qt::endl;
                         });
    }

    // Ends the event loop normally, so destructors run and the symlink is removed.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, &QCoreApplication::quit);
    if (!termination.install()) {
        err << prefix << "cannot install signal handlers" << Qt::endl;
        return 1;
    }
    if (!reader.start(&error) ||
        (!options.link.isEmpty() && !reader.makeLink(options.link, &error))) {
        err << prefix << error << Qt::endl;
        return 1;
    }

    QTextStream(stdout) << reader.devicePath() << Qt::endl;
    const int status = QCoreApplication::exec();
    if (!options.record.isEmpty()) {
        QFile file(options.record);
        if (!file.open(QIODevice::WriteOnly) || file.write(reader.receivedBytes()) < 0) {
            err << prefix << "--record: " << file.errorString() << Qt::endl;
            return 1;
        }
    }
    return status;
}
