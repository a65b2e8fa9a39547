#include "LinePrnt.h"

#include "Look.h"

#include "ru/Utils.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QPalette>
#include <QLocale>
#include <QTime>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace zelm {

namespace {

// Nearest integer, halves to the even neighbour.
int RoundInt(double value) { return int(RoundHalfEven(value)); }

// A decimal number as a table cell gives it: the point or the comma separates the fraction.
double ParseNumber(const QString& text) {
    QString normal = text.trimmed();
    normal.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = normal.toDouble(&ok);
    if (!ok || normal.isEmpty()) throw EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
    return value;
}

QString ExpandTabs(const QString& text, unsigned tabSize) {
    if (!text.contains(QLatin1Char('\t'))) return text;
    const unsigned stop = std::max(tabSize, 1u); // a tab is at least one space
    QString expanded;
    for (const QChar c : text) {
        if (c != QLatin1Char('\t')) {
            expanded += c;
            continue;
        }
        const auto spaces = tabSize == 0 ? 1 : stop - unsigned(expanded.size()) % stop;
        expanded += QString(qsizetype(spaces), QLatin1Char(' '));
    }
    return expanded;
}

} // namespace

QString LongTime(const QTime& time, const QLocale& locale) {
    // The locale's long format names the time zone ("t"); a printed page shows the clock only.
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return locale.toString(time, format.trimmed());
}

// ---------------------------------------------------------------------------------------------
// The progress window.

TPrntProgDlg::TPrntProgDlg() {
    setWindowTitle(QStringLiteral("Print Progress"));
    // A small window on top of the others with a caption and no caption buttons. Window managers
    // differ in what they leave out of a frame when asked (some always add a close, minimise and
    // maximise button), so the window draws its own thin frame and caption: 293 x 111 outside,
    // whatever the window manager, and a fixed size, so no border can be dragged.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(293, 111);
    CentreWithFrame(this);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setGeometry(0, 0, 293, 111);
    auto* caption = new QLabel(windowTitle(), this);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setGeometry(Border, Border, 293 - 2 * Border, CaptionHeight);
    caption->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    caption->setIndent(4);
    caption->setAutoFillBackground(true);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 128));
    palette.setColor(QPalette::WindowText, Qt::white);
    caption->setPalette(palette);
    QFont bold = font;
    bold.setBold(true);
    caption->setFont(bold);
    // The client area lies under the caption, as it would in a window manager's frame.
    auto* client = new QWidget(this);
    client->setGeometry(Border, Border + CaptionHeight, 293 - 2 * Border, 111 - 2 * Border - CaptionHeight);
    auto* bevel = new QFrame(client);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(4, 4, 277, 77);
    auto label = [client](int x, int y, const QString& text) {
        auto* l = new QLabel(text, client);
        l->move(x, y);
        l->resize(260 - x, 16);
        return l;
    };
    lblStatus = label(12, 16, {});
    lblTitle = label(12, 36, {});
    lblPageNumDesc = label(12, 56, QStringLiteral("Page Number:"));
    lblPageNumber = label(92, 56, {});
}

void TPrntProgDlg::AllowStop(std::function<void()> stop) {
    if (btnStop) return;
    constexpr int Extra = 32;
    setFixedSize(width(), height() + Extra);
    for (auto* frame : findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
        if (frame->geometry().topLeft() == QPoint(0, 0)) frame->resize(size());
    btnStop = new QPushButton(QStringLiteral("Cancel"), this);
    btnStop->setGeometry((width() - 75) / 2, height() - Extra - 2, 75, 25);
    connect(btnStop, &QPushButton::clicked, this, [this, stop] {
        btnStop->setEnabled(false);
        stop();
    });
    CentreWithFrame(this);
}

// The event loop does not run while a job prints: the window is shown, waited for until the
// windowing system has put it on the screen (at most half a second), and painted by handling the
// pending window events here, never the user's input.
void TPrntProgDlg::ShowNow() {
    show();
    QElapsedTimer waited;
    waited.start();
    // Shown means exposed with its whole size (a window system may report it as 1 x 1 at first).
    const auto ready = [this] { return windowHandle() && windowHandle()->isExposed() && frameGeometry().size() == size(); };
    while (!ready() && waited.elapsed() < 500) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    PaintNow();
}

// The caption moves the window, as a window manager's caption would.
void TPrntProgDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->position().y() < Border + CaptionHeight && windowHandle())
        windowHandle()->startSystemMove();
}

void TPrntProgDlg::closeEvent(QCloseEvent* event) { event->ignore(); }

void TPrntProgDlg::PaintNow() {
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---------------------------------------------------------------------------------------------
// Construction and properties.

TLinePrinter::TLinePrinter(IPrinterService& printer) : Printer_(printer) {
    TPrinterFont font = Printer_.Font();
    font.Name = QStringLiteral("Courier New");
    font.SizePoints = 10;
    font.Bold = font.Italic = font.Underline = font.StrikeOut = false;
    SetFont(font);
    SetLineSpacing(lsSingleSpace);
    if (!Printer_.Printing()) {
        SetOrientation(TPrinterOrientation::poPortrait);
        SetTitle({});
    }
    MeasureUnit_ = muInches;
    MarginTop_ = MinimumTop();
    MarginBottom_ = MinimumBottom();
    MarginLeft_ = MinimumLeft();
    MarginRight_ = MinimumRight();
}

TLinePrinter::~TLinePrinter() = default;

int TLinePrinter::PixelsPerInchX() const {
    try {
        const int ppi = Printer_.PixelsPerInchX();
        return ppi > 0 ? ppi : 300;
    } catch (const EPrinterError&) {
        return 300;
    }
}

int TLinePrinter::PixelsPerInchY() const {
    try {
        const int ppi = Printer_.PixelsPerInchY();
        return ppi > 0 ? ppi : 300;
    } catch (const EPrinterError&) {
        return 300;
    }
}

int TLinePrinter::UnitsToPixelsX(double value) const {
    if (MeasureUnit_ == muMillimeters) value /= 25.4;
    return RoundInt(value * PixelsPerInchX());
}

int TLinePrinter::UnitsToPixelsY(double value) const {
    if (MeasureUnit_ == muMillimeters) value /= 25.4;
    return RoundInt(value * PixelsPerInchY());
}

float TLinePrinter::PixelsToUnits(double pixels, int pixelsPerInch) const {
    const double inches = pixels / pixelsPerInch;
    return float(MeasureUnit_ == muMillimeters ? inches * 25.4 : inches);
}

float TLinePrinter::Fallback(float inches, float millimetres) const {
    return MeasureUnit_ == muMillimeters ? millimetres : inches;
}

// Each quantity asks the printer and falls back to the paper of a missing printer.
#define ZELM_PAPER(Name, Query, Ppi, Inches, Millimetres)                                               \
    float TLinePrinter::Name() const {                                                                 \
        try {                                                                                          \
            return PixelsToUnits(Printer_.Query(), Ppi());                                             \
        } catch (const EPrinterError&) {                                                               \
            return Fallback(Inches, Millimetres);                                                      \
        }                                                                                              \
    }
ZELM_PAPER(PaperWidth, PhysicalWidth, PixelsPerInchX, 8.5f, 210.f)
ZELM_PAPER(PaperHeight, PhysicalHeight, PixelsPerInchY, 11.f, 297.f)
ZELM_PAPER(PrintableWidth, PageWidth, PixelsPerInchX, 8.0f, 198.f)
ZELM_PAPER(PrintableHeight, PageHeight, PixelsPerInchY, 10.5f, 284.f)
ZELM_PAPER(MinimumLeft, PhysicalOffsetX, PixelsPerInchX, 0.25f, 6.f)
ZELM_PAPER(MinimumTop, PhysicalOffsetY, PixelsPerInchY, 0.25f, 6.f)
#undef ZELM_PAPER

float TLinePrinter::MinimumRight() const { return PaperWidth() - PrintableWidth() - MinimumLeft(); }
float TLinePrinter::MinimumBottom() const { return PaperHeight() - PrintableHeight() - MinimumTop(); }

void TLinePrinter::SetMarginTop(float value) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change top margin while printing");
    MarginTop_ = std::clamp(value, MinimumTop(), std::max(MinimumTop(), PaperHeight() - MinimumBottom()));
}

void TLinePrinter::SetMarginBottom(float value) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change bottom margin while printing");
    MarginBottom_ = std::clamp(value, MinimumBottom(), std::max(MinimumBottom(), PaperHeight() - MinimumTop()));
}

void TLinePrinter::SetMarginLeft(float value) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change left margin while printing");
    MarginLeft_ = std::clamp(value, MinimumLeft(), std::max(MinimumLeft(), PaperWidth() - MinimumRight()));
}

void TLinePrinter::SetMarginRight(float value) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change right margin while printing");
    MarginRight_ = std::clamp(value, MinimumRight(), std::max(MinimumRight(), PaperWidth() - MinimumLeft()));
}

void TLinePrinter::SetMeasureUnit(TMeasureUnit unit) {
    const TMeasureUnit old = MeasureUnit_;
    MeasureUnit_ = unit;
    if (old != unit) {
        const auto convert = [unit](float value) {
            return float(unit == muMillimeters ? value * 25.4 : value / 25.4);
        };
        SetMarginTop(convert(MarginTop_));
        SetMarginBottom(convert(MarginBottom_));
        SetMarginLeft(convert(MarginLeft_));
        SetMarginRight(convert(MarginRight_));
        BorderOffset = convert(BorderOffset);
        SetDefaultColWidth(convert(DefaultColWidth_));
    }
    if (!Printer_.Printing()) {
        SetMarginTop(MarginTop_);
        SetMarginBottom(MarginBottom_);
        SetMarginLeft(MarginLeft_);
        SetMarginRight(MarginRight_);
    }
}

void TLinePrinter::SetLineSpacing(TLineSpacing spacing) {
    LineSpacing_ = spacing;
    unsigned base = 10;
    if (Printer_.Printing()) {
        base = unsigned(Metrics_.Height + Metrics_.ExternalLeading);
    } else {
        try {
            base = unsigned(Printer_.TextHeight(QString(QChar(0x0414)))); // "Д", byte 0xC4 of the code page
        } catch (const EPrinterError&) {
            base = 10;
        }
    }
    switch (spacing) {
    case lsHalfSpace: LineHeight_ = base / 2; break;
    case lsSingleSpace: LineHeight_ = base; break;
    case lsSingleAndAHalf: LineHeight_ = base / 2 + base; break;
    case lsDoubleSpace: LineHeight_ = base * 2; break;
    }
}

void TLinePrinter::AlignFont() {
    TPrinterFont& font = Printer_.Font();
    const double size = font.SizePoints;
    font.PixelsPerInch = PixelsPerInchY();
    font.SizePoints = size;
}

void TLinePrinter::SetFont(const TPrinterFont& font) {
    TPrinterFont& target = Printer_.Font();
    const int pixelsPerInch = target.PixelsPerInch;
    target = font;
    target.PixelsPerInch = pixelsPerInch;
    try {
        Printer_.PixelsPerInchY(); // align only with a printer to align with
        AlignFont();
    } catch (const EPrinterError&) {
    }
    if (Printer_.Printing()) {
        try {
            Metrics_ = Printer_.TextMetrics();
        } catch (const EPrinterError&) {
        }
    }
    SetLineSpacing(LineSpacing_);
}

void TLinePrinter::SetOrientation(TPrinterOrientation orientation) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change orientation while printing");
    Printer_.SetOrientation(orientation);
}

void TLinePrinter::SetTitle(const QString& title) {
    if (Printer_.Printing()) throw ELinePrinter("Unable to change title while printing");
    Printer_.SetTitle(title);
}

void TLinePrinter::SetDefaultColWidth(float width) {
    if (width >= 0) {
        DefaultColWidth_ = width;
        return;
    }
    DefaultColWidth_ = 0;
    throw ELinePrinter("DefaultColWidth must be greater than or equal to 0");
}

TLinePrinter::TTextArea TLinePrinter::TextArea() const {
    TTextArea area{};
    area.Left = UnitsToPixelsX(double(MarginLeft_) - MinimumLeft());
    area.Right = UnitsToPixelsX(double(MarginRight_) - MinimumRight());
    area.Top = UnitsToPixelsY(double(MarginTop_) - MinimumTop());
    area.Bottom = UnitsToPixelsY(double(MarginBottom_) - MinimumBottom());
    area.Width = UnitsToPixelsX(PrintableWidth()) - area.Left - area.Right;
    area.Height = UnitsToPixelsY(PrintableHeight()) - area.Top - area.Bottom;
    return area;
}

// Margins that leave no room (their sum above the paper) print nothing.
bool TLinePrinter::CanPrint() const {
    const TTextArea area = TextArea();
    return area.Width > 0 && area.Height > 0;
}

// ---------------------------------------------------------------------------------------------
// Jobs, pages and lines.

void TLinePrinter::UpdateProgress(const std::optional<QString>& message) {
    if (message) Status_ = *message;
    const bool late = ProgressAfterMs >= 0 && JobTime_.isValid() && JobTime_.elapsed() >= ProgressAfterMs;
    if ((ShowProgress || late) && Printer_.Printing()) {
        if (!Progress_) {
            Progress_ = std::make_unique<TPrntProgDlg>();
            if (ProgressAfterMs >= 0) {
                // Modal, so that the only input the program takes while the job runs is its Cancel.
                Progress_->setWindowModality(Qt::ApplicationModal);
                Progress_->AllowStop([this] { StopAsked_ = true; });
            }
        }
        if (Progress_->isHidden()) Progress_->ShowNow();
        Progress_->lblStatus->setText(Status_);
        Progress_->lblTitle->setText(Printer_.Title());
        Progress_->lblPageNumber->setText(QString::number(Printer_.PageNumber()));
        if (Progress_->isVisible()) Progress_->PaintNow();
    } else if (Progress_) {
        Progress_->hide();
        Progress_.reset();
    }
}

// A long job lets the program repaint its windows about twenty times a second, shows the progress
// window once it has run ProgressAfterMs, and stops when that window's Cancel was pressed.
void TLinePrinter::KeepResponsive() {
    if (ProgressAfterMs < 0 || !Printer_.Printing() || SinceEvents_.elapsed() < 50) return;
    SinceEvents_.restart();
    if (!Progress_ && JobTime_.elapsed() >= ProgressAfterMs) UpdateProgress(std::nullopt);
    QCoreApplication::processEvents(Progress_ && Progress_->btnStop ? QEventLoop::AllEvents
                                                                    : QEventLoop::ExcludeUserInputEvents);
    if (StopAsked_) throw EPrintCancelled();
}

void TLinePrinter::BeginDoc() {
    if (OnBeginDoc) OnBeginDoc(*this);
    StopAsked_ = false;
    JobTime_.start();
    SinceEvents_.start();
    try {
        AlignFont();
        Printer_.BeginJob();
        Metrics_ = Printer_.TextMetrics();
        AlignFont();
    } catch (const EPrintCancelled&) {
        throw;
    } catch (const EPrinterReasonError& e) {
        throw ELinePrinter(std::string("Unable to begin printing.\n") + e.what());
    } catch (const EPrinterError&) {
        throw ELinePrinter("Unable to begin printing.");
    }
    // A report's later pages begin inside its table of bars: their header and footer keep the
    // layout they had on the first page.
    PageFormat_ = TableFormat;
    PageFont_ = Printer_.Font();
    UpdateProgress(QStringLiteral("Preparing to Print"));
    if (OnNewPage) OnNewPage(*this);
    StartPage();
}

void TLinePrinter::AbortDoc() {
    if (!Printer_.Printing()) return;
    Printer_.AbortJob();
    UpdateProgress(std::nullopt);
    JobTime_.invalidate();
}

void TLinePrinter::EndDoc() {
    PageBreakPending_ = false; // a full last page needs no new one
    UpdateProgress(QStringLiteral("Finished Printing"));
    try {
        Printer_.EndJob();
    } catch (const EPrinterReasonError& e) {
        // The usual message first, then what went wrong with the file or the print system.
        throw ELinePrinter(std::string("Unable to finish printing.\n") + e.what());
    } catch (const EPrinterError&) {
        throw ELinePrinter("Unable to finish printing.");
    }
    UpdateProgress(std::nullopt);
    JobTime_.invalidate();
    if (OnEndDoc) OnEndDoc(*this);
}

int TLinePrinter::NewPage() {
    if (OnNewPage) OnNewPage(*this);
    try {
        Printer_.NewPage();
    } catch (const EPrinterError&) {
        throw ELinePrinter("Unable to print a new page.");
    }
    StartPage();
    return Printer_.PageNumber();
}

void TLinePrinter::StartPage() {
    KeepResponsive();
    PageBreakPending_ = false;
    UpdateProgress(QStringLiteral("Currently Printing"));
    const TTextArea area = TextArea();
    // Header and footer stand centred in the top and bottom margins. A margin lower than a line
    // has no room for its row: the row would land off the page, so it is not drawn at all.
    const int lineHeight = int(LineHeight_);
    // In the font of the first page too (a report may be in bold where a page breaks).
    const TPrinterFont font = Printer_.Font();
    Printer_.Font() = PageFont_;
    if (!Header.isEmpty() && area.Top >= lineHeight) {
        CurrentY_ = (area.Top - lineHeight) / 2 - area.Top;
        PrintRow(PageFormat_, Header);
    }
    if (!Footer.isEmpty() && area.Bottom >= lineHeight) {
        CurrentY_ = (area.Bottom - lineHeight) / 2 + area.Height;
        PrintRow(PageFormat_, Footer);
    }
    Printer_.Font() = font;
    CurrentX_ = 0;
    CurrentY_ = 0;
    LineCounter_ = 0;
    if (OnNewLine) OnNewLine(*this);
    DrawBorders();
}

void TLinePrinter::DrawBorders() {
    if (PageBorders == 0) return;
    try {
        const TTextArea a = TextArea();
        const std::uint32_t colour = Printer_.PenColour();
        Printer_.SetPen((PixelsPerInchY() / 300) * 2, colour);
        const int b = UnitsToPixelsY(BorderOffset);
        if (PageBorders & BorderBit(pbTop)) {
            Printer_.MoveTo(a.Left - b, a.Top - b);
            Printer_.LineTo(a.Left + a.Width + b, a.Top - b);
        }
        if (PageBorders & BorderBit(pbBottom)) {
            Printer_.MoveTo(a.Left - b, a.Top + a.Height + b);
            Printer_.LineTo(a.Left + a.Width + b, a.Top + a.Height + b);
        }
        Printer_.SetPen((PixelsPerInchX() / 300) * 2, colour);
        const int d = UnitsToPixelsX(BorderOffset);
        if (PageBorders & BorderBit(pbLeft)) {
            Printer_.MoveTo(a.Left - d, a.Top - d);
            Printer_.LineTo(a.Left - d, a.Top + a.Height + d);
        }
        if (PageBorders & BorderBit(pbRight)) {
            Printer_.MoveTo(a.Left + a.Width + d, a.Top - d);
            Printer_.LineTo(a.Left + a.Width + d, a.Top + a.Height + d);
        }
    } catch (const EPrinterError&) {
    }
}

unsigned TLinePrinter::NewLine() {
    KeepResponsive();
    if (PageBreakPending_) NewPage();
    if (OnNewLine) OnNewLine(*this);
    CurrentY_ += int(LineHeight_);
    const auto height = std::int64_t(std::uint32_t(TextArea().Height));
    if (std::int64_t(CurrentY_) + LineHeight_ < height) ++LineCounter_;
    else if (Printer_.Printing()) PageBreakPending_ = true; // the new page begins with what comes next
    else NewPage();
    return LineCounter_;
}

bool TLinePrinter::HasRoomForText(float& width, float& height) const {
    const TTextArea area = TextArea();
    width = PixelsToUnits(area.Width, PixelsPerInchX());
    height = PixelsToUnits(area.Height, PixelsPerInchY());
    const int character = std::max(1, TextWidthOrZero(QStringLiteral("0")));
    return area.Width >= character && area.Height >= std::max(1, int(LineHeight_));
}

int TLinePrinter::TextWidthOrZero(const QString& text) const {
    try {
        return Printer_.TextWidth(text);
    } catch (const EPrinterError&) {
        return 0;
    }
}

QString TLinePrinter::LongestFit(const QString& text, int width) const { return text.left(FitLength(text, width)); }

// The length of the longest prefix of `text` that fits `width` (at least one character): the
// search over prefix lengths below, on a prefix long enough to hold the answer. A long text is
// first probed with prefixes that double from FirstProbe characters until one is wider than
// `width`, so that fitting costs about the length of what fits, not of the whole text: a line
// of any length is laid out in linear time, and no width is measured past the toolkit's range.
qsizetype TLinePrinter::FitLength(QStringView text, int width) const {
    constexpr qsizetype FirstProbe = 256;
    try {
        const auto measure = [&](qsizetype length) { return Printer_.TextWidth(text.left(length).toString()); };
        qsizetype hi = text.size();
        for (qsizetype probe = FirstProbe; probe < text.size(); probe *= 2)
            if (measure(probe) > width) {
                hi = probe;
                break;
            }
        if (hi == text.size() && measure(hi) <= width) return hi;
        qsizetype lo = 1, previous = 0, mid = 0;
        for (;;) {
            mid = (lo + hi) / 2;
            const int w = measure(mid);
            if (w > width) hi = mid;
            else if (w < width) lo = mid;
            else lo = hi;
            if (mid == previous || lo >= hi) break;
            previous = mid;
        }
        return std::max<qsizetype>(mid, 1);
    } catch (const EPrinterError&) {
        return text.size();
    }
}

void TLinePrinter::Wrap(const QString& text, int width) {
    // The rest is a view into the text: nothing is copied or moved at each break.
    for (qsizetype at = 0; at < text.size();) {
        const QStringView rest = QStringView(text).mid(at);
        qsizetype part = FitLength(rest, width);
        qsizetype n = part;
        if (part < rest.size()) {
            if (rest.at(part).unicode() <= 32) {
                ++n; // the blank after the part is consumed, not printed
            } else {
                qsizetype last = part - 1;
                while (last >= 0 && rest.at(last).unicode() >= 33) --last;
                if (last >= 0) part = last + 1;
                n = part;
            }
        }
        PrintLine(rest.left(part).toString());
        at += n;
    }
}

void TLinePrinter::PrintLine(const QString& line) {
    if (!CanPrint()) return;
    const QString text = ExpandTabs(line, TabSize);
    const TTextArea area = TextArea();
    // Wider than the line when its longest fitting prefix is shorter than it (measured on about
    // what fits, however long the text). A single character wider than the line is printed as it
    // is: it cannot be split further.
    if (text.size() > 1 && FitLength(text, area.Width) < text.size()) {
        if (WordWrap) Wrap(text, area.Width);
        else PrintLine(LongestFit(text, area.Width));
        return;
    }
    const int width = Alignment == paLeft ? 0 : TextWidthOrZero(text);
    if (PageBreakPending_ || std::int64_t(CurrentY_) + LineHeight_ >= area.Height) NewPage();
    int offset = 0;
    if (Alignment == paRight) offset = area.Width - width;
    else if (Alignment == paCenter) offset = (area.Width - width) / 2;
    try {
        Printer_.TextOut(area.Left + offset, area.Top + CurrentY_, text);
    } catch (const EPrinterError&) {
    }
    NewLine();
}

// ---------------------------------------------------------------------------------------------
// Table rows.

struct TLinePrinter::TColumn {
    TPrintAlignment Alignment = paLeft;
    bool Bar = false;
    std::uint32_t Colour = 0;
    float Width = 0;
};

TLinePrinter::TColumn TLinePrinter::ParseColumn(const QString& spec) const {
    TColumn column;
    column.Width = DefaultColWidth_;
    QString rest = spec;
    if (!rest.isEmpty()) {
        const QChar mark = rest.front();
        if (mark == QLatin1Char('<') || mark == QLatin1Char('>') || mark == QLatin1Char('^')) {
            column.Alignment = mark == QLatin1Char('<') ? paLeft : mark == QLatin1Char('>') ? paRight : paCenter;
            rest.remove(0, 1);
        }
    }
    if (!rest.isEmpty() && (rest.front() == QLatin1Char('T') || rest.front() == QLatin1Char('G'))) {
        column.Bar = rest.front() == QLatin1Char('G');
        rest.remove(0, 1);
    }
    if (const qsizetype colon = rest.indexOf(QLatin1Char(':')); colon >= 0) {
        const QString colour = rest.left(colon);
        bool ok = false;
        const qlonglong value = colour.toLongLong(&ok);
        if (!ok) throw EConvertError("'" + colour.toStdString() + "' is not a valid integer value");
        column.Colour = std::uint32_t(value);
        rest.remove(0, colon + 1);
    }
    bool ok = false;
    const int width = rest.toInt(&ok);
    if (ok) column.Width = float(width);
    return column;
}

QString TLinePrinter::ReplaceTokens(QString cell) const {
    const std::pair<QString, QString> tokens[] = {
        {QStringLiteral("{$LINE}"), QString::number(LineCounter_)},
        {QStringLiteral("{$PAGE}"), QString::number(Printer_.PageNumber())},
        {QStringLiteral("{$DATE}"), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)},
        {QStringLiteral("{$TIME}"), LongTime(QTime::currentTime())},
        {QStringLiteral("{$TITLE}"), Printer_.Title()},
    };
    for (const auto& [token, value] : tokens)
        if (!value.contains(token)) cell.replace(token, value);
    return cell;
}

void TLinePrinter::PrintTableRow(const QString& row) { PrintRow(TableFormat, row); }

void TLinePrinter::PrintRow(const QString& format, const QString& row) {
    if (!CanPrint()) return;
    if (PageBreakPending_) NewPage();
    const QStringList specs = format.split(QLatin1Char('|'));
    const QStringList cells = row.split(QLatin1Char('|'));
    const TTextArea area = TextArea();

    // Everything that can fail is worked out before anything is drawn, so that a bad row raises
    // with nothing of it on the page.
    struct TCell {
        TColumn Column;
        int Width;
        QString Text;
        int BarLength = 0;
    };
    std::vector<TCell> layout;
    for (qsizetype i = 0; i < specs.size(); ++i) {
        TCell cell{ParseColumn(specs[i]), 0, {}};
        cell.Width = UnitsToPixelsX(cell.Column.Width);
        QString text = i < cells.size() ? cells[i] : QString();
        if (text.contains(QStringLiteral("{$"))) text = ReplaceTokens(text);
        cell.Text = LongestFit(text, cell.Width);
        if (cell.Column.Bar) cell.BarLength = RoundInt(ParseNumber(cell.Text) * cell.Width / 100);
        layout.push_back(std::move(cell));
    }

    CurrentX_ = area.Left;
    const int y = area.Top + CurrentY_;
    for (const TCell& cell : layout) {
        try {
            if (!cell.Column.Bar) {
                const int width = TextWidthOrZero(cell.Text);
                int offset = 0;
                if (cell.Column.Alignment == paRight) offset = cell.Width - width;
                else if (cell.Column.Alignment == paCenter) offset = int(std::uint32_t(cell.Width - width) / 2);
                TPrinterFont& font = Printer_.Font();
                const std::uint32_t colour = font.Colour;
                font.Colour = cell.Column.Colour;
                Printer_.TextOut(CurrentX_ + offset, y, cell.Text);
                font.Colour = colour;
            } else {
                const int length = cell.BarLength;
                if (length <= 0) { // an empty bar: nothing to draw
                    CurrentX_ += cell.Width;
                    continue;
                }
                int offset = 0;
                if (cell.Column.Alignment == paRight) offset = cell.Width - length;
                else if (cell.Column.Alignment == paCenter) offset = int(std::uint32_t(cell.Width - length) / 2);
                const TBrushStyle style = Printer_.BrushStyle();
                const std::uint32_t brush = Printer_.BrushColour(), pen = Printer_.PenColour();
                Printer_.SetBrush(TBrushStyle::bsSolid, cell.Column.Colour);
                Printer_.SetPen(Printer_.PenWidth(), 0xFFFFFF);
                Printer_.Rectangle(CurrentX_ + offset, y, CurrentX_ + offset + length, y + int(LineHeight_) - 2);
                Printer_.SetBrush(style, brush);
                Printer_.SetPen(Printer_.PenWidth(), pen);
            }
        } catch (const EPrinterError&) {
        }
        CurrentX_ += cell.Width;
    }
    if (CurrentY_ >= 0 && CurrentY_ < area.Height) NewLine();
}

void TLinePrinter::PrintLines() {
    const QStringList lines = Lines;
    for (const QString& line : lines) {
        if (LinesAsTable && !TableFormat.isEmpty()) PrintTableRow(line);
        else PrintLine(line);
    }
}

float TLinePrinter::TextWidthInUnits(const QString& text) {
    return PixelsToUnits(Printer_.TextWidth(text), PixelsPerInchX());
}

} // namespace zelm
