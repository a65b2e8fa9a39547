// The printer service on QPrinter: a printer of the system's print system, or a PDF file.
#pragma once

#include "PrinterService.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <functional>
#include <memory>

class QPrintDialog;
class QWidget;

namespace zelm {

// Font families by their plain names, each once: the foundry a family list adds in brackets
// ("Nimbus Sans [URW ]") is left out.
QStringList PlainFamilyNames(const QStringList& families);

// The printer service's message when there is no printer.
extern const char* const NoPrinter;
// The reason given when the print system takes connections but does not answer.
extern const char* const PrintSystemSilent;

// How the print system answers a question, within `ms` milliseconds: it answers, there is none
// (nothing takes the connection), or it takes the connection and says nothing.
enum class TPrintSystemAnswer { paAnswers, paAbsent, paSilent };
TPrintSystemAnswer ProbePrintSystem(int ms);
// False when the print system is silent, and then until it answers every call of the toolkit into
// it fails at once; true (and the calls go to it again) otherwise.
bool PrintSystemAnswersNow(int ms);

class TQtPrinter : public IPrinterService {
public:
    // A PDF printer writing to `pdfFile`; with an empty name, each job goes to a new file in the
    // user's documents folder, named after the job title and the time.
    static std::unique_ptr<TQtPrinter> Pdf(const QString& pdfFile);
    // The system's default printer, or null when the system has none.
    static std::unique_ptr<TQtPrinter> SystemDefault();
    ~TQtPrinter() override;

    void BeginJob() override;
    void EndJob() override;
    void AbortJob() override;
    void NewPage() override;
    bool Printing() const override { return Painter_ != nullptr; }
    int PageNumber() const override { return Page_; }
    QString Title() const override;
    void SetTitle(const QString& title) override;
    TPrinterOrientation Orientation() const override;
    TPrinterOrientation DefaultOrientation() const override { return DefaultOrientation_; }
    void SetOrientation(TPrinterOrientation orientation) override;

    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;
    int PhysicalWidth() const override;
    int PhysicalHeight() const override;
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    int PageWidth() const override;
    int PageHeight() const override;

    TPrinterFont& Font() override { return Font_; }
    QStringList FontNames() const override;
    TTextMetrics TextMetrics() const override;

    int TextWidth(const QString& text) const override;
    int TextHeight(const QString& text) const override;
    void TextOut(int x, int y, const QString& text) override;
    void SetPen(int width, std::uint32_t colour) override;
    int PenWidth() const override { return PenWidth_; }
    std::uint32_t PenColour() const override { return PenColour_; }
    void SetBrush(TBrushStyle style, std::uint32_t colour) override;
    TBrushStyle BrushStyle() const override { return BrushStyle_; }
    std::uint32_t BrushColour() const override { return BrushColour_; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Rectangle(int left, int top, int right, int bottom) override;

    QString OutputFile() const override { return OutputFile_; }
    TJobState LastJobState() const override;
    std::function<TJobState()> LastJobQuery() const override;

    // The printer setup: the system's print dialog on a copy of the settings in force (the
    // printer, or the file printed into, with its real name; paper and orientation). Accepted,
    // later jobs go where it points, on that paper; cancelled, nothing changes. Copies, page
    // ranges and the like are not offered and never stay in force. `prepare` adjusts the dialog
    // before it shows.
    bool RunSetupDialog(QWidget* parent, const std::function<void(QPrintDialog&)>& prepare = {});
    // Asked before a job replaces a file that the printer setup chose and that exists: true to
    // replace it; false cancels the job (EPrintCancelled). Unset, files are replaced.
    std::function<bool(const QString& file)> ConfirmReplace;
    // The folder of the jobs when the system has no printer (the documents folder by default).
    void SetFallbackFolder(const QString& folder) { FallbackFolder_ = folder; }
    QPrinter& Printer() { return *Printer_; }

private:
    friend std::unique_ptr<IPrinterService> MakeSystemPrinter(const QString& pdfFile);
    static QString QueueRefusal(const QString& name);
    TPrinterOrientation DefaultOrientation_ = TPrinterOrientation::poPortrait; // the queue's
    bool Unanswered_ = false; // made while the print system did not answer: jobs ask it again
    explicit TQtPrinter(std::unique_ptr<QPrinter> printer, bool pdf, QString pdfFile);
    void SavePdf();
    void SendToPrintSystem();
    void CancelSystemJob();
    QString FallbackFolder() const;
    QFont MakeFont() const;
    QPen MakePen() const;
    void ApplyFont();

    std::unique_ptr<QPrinter> Printer_;    // the settings in force, and the measures of the page
    std::unique_ptr<QPrinter> JobPrinter_; // the running job's pages, as a PDF in memory
    std::unique_ptr<QPainter> Painter_;
    bool Pdf_;
    QString PdfFile_, OutputFile_;
    TPrinterFont Font_;
    int Page_ = 0;
    int PenWidth_ = 1;
    std::uint32_t PenColour_ = 0;
    TBrushStyle BrushStyle_ = TBrushStyle::bsSolid;
    std::uint32_t BrushColour_ = 0xFFFFFF;
    int PenX_ = 0, PenY_ = 0;
    int PdfBuffer_ = -1; // the PDF of the running job, in memory
    QString FallbackFolder_;
    bool FileChosen_ = false; // the printer setup named PdfFile_: replacing it is asked first
    int JobId_ = 0;           // the running job's number in the print system
    QString JobQueue_;
    int LastJobId_ = 0;       // the last job handed over whole
    QString LastJobQueue_;
};

} // namespace zelm
