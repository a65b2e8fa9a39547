// The drawing surface the owner-drawn grids and status panels paint on, over QPainter: a brush
// colour, filled rectangles, text at a point (its top-left corner), and text measures.
#pragma once

#include <QPainter>

#include <functional>
#include <QRect>
#include <QString>

#include <cstdint>

namespace zelm {

class TCanvas {
public:
    explicit TCanvas(QPainter& painter, std::uint32_t brushColour = 0xFFFFFF)
        : Painter_(painter), BrushColour_(brushColour) {}

    std::uint32_t BrushColour() const { return BrushColour_; }
    void SetBrushColour(std::uint32_t colour) { BrushColour_ = colour; }
    // Fills the rectangle (right and bottom edges excluded) with the brush colour.
    void FillRect(const QRect& rect);
    // Draws text with its top-left corner at (x, y), in the painter's font and pen.
    void TextOut(int x, int y, const QString& text);
    // The same, with nothing drawn outside `clip` (a text wider than its cell stays in it).
    void TextRect(const QRect& clip, int x, int y, const QString& text);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    QPainter& Painter() { return Painter_; }
    // Told every text drawn and every rectangle filled (a screen reader's view of what a cell or
    // a strip shows).
    std::function<void(const QString&)> Recorder;
    std::function<void(const QRect&, std::uint32_t colour)> FillRecorder;
    // What a cell says to a screen reader beyond its texts (a bar's significance, say).
    void Note(const QString& text) {
        if (Noter) Noter(text);
    }
    std::function<void(const QString&)> Noter;

private:
    QPainter& Painter_;
    std::uint32_t BrushColour_;
};

} // namespace zelm
