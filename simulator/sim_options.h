#pragma once

#include "simulator/presented_barcode.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class QCommandLineParser;

// Command line of ksr-reader-sim.
struct SimOptions {
    QString link;
    std::optional<QByteArray> firmware;
    QList<std::pair<int, quint16>> words; // index, value
    bool silent = false;
    int delayMs = 0;
    int cutAfter = -1;
    bool noise = false;
    bool verbose = false;
    QString record;                   // every byte received goes here when the simulator ends
    QString defaultsFile;             // where "Z2" keeps the power-on words; empty: nowhere
    QList<PresentedBarcode> barcodes; // read in turn
    // The decode test's reports; unset: the reader's own.
    std::optional<QByteArray> decodePercentage;
    std::optional<QByteArray> decodeData;
    int decodeRate = 100; // triggers in a hundred answered
};

// Fills `options` from `arguments`; --help and --version print and exit.
// Returns false with a one-line message naming the option in `error`.
bool parseSimOptions(QCommandLineParser& parser, const QStringList& arguments, SimOptions* options,
                     QString* error);
