#include "simulator/symbology_settings.h"

#include <map>
#include <vector>

namespace {
struct Bits {
    int word;
    quint16 mask;
};

const std::map<QByteArray, std::vector<Bits>>& enableBits() {
    static const std::map<QByteArray, std::vector<Bits>> table = {
        {"B2", {{9, 0x0001}}},
        {"A2", {{9, 0x0001}}},
        {"B3", {{10, 0x0001}}},
        {"A3", {{10, 0x0001}}},
        {"R7", {{11, 0x0001}}},
        {"J7", {{11, 0x0001}}},
        {"R8", {{11, 0x0004}}},
        {"B4", {{11, 0x0100}}},
        {"A4", {{11, 0x0100}}},
        {"B5", {{12, 0x0100}}},
        {"B6", {{13, 0x0001}}},
        {"A6", {{13, 0x0001}}},
        {"B7", {{14, 0x0001}}},
        {"A7", {{14, 0x0001}}},
        {"R1", {{5, 0x0001}, {6, 0x0001}}},
        {"J1", {{5, 0x0001}, {6, 0x0001}}},
        {"R2", {{5, 0x0100}, {6, 0x0100}}},
        {"R3", {{5, 0x1000}, {6, 0x1000}}},
        {"R4", {{7, 0x0001}}},
        {"R5", {{7, 0x0100}}},
        {"R6", {{7, 0x1000}}},
    };
    return table;
}

void clearAllEnableBits(SettingsWords& words) {
    for (const auto& entry : enableBits()) {
        for (const Bits& bits : entry.second)
            words[static_cast<std::size_t>(bits.word)] &= static_cast<quint16>(~bits.mask);
    }
}
} // namespace

bool applySymbologyCommand(const QByteArray& code, SettingsWords& words) {
    if (code == "B0") {
        clearAllEnableBits(words);
        return true;
    }
    const auto it = enableBits().find(code);
    if (it == enableBits().end())
        return false;
    for (const Bits& bits : it->second)
        words[static_cast<std::size_t>(bits.word)] |= bits.mask;
    return true;
}
