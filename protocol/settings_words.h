#pragma once

#include <QtGlobal>
#include <array>

// The reader reports 39 settings words of 16 bits in reply to "Z3".
inline constexpr int kSettingsWordCount = 39;
using SettingsWords = std::array<quint16, kSettingsWordCount>;

// The words of a reader in its standard (VORN) configuration, in reply order. The verification
// compares against these, and the simulated reader starts with them.
inline constexpr SettingsWords kDefaultSettingsWords = {
    0x474A, 0x2201, 0x0242, 0x0213, 0x4040, 0x440D, 0x440D, 0x441D, 0x0019, 0x6805,
    0x2805, 0x6525, 0x09E4, 0x0409, 0x0C58, 0x0408, 0x0046, 0x2070, 0x0000, 0x1109,
    0x0003, 0x1313, 0x1103, 0x1318, 0x033F, 0x7000, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0xFFD7};

// The firmware identifier the utility expects, leading blank included.
inline constexpr char kExpectedFirmware[] = " KWMR5817";
