#include "StatusPanel.h"

#include "Colours.h"

namespace zelm {

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    TCanvas canvas(painter, ButtonFaceColour());
    // The panel sits inside a lowered 1-pixel bevel: shadow at the top and left, highlight at the
    // bottom and right.
    const QRect edge = rect();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(edge.topLeft(), edge.topRight());
    painter.drawLine(edge.topLeft(), edge.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(edge.bottomLeft(), edge.bottomRight());
    painter.drawLine(edge.topRight(), edge.bottomRight());
    const QRect panel = edge.adjusted(1, 1, -1, -1);
    if (OnDrawPanel) OnDrawPanel(panel, canvas);
}

} // namespace zelm
