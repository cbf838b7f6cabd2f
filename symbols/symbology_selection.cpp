#include "symbols/symbology_selection.h"

SymbologyBoxes boxesFromSettings(const SettingsTable& settings) {
    SymbologyBoxes boxes{};
    for (int i = 0; i < kSymbologyCount; ++i) {
        const SymbologyRow& row = symbologyRows()[static_cast<std::size_t>(i)];
        for (const int entry : row.entries) {
            if (static_cast<quint32>(settings[static_cast<std::size_t>(entry)]) & row.mask)
                boxes[static_cast<std::size_t>(i)] = true;
        }
    }
    return boxes;
}

QStringList commandsOnTicking(int index) {
    if (index < 0 || index >= kSymbologyCount)
        return {};
    return symbologyRows()[static_cast<std::size_t>(index)].onTicking;
}

QStringList selectionCommands(const SymbologyBoxes& ticked) {
    QStringList commands = {QStringLiteral("B0")};
    bool first = true;
    for (int i = 0; i < kSymbologyCount; ++i) {
        if (!ticked[static_cast<std::size_t>(i)])
            continue;
        const SymbologyRow& row = symbologyRows()[static_cast<std::size_t>(i)];
        if (!row.firstPosition.isEmpty() && first) {
            commands << row.firstPosition;
            first = false;
        } else {
            commands << row.otherCode;
        }
        if (!row.thenAlso.isEmpty())
            commands << row.thenAlso;
    }
    return commands;
}

SymbologyBoxes boxesAfterSelecting(const SymbologyBoxes& ticked) {
    SymbologyBoxes shown{};
    for (std::size_t i = 0; i < kSymbologyCount; ++i) {
        const SymbologyRow& row = symbologyRows()[i];
        for (std::size_t j = 0; j < kSymbologyCount; ++j) {
            const SymbologyRow& other = symbologyRows()[j];
            if (ticked[j] && other.entries == row.entries && other.mask == row.mask)
                shown[i] = true;
        }
    }
    return shown;
}

Exchange selectionExchange(const SymbologyBoxes& ticked) {
    return Exchange().send(selectionCommands(ticked));
}
