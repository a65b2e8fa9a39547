// Colours given as 0x00BBGGRR numbers, the form the windows and reports are written with.
#pragma once

#include <QColor>

#include <cstdint>

namespace zelm {

inline QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// The toolkit's "button face" colour.
std::uint32_t ButtonFaceColour();

} // namespace zelm
