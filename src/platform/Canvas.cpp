#include "Canvas.h"

#include "Colours.h"

#include <QFontMetrics>

namespace zelm {

void TCanvas::FillRect(const QRect& rect) {
    if (FillRecorder && rect.width() > 0 && rect.height() > 0) FillRecorder(rect, BrushColour_);
    if (rect.width() > 0 && rect.height() > 0) Painter_.fillRect(rect, ColourFromBgr(BrushColour_));
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    if (Recorder) Recorder(text);
    Painter_.drawText(QPoint(x, y + Painter_.fontMetrics().ascent()), text);
}

void TCanvas::TextRect(const QRect& clip, int x, int y, const QString& text) {
    Painter_.save();
    Painter_.setClipRect(clip, Qt::IntersectClip);
    TextOut(x, y, text);
    Painter_.restore();
}

int TCanvas::TextWidth(const QString& text) const { return Painter_.fontMetrics().horizontalAdvance(text); }

int TCanvas::TextHeight(const QString& text) const { return text.isEmpty() ? 0 : Painter_.fontMetrics().height(); }

} // namespace zelm
