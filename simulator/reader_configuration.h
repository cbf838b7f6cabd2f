#pragma once

#include "protocol/settings_words.h"
#include "simulator/presented_barcode.h"

#include <QByteArray>
#include <QList>
#include <functional>

class ReaderModel;

// The reader's configuration commands: symbologies on and off, the standard configuration
// ("ST"), storing the power-on defaults ("Z2"), and the identification set-up ("S8" until
// "1Y") with the reads of a presented barcode ("S7").
class ReaderConfiguration {
public:
    using Store = std::function<void(const SettingsWords&)>;

    // True when `code` is one of these commands. `reply` gets what the reader answers, and
    // stays null when it answers nothing.
    bool handle(const QByteArray& code, SettingsWords& words, QByteArray* reply);

    const SettingsWords& powerOnWords() const { return powerOn_; }
    void setPowerOnWords(const SettingsWords& words) { powerOn_ = words; }
    // Called with the words each time "Z2" stores them, e.g. to keep them in a file.
    void setPowerOnStore(Store store) { store_ = std::move(store); }

    bool identifierActive() const { return identifierActive_; }

    // Barcodes in front of the reader, read in turn, one for each "S7"; none: nothing to read.
    void setPresentedBarcodes(const QList<PresentedBarcode>& barcodes);
    void presentBarcode(const PresentedBarcode& barcode) { setPresentedBarcodes({barcode}); }

    // Off and on again: the power-on words come back and the identification set-up is gone.
    void powerCycle(SettingsWords& words);

private:
    QByteArray read();

    SettingsWords powerOn_ = kDefaultSettingsWords;
    Store store_;
    bool identifierActive_ = false;
    QList<PresentedBarcode> barcodes_;
    qsizetype nextBarcode_ = 0;
};

// Reader time between the trigger and the decoded data.
inline constexpr int kReadTimeMs = 250;
