#include "FakePrinter.h"

#include <cmath>

namespace zelm {

int TFakePrinter::Capability(int value) const {
    if (!Available_) throw EPrinterError("There is no default printer currently selected");
    return value;
}

int TFakePrinter::CharWidth() const {
    return int(std::lround(Font_.SizePoints * Resolution / 72.0 * 0.6 * (Font_.Bold ? 1.1 : 1.0)));
}

int TFakePrinter::CharHeight() const { return int(std::lround(Font_.SizePoints * Resolution / 72.0)); }

std::vector<TFakeCall> TFakePrinter::Texts() const {
    std::vector<TFakeCall> texts;
    for (const auto& call : Calls)
        if (call.Kind == TFakeCall::fcText) texts.push_back(call);
    return texts;
}

void TFakePrinter::BeginJob() {
    if (!Available_ || Printing_ || FailBegin) throw EPrinterError("The printer could not start the job");
    Printing_ = true;
    Page_ = 1;
    Calls.push_back({TFakeCall::fcBeginJob, Page_});
}

void TFakePrinter::EndJob() {
    if (!Printing_ || FailEnd) throw EPrinterError("The printer could not finish the job");
    Printing_ = false;
    Calls.push_back({TFakeCall::fcEndJob, Page_});
}

void TFakePrinter::AbortJob() {
    if (!Printing_) return;
    Printing_ = false;
    Calls.push_back({TFakeCall::fcAbortJob, Page_});
}

void TFakePrinter::NewPage() {
    if (!Printing_ || FailNewPage) throw EPrinterError("The printer could not start a new page");
    ++Page_;
    Calls.push_back({TFakeCall::fcNewPage, Page_});
}

QStringList TFakePrinter::FontNames() const {
    Capability(0);
    return {QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Times New Roman")};
}

TTextMetrics TFakePrinter::TextMetrics() const {
    Capability(0);
    return {CharHeight(), ExternalLeading};
}

int TFakePrinter::TextWidth(const QString& text) const {
    Capability(0);
    return int(text.size()) * CharWidth();
}

int TFakePrinter::TextHeight(const QString& text) const {
    Capability(0);
    return text.isEmpty() ? 0 : CharHeight();
}

void TFakePrinter::TextOut(int x, int y, const QString& text) {
    Capability(0);
    TFakeCall call{TFakeCall::fcText, Page_, x, y};
    call.Text = text;
    call.Colour = Font_.Colour;
    call.Font = Font_;
    Calls.push_back(call);
}

void TFakePrinter::LineTo(int x, int y) {
    Capability(0);
    TFakeCall call{TFakeCall::fcLine, Page_, PenX_, PenY_, x, y};
    call.Colour = PenColour_;
    call.PenWidth = PenWidth_;
    Calls.push_back(call);
    MoveTo(x, y);
}

void TFakePrinter::Rectangle(int left, int top, int right, int bottom) {
    Capability(0);
    TFakeCall call{TFakeCall::fcRectangle, Page_, left, top, right, bottom};
    call.Colour = BrushColour_;
    call.PenColour = PenColour_;
    call.PenWidth = PenWidth_;
    call.Brush = BrushStyle_;
    Calls.push_back(call);
}

} // namespace zelm
