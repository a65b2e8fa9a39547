// The printer service the line printer and the print dialogs are written against: one interface
// with the job, capability, font and drawing operations they need, and its implementations (the
// system's printers and PDF files through QPrinter, and a deterministic fake for tests).
#pragma once

#include <QString>

#include <functional>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace zelm {

// Raised by the printer service: no printer, or a job that cannot begin, end or turn a page.
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An error whose message says why, for a second line under the line printer's own message: the
// print system's reason for refusing a job, or a file that cannot be written.
class EPrinterReasonError : public EPrinterError {
public:
    using EPrinterError::EPrinterError;
};

// The file a job prints into cannot be written: the message names it and gives the reason.
class EPrinterFileError : public EPrinterReasonError {
public:
    using EPrinterReasonError::EPrinterReasonError;
};

// The user chose not to print (a question before the job answered No): no message follows.
class EPrintCancelled : public EPrinterError {
public:
    EPrintCancelled() : EPrinterError("cancelled") {}
};

// What became of the last job handed to a print system.
struct TJobState {
    enum TKind {
        jsNone,    // no job was handed to a print system (a PDF file, a fake)
        jsWaiting, // accepted, not yet printed
        jsPrinting, // being printed
        jsRetrying, // could not be sent to the printer: held until the print system tries again
        jsHeld,    // held in its queue (by the queue, its backend or a user): prints once released
        jsDone,    // printed
        jsFailed,  // stopped, aborted or cancelled: Reason says why
    };
    TKind Kind = jsNone;
    QString Printer;
    int Id = 0;
    QString Reason;
};

enum class TPrinterOrientation { poPortrait, poLandscape };
enum class TBrushStyle { bsSolid, bsClear };

// The printer's drawing font: name, size in points, style, colour (0x00BBGGRR) and the pixels per
// inch its size is measured in.
struct TPrinterFont {
    QString Name = QStringLiteral("Courier New");
    double SizePoints = 10;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    std::uint32_t Colour = 0;
    int PixelsPerInch = 96;
    // Height in pixels: negative, as a character height, like the toolkit's font height.
    int Height() const;
    void SetHeight(int height); // a negative height is a character height in PixelsPerInch
    bool operator==(const TPrinterFont&) const = default;
};

struct TTextMetrics {
    int Height = 0;
    int ExternalLeading = 0;
};

class IPrinterService {
public:
    virtual ~IPrinterService() = default;

    // Job. BeginJob, EndJob and NewPage raise EPrinterError when the printer cannot.
    virtual void BeginJob() = 0;
    virtual void EndJob() = 0;
    virtual void NewPage() = 0;
    // Ends a running job at once and discards it (nothing of it reaches the printer or a file);
    // does nothing when no job runs, and never raises.
    virtual void AbortJob() = 0;
    virtual bool Printing() const = 0;
    virtual int PageNumber() const = 0; // 1 on the first page of a job
    virtual QString Title() const = 0;
    virtual void SetTitle(const QString& title) = 0;
    virtual TPrinterOrientation Orientation() const = 0;
    virtual void SetOrientation(TPrinterOrientation orientation) = 0;
    // The orientation the printer's queue prints in unless told otherwise (portrait by default).
    virtual TPrinterOrientation DefaultOrientation() const { return TPrinterOrientation::poPortrait; }

    // Device capabilities in device pixels; EPrinterError when no printer is available.
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
    virtual int PhysicalWidth() const = 0;
    virtual int PhysicalHeight() const = 0;
    virtual int PhysicalOffsetX() const = 0;
    virtual int PhysicalOffsetY() const = 0;
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;

    // Fonts. Font() is the printer's drawing font itself; callers may change it in place.
    virtual TPrinterFont& Font() = 0;
    virtual QStringList FontNames() const = 0;
    virtual TTextMetrics TextMetrics() const = 0; // EPrinterError when no printer

    // Drawing, in device pixels from the printable area's top-left corner.
    virtual int TextWidth(const QString& text) const = 0; // EPrinterError when no printer
    virtual int TextHeight(const QString& text) const = 0;
    virtual void TextOut(int x, int y, const QString& text) = 0;
    virtual void SetPen(int width, std::uint32_t colour) = 0;
    virtual int PenWidth() const = 0;
    virtual std::uint32_t PenColour() const = 0;
    virtual void SetBrush(TBrushStyle style, std::uint32_t colour) = 0;
    virtual TBrushStyle BrushStyle() const = 0;
    virtual std::uint32_t BrushColour() const = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Rectangle(int left, int top, int right, int bottom) = 0;

    // Where the output of the last job went, for printers that write files; empty otherwise.
    virtual QString OutputFile() const { return {}; }
    // The state of the last job handed to a print system, asked of it now.
    virtual TJobState LastJobState() const { return {}; }
    // The same question about the last job handed over whole, as a function any thread may call
    // (it may wait on the print system); empty when there is no such job.
    virtual std::function<TJobState()> LastJobQuery() const { return {}; }
};

// The printer the program prints on: the system's default printer; or a PDF file when
// ZELM_PRINT_PDF names one, when `pdfFile` is given, or when the system has no printer (then a
// file named after the job title and the time in the user's documents folder).
std::unique_ptr<IPrinterService> MakeSystemPrinter(const QString& pdfFile = {});

} // namespace zelm
