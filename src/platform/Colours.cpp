#include "Colours.h"

#include <QApplication>
#include <QPalette>

namespace zelm {

std::uint32_t ButtonFaceColour() {
    const QColor colour = QGuiApplication::instance() ? QGuiApplication::palette().color(QPalette::Button)
                                                      : QColor(240, 240, 240);
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) | (std::uint32_t(colour.blue()) << 16);
}

} // namespace zelm
