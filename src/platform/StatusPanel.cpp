#include "StatusPanel.h"

#include "Colours.h"
#include "Look.h"

namespace zelm {

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent) { setAutoFillBackground(false); }

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    TCanvas canvas(painter, ButtonFaceColour());
    // The panel sits inside a lowered 1-pixel bevel.
    DrawBevel(painter, rect(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
    const QRect panel = rect().adjusted(1, 1, -1, -1);
    if (OnDrawPanel) OnDrawPanel(panel, canvas);
}

} // namespace zelm
