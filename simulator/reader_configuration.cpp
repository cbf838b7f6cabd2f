#include "simulator/reader_configuration.h"

#include "simulator/symbology_settings.h"

bool ReaderConfiguration::handle(const QByteArray& code, SettingsWords& words, QByteArray* reply) {
    if (applySymbologyCommand(code, words))
        return true;
    if (code == "ST") {
        words = kDefaultSettingsWords;
    } else if (code == "Z2") {
        powerOn_ = words;
        if (store_)
            store_(powerOn_);
    } else if (code == "S8") {
        identifierActive_ = true;
    } else if (code == "1Y") {
        identifierActive_ = false;
    } else if (code == "S7") {
        *reply = read();
    } else {
        return false;
    }
    return true;
}

void ReaderConfiguration::setPresentedBarcodes(const QList<PresentedBarcode>& barcodes) {
    barcodes_ = barcodes;
    nextBarcode_ = 0;
}

QByteArray ReaderConfiguration::read() {
    if (barcodes_.isEmpty())
        return {}; // nothing in view: no output at all
    const PresentedBarcode& barcode = barcodes_.at(nextBarcode_);
    nextBarcode_ = (nextBarcode_ + 1) % barcodes_.size();
    return readOutput(barcode, identifierActive_);
}

void ReaderConfiguration::powerCycle(SettingsWords& words) {
    words = powerOn_;
    identifierActive_ = false;
}
