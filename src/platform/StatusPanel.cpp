#include "StatusPanel.h"

#include "Colours.h"

namespace zelm {

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    TCanvas canvas(painter, ButtonFaceColour());
    const QRect panel = rect().adjusted(1, 1, -1, -1); // inside a thin sunken edge
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (OnDrawPanel) OnDrawPanel(panel, canvas);
}

} // namespace zelm
