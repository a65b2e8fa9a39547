// TLinePrinter: prints plain lines and table rows on the printer, page by page, with margins,
// line spacing, wrapping, tabs, alignment, header and footer rows, borders and a progress
// window (TPrntProgDlg).
#pragma once

#include "PrinterService.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLocale>
#include <QTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class QLabel;
class QPushButton;

namespace zelm {

// The line printer's errors.
class ELinePrinter : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not the number or colour a table column needs.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TMeasureUnit { muInches, muMillimeters };
enum TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum TPageBorderStyle { pbTop, pbBottom, pbLeft, pbRight };
enum TPrintAlignment { paLeft, paRight, paCenter };

// A set of TPageBorderStyle, one bit each.
using TPageBorders = unsigned;
constexpr TPageBorders BorderBit(TPageBorderStyle style) { return 1u << style; }
inline constexpr TPageBorders AllBorders = 15;

class TLinePrinter;

// The locale's long time without a time zone, as the {$TIME} token prints it.
QString LongTime(const QTime& time, const QLocale& locale = QLocale());

// The progress window of a print job: status, title and page number.
class TPrntProgDlg : public QDialog {
public:
    TPrntProgDlg();
    // Shows the window at once and paints it, while no event loop runs.
    void ShowNow();
    void PaintNow();
    QLabel* lblStatus;
    QLabel* lblTitle;
    QLabel* lblPageNumDesc;
    QLabel* lblPageNumber;
    // A "Cancel" button under the page number, which calls `stop` (the window grows to hold it).
    void AllowStop(std::function<void()> stop);
    QPushButton* btnStop = nullptr;

    static constexpr int Border = 1, CaptionHeight = 19;

protected:
    void closeEvent(QCloseEvent* event) override; // the user cannot close it while a job prints
    void mousePressEvent(QMouseEvent* event) override;
};

class TLinePrinter {
public:
    explicit TLinePrinter(IPrinterService& printer);
    ~TLinePrinter();
    TLinePrinter(const TLinePrinter&) = delete;
    TLinePrinter& operator=(const TLinePrinter&) = delete;

    // Margins from the paper's edges, in MeasureUnit; limited to what the paper allows.
    float MarginTop() const { return MarginTop_; }
    float MarginBottom() const { return MarginBottom_; }
    float MarginLeft() const { return MarginLeft_; }
    float MarginRight() const { return MarginRight_; }
    void SetMarginTop(float value);
    void SetMarginBottom(float value);
    void SetMarginLeft(float value);
    void SetMarginRight(float value);

    TMeasureUnit MeasureUnit() const { return MeasureUnit_; }
    void SetMeasureUnit(TMeasureUnit unit);
    TLineSpacing LineSpacing() const { return LineSpacing_; }
    void SetLineSpacing(TLineSpacing spacing);

    // The printer's drawing font itself; SetFont copies a font into it.
    TPrinterFont& Font() { return Printer_.Font(); }
    void SetFont(const TPrinterFont& font);
    TPrinterOrientation Orientation() const { return Printer_.Orientation(); }
    void SetOrientation(TPrinterOrientation orientation);
    QString Title() const { return Printer_.Title(); }
    void SetTitle(const QString& title);
    float DefaultColWidth() const { return DefaultColWidth_; }
    void SetDefaultColWidth(float width);

    // Stored as they are.
    unsigned TabSize = 8;
    bool WordWrap = true;
    QStringList Lines;
    TPrintAlignment Alignment = paLeft;
    QString Header, Footer;
    TPageBorders PageBorders = 0;
    bool ShowProgress = false;
    // When not negative: a job still running after this many milliseconds shows the progress
    // window too, with a "Cancel" button that stops it (EPrintCancelled, the job discarded), and
    // the program's windows are repainted while the job lays out its pages.
    int ProgressAfterMs = -1;
    // Whether the last job was stopped by the progress window's "Cancel".
    bool StoppedByUser() const { return StopAsked_; }
    QString TableFormat;
    bool LinesAsTable = false;
    float BorderOffset = 0;

    std::function<void(TLinePrinter&)> OnBeginDoc, OnEndDoc, OnNewLine, OnNewPage;

    void BeginDoc();
    void EndDoc();
    // Ends the job at once and discards it, so that the next BeginDoc works after an error;
    // does nothing when no job runs.
    void AbortDoc();
    bool Printing() const { return Printer_.Printing(); }
    int NewPage();
    unsigned NewLine();
    void PrintLine(const QString& text);
    void PrintTableRow(const QString& row);
    void PrintLines();
    float TextWidthInUnits(const QString& text);

    // The position and the text area, in device pixels (for the caller that lays out a page).
    int CurrentX() const { return CurrentX_; }
    int CurrentY() const { return CurrentY_; }
    unsigned LineCounter() const { return LineCounter_; }
    unsigned LineHeight() const { return LineHeight_; }
    struct TTextArea {
        int Left, Top, Right, Bottom, Width, Height;
    };
    TTextArea TextArea() const;
    TPrntProgDlg* ProgressDialog() const { return Progress_.get(); }
    // True when the margins leave room for at least one character of one line; otherwise false,
    // with the text area's size in MeasureUnit.
    bool HasRoomForText(float& width, float& height) const;

    // The paper in MeasureUnit (the printer's, or the fallback when it cannot answer).
    float PaperWidth() const;
    float PaperHeight() const;
    float PrintableWidth() const;
    float PrintableHeight() const;
    float MinimumLeft() const;
    float MinimumTop() const;
    float MinimumRight() const;
    float MinimumBottom() const;

private:
    struct TColumn;
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;
    int UnitsToPixelsX(double value) const;
    int UnitsToPixelsY(double value) const;
    float PixelsToUnits(double pixels, int pixelsPerInch) const;
    float Fallback(float inches, float millimetres) const;
    void AlignFont();
    void UpdateProgress(const std::optional<QString>& message);
    void KeepResponsive();
    void StartPage();
    void DrawBorders();
    int TextWidthOrZero(const QString& text) const;
    QString LongestFit(const QString& text, int width) const;
    qsizetype FitLength(QStringView text, int width) const;
    void Wrap(const QString& text, int width);
    QString ReplaceTokens(QString cell) const;
    TColumn ParseColumn(const QString& spec) const;
    bool CanPrint() const;
    void PrintRow(const QString& format, const QString& row);

    IPrinterService& Printer_;
    std::unique_ptr<TPrntProgDlg> Progress_;
    unsigned LineCounter_ = 0;
    float MarginTop_ = 0, MarginBottom_ = 0, MarginLeft_ = 0, MarginRight_ = 0;
    TMeasureUnit MeasureUnit_ = muInches;
    TLineSpacing LineSpacing_ = lsSingleSpace;
    TTextMetrics Metrics_{};
    float DefaultColWidth_ = 0;
    int CurrentX_ = 0, CurrentY_ = 0;
    unsigned LineHeight_ = 0;
    // The page is full: the next line or row starts a new page first (so that a document that
    // fills its last page exactly gets no empty sheet after it).
    bool PageBreakPending_ = false;
    QString PageFormat_;     // the table format at BeginDoc, which lays out every page's header and footer
    TPrinterFont PageFont_;  // and the font they are printed in
    QElapsedTimer JobTime_, SinceEvents_;
    QString Status_;         // the progress window's last status
    bool StopAsked_ = false;
};

// Aborts the line printer's job when the code that printed leaves it open (an error on the way):
// put one before BeginDoc.
class TPrintJobGuard {
public:
    explicit TPrintJobGuard(TLinePrinter& printer) : Printer_(printer) {}
    ~TPrintJobGuard() { Printer_.AbortDoc(); }
    TPrintJobGuard(const TPrintJobGuard&) = delete;
    TPrintJobGuard& operator=(const TPrintJobGuard&) = delete;

private:
    TLinePrinter& Printer_;
};

} // namespace zelm
