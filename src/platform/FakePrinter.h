// A deterministic printer for tests: 300 pixels per inch, A4 paper with quarter-inch unprintable
// strips, every character of the same width and height (from the font size), an optional
// "no printer" mode, and a record of every job, page and drawing call.
#pragma once

#include "PrinterService.h"

#include <vector>

namespace zelm {

struct TFakeCall {
    enum TKind { fcBeginJob, fcEndJob, fcNewPage, fcText, fcLine, fcRectangle, fcAbortJob } Kind;
    TFakeCall(TKind kind, int page, int x = 0, int y = 0, int x2 = 0, int y2 = 0)
        : Kind(kind), Page(page), X(x), Y(y), X2(x2), Y2(y2) {}
    int Page = 0;
    int X = 0, Y = 0, X2 = 0, Y2 = 0;
    QString Text;
    std::uint32_t Colour = 0;     // text: the font colour; line: pen; rectangle: brush
    std::uint32_t PenColour = 0;  // rectangle outline
    int PenWidth = 0;
    TBrushStyle Brush = TBrushStyle::bsSolid;
    TPrinterFont Font;            // text: the font it was drawn in
};

class TFakePrinter : public IPrinterService {
public:
    static constexpr int Resolution = 300;
    static constexpr int PaperWidth = 2480, PaperHeight = 3508, Offset = 75;

    explicit TFakePrinter(bool available = true) : Available_(available) { Font_.PixelsPerInch = Resolution; }

    std::vector<TFakeCall> Calls;
    // The paper in pixels, portrait (A4 unless a test chooses another).
    int PaperWidthPixels = PaperWidth, PaperHeightPixels = PaperHeight;
    // Fail the next BeginJob, EndJob or NewPage (as a printer error would).
    bool FailBegin = false, FailEnd = false, FailNewPage = false;
    int ExternalLeading = 0;

    // Character size in pixels of the current font: width 0.6 em, height 1 em.
    int CharWidth() const;
    int CharHeight() const;
    // Only the text calls, in order.
    std::vector<TFakeCall> Texts() const;

    void BeginJob() override;
    void EndJob() override;
    void AbortJob() override;
    void NewPage() override;
    bool Printing() const override { return Printing_; }
    int PageNumber() const override { return Page_; }
    QString Title() const override { return Title_; }
    void SetTitle(const QString& title) override { Title_ = title; }
    TPrinterOrientation Orientation() const override { return Orientation_; }
    void SetOrientation(TPrinterOrientation orientation) override {
        if (Available_) Orientation_ = orientation;
    }

    int PixelsPerInchX() const override { return Capability(Resolution); }
    int PixelsPerInchY() const override { return Capability(Resolution); }
    int PhysicalWidth() const override { return Capability(Landscape() ? PaperHeightPixels : PaperWidthPixels); }
    int PhysicalHeight() const override { return Capability(Landscape() ? PaperWidthPixels : PaperHeightPixels); }
    int PhysicalOffsetX() const override { return Capability(Offset); }
    int PhysicalOffsetY() const override { return Capability(Offset); }
    int PageWidth() const override { return PhysicalWidth() - 2 * Offset; }
    int PageHeight() const override { return PhysicalHeight() - 2 * Offset; }

    TPrinterFont& Font() override { return Font_; }
    QStringList FontNames() const override;
    TTextMetrics TextMetrics() const override;

    int TextWidth(const QString& text) const override;
    int TextHeight(const QString& text) const override;
    void TextOut(int x, int y, const QString& text) override;
    void SetPen(int width, std::uint32_t colour) override {
        PenWidth_ = width;
        PenColour_ = colour;
    }
    int PenWidth() const override { return PenWidth_; }
    std::uint32_t PenColour() const override { return PenColour_; }
    void SetBrush(TBrushStyle style, std::uint32_t colour) override {
        BrushStyle_ = style;
        BrushColour_ = colour;
    }
    TBrushStyle BrushStyle() const override { return BrushStyle_; }
    std::uint32_t BrushColour() const override { return BrushColour_; }
    void MoveTo(int x, int y) override {
        PenX_ = x;
        PenY_ = y;
    }
    void LineTo(int x, int y) override;
    void Rectangle(int left, int top, int right, int bottom) override;

private:
    int Capability(int value) const;
    bool Landscape() const { return Orientation_ == TPrinterOrientation::poLandscape; }
    bool Available_;
    bool Printing_ = false;
    int Page_ = 0;
    QString Title_;
    TPrinterOrientation Orientation_ = TPrinterOrientation::poPortrait;
    TPrinterFont Font_;
    int PenWidth_ = 1;
    std::uint32_t PenColour_ = 0;
    TBrushStyle BrushStyle_ = TBrushStyle::bsSolid;
    std::uint32_t BrushColour_ = 0xFFFFFF;
    int PenX_ = 0, PenY_ = 0;
};

} // namespace zelm
