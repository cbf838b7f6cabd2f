#pragma once

#include "symbols/symbology_selection.h"

#include <initializer_list>

// The dialog's boxes by name, for writing selections in tests.
enum SymbologyBox { Code39, Codabar, IL2of5, Code128, UpcEan, Msi, Code93, Iata };

inline SymbologyBoxes only(std::initializer_list<SymbologyBox> ticked) {
    SymbologyBoxes boxes{};
    for (const SymbologyBox b : ticked)
        boxes[b] = true;
    return boxes;
}

inline constexpr SymbologyBoxes kAllBoxes = {true, true, true, true, true, true, true, true};
