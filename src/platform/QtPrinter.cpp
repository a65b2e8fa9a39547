#include "QtPrinter.h"

#include "Colours.h"
#include "SafeFile.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPushButton>
#include <QPrintDialog>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cups/cups.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace zelm {

const char* const NoPrinter = "There is no default printer currently selected";

int TPrinterFont::Height() const { return -int(std::lround(SizePoints * PixelsPerInch / 72.0)); }

void TPrinterFont::SetHeight(int height) {
    if (height < 0 && PixelsPerInch > 0) SizePoints = -height * 72.0 / PixelsPerInch;
}

std::unique_ptr<TQtPrinter> TQtPrinter::Pdf(const QString& pdfFile) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(300);
    return std::unique_ptr<TQtPrinter>(new TQtPrinter(std::move(printer), true, pdfFile));
}

std::unique_ptr<TQtPrinter> TQtPrinter::SystemDefault() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) return nullptr;
    // The queue's own paper from the first print, so that the pages are laid out on the paper they
    // print on.
    const QString queue = info.printerName();
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 QStringLiteral("ipp://localhost/printers/%1").arg(queue).toUtf8().constData());
    static const char* const wanted[] = {"media-default", "orientation-requested-default"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    bool landscape = false;
    if (ipp_t* answer = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/")) {
        // And its orientation: 4 is landscape, 5 reverse landscape.
        if (ipp_attribute_t* orientation = ippFindAttribute(answer, "orientation-requested-default", IPP_TAG_ENUM))
            landscape = ippGetInteger(orientation, 0) == 4 || ippGetInteger(orientation, 0) == 5;
        // A media name of the form "iso_a5_148x210mm" or "na_letter_8.5x11in": its size ends it.
        ipp_attribute_t* media = ippFindAttribute(answer, "media-default", IPP_TAG_ZERO);
        const QString name = media ? QString::fromUtf8(ippGetString(media, 0, nullptr)) : QString();
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("_([0-9.]+)x([0-9.]+)(mm|in)$")).match(name);
        if (size.hasMatch()) {
            const QPageSize paper(QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()),
                                  size.captured(3) == QLatin1String("mm") ? QPageSize::Millimeter : QPageSize::Inch);
            if (paper.isValid()) printer->setPageSize(paper);
        }
        ippDelete(answer);
    }
    if (landscape) printer->setPageOrientation(QPageLayout::Landscape);
    std::unique_ptr<TQtPrinter> system(new TQtPrinter(std::move(printer), false, {}));
    if (landscape) system->DefaultOrientation_ = TPrinterOrientation::poLandscape;
    return system;
}

TQtPrinter::TQtPrinter(std::unique_ptr<QPrinter> printer, bool pdf, QString pdfFile)
    : Printer_(std::move(printer)), Pdf_(pdf), PdfFile_(std::move(pdfFile)) {
    Font_.PixelsPerInch = Printer_->resolution();
}

TQtPrinter::~TQtPrinter() {
    if (Painter_) Painter_->end();
    CancelSystemJob();
}

bool TQtPrinter::RunSetupDialog(QWidget* parent, const std::function<void(QPrintDialog&)>& prepare) {
    // The dialog changes a copy; only what it was accepted with is taken over.
    QPrinter copy(QPrinter::HighResolution);
    if (Pdf_) {
        copy.setOutputFormat(QPrinter::PdfFormat);
        copy.setOutputFileName(PdfFile_);
    } else {
        copy.setPrinterName(Printer_->printerName());
    }
    copy.setPageLayout(Printer_->pageLayout());
    QPrintDialog dialog(&copy, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Copies, page ranges, duplex and colour would stay in force unseen: the options are not
    // offered (their button and tabs hidden); the printer's properties keep paper and orientation.
    if (auto* options = dialog.findChild<QWidget*>(QStringLiteral("tabs"))) options->hide();
    for (auto* button : dialog.findChildren<QPushButton*>())
        if (button->text().contains(QLatin1String(">>")) || button->text().contains(QLatin1String("<<"))) button->hide();
    if (prepare) prepare(dialog);
    if (dialog.exec() != QDialog::Accepted) return false;

    std::unique_ptr<QPrinter> chosen;
    const bool toFile = copy.outputFormat() == QPrinter::PdfFormat || copy.printerName().isEmpty();
    if (toFile) {
        chosen = std::make_unique<QPrinter>(QPrinter::HighResolution);
        chosen->setOutputFormat(QPrinter::PdfFormat);
        chosen->setResolution(300);
        const QString file = copy.outputFileName();
        if (!file.isEmpty()) PdfFile_ = QFileInfo(file).absoluteFilePath();
        FileChosen_ = !file.isEmpty();
    } else {
        chosen = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(copy.printerName()), QPrinter::HighResolution);
        PdfFile_.clear();
        FileChosen_ = false;
    }
    chosen->setPageLayout(copy.pageLayout());
    chosen->setDocName(Printer_->docName());
    Printer_ = std::move(chosen);
    Pdf_ = toFile;
    Font_.PixelsPerInch = Printer_->resolution();
    return true;
}

// The folder a job goes into when the system has no printer, made when missing; empty when it
// cannot be made or written.
QString TQtPrinter::FallbackFolder() const {
    QString folder = FallbackFolder_;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) return {};
    return folder;
}

namespace {

enum class TPdfRead { prDone, prStopped, prFailed };

// Hands the finished PDF in memory to `sink` piece by piece (`sink` answers false to stop). Failed,
// with the reason, when it cannot be read or does not end as a PDF does (a job that did not finish).
TPdfRead ReadPdf(int buffer, const std::function<bool(std::string_view)>& sink, QString& reason) {
    std::string tail; // the last bytes, where the PDF's end mark stands
    char chunk[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(buffer, chunk, sizeof chunk, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = QString::fromLocal8Bit(std::strerror(errno));
            return TPdfRead::prFailed;
        }
        if (n == 0) break;
        if (!sink(std::string_view(chunk, std::size_t(n)))) return TPdfRead::prStopped;
        tail.append(chunk, std::size_t(n));
        if (tail.size() > 16) tail.erase(0, tail.size() - 16);
        at += n;
    }
    if (tail.find("%%EOF") != std::string::npos) return TPdfRead::prDone;
    reason = QStringLiteral("The printer could not finish the job");
    return TPdfRead::prFailed;
}

// The print system's reason for its last refusal.
QString PrintSystemReason() {
    const char* reason = cupsLastErrorString();
    return reason && *reason ? QString::fromUtf8(reason) : QStringLiteral("The print system refused the job");
}
} // namespace

void TQtPrinter::BeginJob() {
    if (Painter_) throw EPrinterError("A print job is already in progress");
    if (Unanswered_) {
        // The print system did not answer at start: asked again, at most about two seconds.
        if (!PrintSystemAnswersNow(1000)) throw EPrinterReasonError(PrintSystemSilent);
        Unanswered_ = false;
        if (auto system = SystemDefault()) {
            Printer_ = std::move(system->Printer_);
            Pdf_ = false;
            Font_.PixelsPerInch = Printer_->resolution();
        }
    }
    OutputFile_.clear();
    QString file;
    if (Pdf_) {
        file = PdfFile_;
        if (file.isEmpty()) {
            // No printer on the system: the job becomes a PDF file in the documents folder.
            const QString folder = FallbackFolder();
            if (folder.isEmpty()) throw EPrinterError(NoPrinter);
            QString name = Printer_->docName().trimmed();
            name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral("_"));
            if (name.isEmpty()) name = QStringLiteral("ZELM");
            const QString stem = QDir(folder).filePath(
                name + QDateTime::currentDateTime().toString(QStringLiteral(" yyyy-MM-dd HH-mm-ss")));
            // Two prints in the same second must not overwrite each other.
            file = stem + QStringLiteral(".pdf");
            for (int n = 2; QFileInfo::exists(file); ++n) file = stem + QStringLiteral(" (%1).pdf").arg(n);
        } else if (FileChosen_ && QFileInfo::exists(file) && ConfirmReplace && !ConfirmReplace(file)) {
            throw EPrintCancelled();
        }
    }
    // The toolkit writes the pages as a PDF into memory, where writing cannot fail unnoticed;
    // EndJob then puts it into the file, or hands it to the print system, with every step checked.
    if (PdfBuffer_ >= 0) ::close(PdfBuffer_);
    PdfBuffer_ = ::memfd_create("zelm-pdf", MFD_CLOEXEC);
    if (PdfBuffer_ < 0)
        throw EPrinterReasonError(QString::fromLocal8Bit(std::strerror(errno)).toStdString());
    if (!Pdf_) {
        // The print system's job is created only when its pages are ready (EndJob), so that a
        // program killed while laying them out leaves no empty job; a queue that is gone or
        // refuses jobs says so now.
        const QString refusal = QueueRefusal(Printer_->printerName());
        if (!refusal.isEmpty()) {
            ::close(PdfBuffer_);
            PdfBuffer_ = -1;
            throw EPrinterReasonError(refusal.toStdString());
        }
        JobQueue_ = Printer_->printerName();
    }
    JobPrinter_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    JobPrinter_->setOutputFormat(QPrinter::PdfFormat);
    JobPrinter_->setResolution(Printer_->resolution());
    JobPrinter_->setPageLayout(Printer_->pageLayout());
    JobPrinter_->setDocName(Printer_->docName());
    JobPrinter_->setOutputFileName(QStringLiteral("/proc/self/fd/%1").arg(PdfBuffer_));
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(JobPrinter_.get())) {
        CancelSystemJob();
        JobPrinter_.reset();
        throw EPrinterError("The printer could not start the job");
    }
    OutputFile_ = file;
    Painter_ = std::move(painter);
    Page_ = 1;
    ApplyFont();
    Painter_->setPen(MakePen());
}

void TQtPrinter::EndJob() {
    if (!Painter_) throw EPrinterError("No print job is in progress");
    const bool ended = Painter_->end();
    Painter_.reset();
    JobPrinter_.reset();
    if (!ended) {
        CancelSystemJob();
        throw EPrinterError("The printer could not finish the job");
    }
    if (Pdf_) SavePdf();
    else SendToPrintSystem();
}

void TQtPrinter::CancelSystemJob() {
    if (JobId_ != 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, JobQueue_.toUtf8().constData(), JobId_, 0);
    JobId_ = 0;
    if (PdfBuffer_ >= 0) ::close(PdfBuffer_);
    PdfBuffer_ = -1;
}

// Why queue `name` cannot take a job now, or empty: deleted since it was chosen (said by its
// name, not by the server's file error), not accepting jobs, or the print system's own reason.
QString TQtPrinter::QueueRefusal(const QString& name) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr);
    if (!dest) {
        if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) return PrintSystemReason();
        return QStringLiteral("the printer %1 no longer exists").arg(name);
    }
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && std::strcmp(accepting, "false") == 0;
    cupsFreeDests(1, dest);
    return refuses ? QStringLiteral("the printer %1 is not accepting jobs").arg(name) : QString();
}

// Hands the finished PDF to the print system as the job's document; any refusal cancels the job
// and says why.
void TQtPrinter::SendToPrintSystem() {
    const QByteArray queue = JobQueue_.toUtf8(), title = Printer_->docName().toUtf8();
    const auto fail = [&](const QString& reason) {
        CancelSystemJob();
        throw EPrinterReasonError(reason.toStdString());
    };
    JobId_ = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.isEmpty() ? "ZELM" : title.constData(), 0, nullptr);
    if (JobId_ == 0) {
        const QString reason = PrintSystemReason(), refusal = QueueRefusal(JobQueue_);
        fail(refusal.isEmpty() ? reason : refusal);
    }
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), JobId_, title.isEmpty() ? "ZELM" : title.constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
        fail(PrintSystemReason());
    QString reason;
    const auto send = [](std::string_view piece) {
        return cupsWriteRequestData(CUPS_HTTP_DEFAULT, piece.data(), piece.size()) == HTTP_STATUS_CONTINUE;
    };
    switch (ReadPdf(PdfBuffer_, send, reason)) {
    case TPdfRead::prStopped: fail(PrintSystemReason()); break;
    case TPdfRead::prFailed: fail(reason); break;
    case TPdfRead::prDone: break;
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) > IPP_STATUS_OK_CONFLICTING) fail(PrintSystemReason());
    ::close(PdfBuffer_);
    PdfBuffer_ = -1;
    LastJobId_ = JobId_;
    LastJobQueue_ = JobQueue_;
    JobId_ = 0;
}

namespace {

// CUPS's standard reasons of a job, in Russian; other reasons (a backend's own message) stay as
// the print system gives them.
QString ReasonInRussian(const QString& reason) {
    static const std::pair<const char*, const char*> known[] = {
        {"job-hold-until-specified", "задание задержано в очереди до указанного времени"},
        {"job-held-by-user", "задание задержано пользователем"},
        {"job-incoming", "задание ещё передаётся"},
        {"job-queued", "задание ждёт своей очереди"},
        {"job-printing", "задание печатается"},
        {"printer-stopped", "принтер остановлен"},
        {"printer-stopped-partly", "принтер частично остановлен"},
        {"job-canceled-by-user", "задание отменено пользователем"},
        {"job-canceled-by-operator", "задание отменено оператором"},
        {"job-canceled-at-device", "задание отменено на принтере"},
        {"aborted-by-system", "задание прервано системой печати"},
        {"processing-to-stop-point", "задание останавливается"},
        {"cups-held-for-authentication", "задание ждёт проверки подлинности"},
        {"document-format-error", "документ в формате, которого принтер не понимает"},
        {"job-completed-with-errors", "задание завершено с ошибками"},
        {"none", "причина не указана"},
    };
    for (const auto& [keyword, russian] : known)
        if (reason == QLatin1String(keyword)) return QString::fromUtf8(russian);
    return reason;
}

// What became of the job `id` of `queue`: asked of the print system (any thread may ask).
TJobState QueryJob(const QString& queue, int id) {
    TJobState state;
    state.Printer = queue;
    state.Id = id;
    state.Kind = TJobState::jsWaiting;
    const auto ask = [](ipp_op_t operation, const char* uriName, const QString& uri, int job,
                        std::initializer_list<const char*> wanted) {
        ipp_t* request = ippNewRequest(operation);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriName, nullptr, uri.toUtf8().constData());
        if (job) ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        std::vector<const char*> names(wanted);
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(names.size()), nullptr,
                      names.data());
        return cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    };
    const auto text = [](ipp_t* response, const char* name) {
        ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
        const char* value = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
        return value ? QString::fromUtf8(value) : QString();
    };
    const QString printerUri = QStringLiteral("ipp://localhost/printers/%1").arg(queue);
    ipp_t* job = ask(IPP_OP_GET_JOB_ATTRIBUTES, "printer-uri", printerUri, id,
                     {"job-state", "job-state-reasons", "job-printer-state-message"});
    if (!job) {
        // The job or its queue is gone: the print system cannot say it printed.
        state.Kind = TJobState::jsFailed;
        state.Reason = PrintSystemReason();
        return state;
    }
    const int jobState = ippGetInteger(ippFindAttribute(job, "job-state", IPP_TAG_ENUM), 0);
    const QString keyword = text(job, "job-state-reasons");
    QString reason = text(job, "job-printer-state-message");
    if (reason.isEmpty()) reason = ReasonInRussian(keyword);
    ippDelete(job);
    if (jobState == IPP_JSTATE_COMPLETED) {
        state.Kind = TJobState::jsDone;
    } else if (jobState >= IPP_JSTATE_STOPPED) {
        state.Kind = TJobState::jsFailed;
        state.Reason = reason;
    } else if (jobState == IPP_JSTATE_HELD) {
        // A backend that could not reach its printer has the job held until the next try.
        state.Kind = keyword == QLatin1String("resources-are-not-ready") ? TJobState::jsRetrying : TJobState::jsHeld;
        state.Reason = reason;
    } else if (ipp_t* printer = ask(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", printerUri, 0,
                                    {"printer-state", "printer-state-message", "printer-is-accepting-jobs"})) {
        state.Reason = reason;
        // A job that waits on a stopped queue does not print until someone starts the queue.
        if (ippGetInteger(ippFindAttribute(printer, "printer-state", IPP_TAG_ENUM), 0) == IPP_PSTATE_STOPPED) {
            state.Kind = TJobState::jsFailed;
            state.Reason = text(printer, "printer-state-message");
            if (state.Reason.isEmpty()) state.Reason = QStringLiteral("The printer is stopped");
        }
        ippDelete(printer);
        if (state.Kind == TJobState::jsWaiting && jobState == IPP_JSTATE_PROCESSING) state.Kind = TJobState::jsPrinting;
    }
    return state;
}

} // namespace

TJobState TQtPrinter::LastJobState() const { return LastJobId_ == 0 ? TJobState() : QueryJob(LastJobQueue_, LastJobId_); }

std::function<TJobState()> TQtPrinter::LastJobQuery() const {
    if (LastJobId_ == 0) return {};
    return [queue = LastJobQueue_, id = LastJobId_] { return QueryJob(queue, id); };
}

// Copies the finished PDF from memory into its file; a document that did not end as a PDF does,
// or any failure of writing, leaves no file (an old one stays as it was).
void TQtPrinter::SavePdf() {
    const QString file = OutputFile_;
    const int buffer = PdfBuffer_;
    PdfBuffer_ = -1;
    auto fail = [&](const QString& reason) {
        if (buffer >= 0) ::close(buffer);
        OutputFile_.clear();
        throw EPrinterFileError(QStringLiteral("Cannot create file %1\n%2").arg(file, reason).toStdString());
    };
    TSafeFile out(QFile::encodeName(file).toStdString());
    if (!out.Open()) fail(QString::fromLocal8Bit(out.Error().c_str()));
    QString reason;
    switch (ReadPdf(buffer, [&](std::string_view piece) { return out.Write(piece); }, reason)) {
    case TPdfRead::prStopped: fail(QString::fromLocal8Bit(out.Error().c_str())); break;
    case TPdfRead::prFailed: fail(reason); break;
    case TPdfRead::prDone: break;
    }
    if (!out.Commit()) fail(QString::fromLocal8Bit(out.Error().c_str()));
    ::close(buffer);
}

void TQtPrinter::AbortJob() {
    if (!Painter_) return;
    Painter_->end();
    Painter_.reset();
    JobPrinter_.reset();
    CancelSystemJob(); // a system printer's job is cancelled; a PDF in memory is dropped
    OutputFile_.clear();
}

void TQtPrinter::NewPage() {
    if (!Painter_ || !JobPrinter_->newPage()) throw EPrinterError("The printer could not start a new page");
    ++Page_;
}

QString TQtPrinter::Title() const { return Printer_->docName(); }
void TQtPrinter::SetTitle(const QString& title) { Printer_->setDocName(title); }

TPrinterOrientation TQtPrinter::Orientation() const {
    return Printer_->pageLayout().orientation() == QPageLayout::Landscape ? TPrinterOrientation::poLandscape
                                                                           : TPrinterOrientation::poPortrait;
}
void TQtPrinter::SetOrientation(TPrinterOrientation orientation) {
    Printer_->setPageOrientation(orientation == TPrinterOrientation::poLandscape ? QPageLayout::Landscape
                                                                                 : QPageLayout::Portrait);
}

int TQtPrinter::PixelsPerInchX() const { return Printer_->logicalDpiX(); }
int TQtPrinter::PixelsPerInchY() const { return Printer_->logicalDpiY(); }
int TQtPrinter::PhysicalWidth() const { return int(std::lround(Printer_->paperRect(QPrinter::DevicePixel).width())); }
int TQtPrinter::PhysicalHeight() const { return int(std::lround(Printer_->paperRect(QPrinter::DevicePixel).height())); }
int TQtPrinter::PhysicalOffsetX() const {
    return int(std::lround(Printer_->pageRect(QPrinter::DevicePixel).left() - Printer_->paperRect(QPrinter::DevicePixel).left()));
}
int TQtPrinter::PhysicalOffsetY() const {
    return int(std::lround(Printer_->pageRect(QPrinter::DevicePixel).top() - Printer_->paperRect(QPrinter::DevicePixel).top()));
}
int TQtPrinter::PageWidth() const { return int(std::lround(Printer_->pageRect(QPrinter::DevicePixel).width())); }
int TQtPrinter::PageHeight() const { return int(std::lround(Printer_->pageRect(QPrinter::DevicePixel).height())); }

QStringList PlainFamilyNames(const QStringList& families) {
    QStringList names;
    for (const QString& family : families) {
        QString name = family;
        // A family that several foundries make is listed as "C059 [urw]", "C059 [UKWN]".
        const qsizetype open = name.lastIndexOf(QStringLiteral(" ["));
        if (name.endsWith(QLatin1Char(']')) && open > 0) name.truncate(open);
        if (!names.contains(name)) names.push_back(name);
    }
    return names;
}

// The installed families, plus the names of the common Windows fonts whose metric-compatible
// stand-ins are installed (fontconfig answers "Courier New" with Liberation Mono), so that a
// document or report set in "Courier New" keeps its font in the print settings dialog.
QStringList TQtPrinter::FontNames() const {
    // With no printer the jobs go into files: when no file can be made there is no printer at all.
    if (Pdf_ && PdfFile_.isEmpty() && FallbackFolder().isEmpty()) throw EPrinterError(NoPrinter);
    QStringList names = PlainFamilyNames(QFontDatabase::families());
    const std::pair<const char*, const char*> aliases[] = {{"Courier New", "Liberation Mono"},
                                                           {"Arial", "Liberation Sans"},
                                                           {"Times New Roman", "Liberation Serif"}};
    for (const auto& [alias, standIn] : aliases)
        if (!names.contains(QLatin1String(alias)) && names.contains(QLatin1String(standIn)))
            names.push_back(QLatin1String(alias));
    return names;
}

QFont TQtPrinter::MakeFont() const {
    QFont font(Font_.Name);
    font.setPointSizeF(Font_.SizePoints > 0 ? Font_.SizePoints : 1);
    font.setBold(Font_.Bold);
    font.setItalic(Font_.Italic);
    font.setUnderline(Font_.Underline);
    font.setStrikeOut(Font_.StrikeOut);
    return font;
}

QPen TQtPrinter::MakePen() const {
    QPen pen(ColourFromBgr(PenColour_));
    pen.setWidth(PenWidth_);
    return pen;
}

void TQtPrinter::ApplyFont() {
    if (Painter_) Painter_->setFont(MakeFont());
}

TTextMetrics TQtPrinter::TextMetrics() const {
    const QFontMetrics metrics(MakeFont(), Printer_.get());
    return {metrics.height(), metrics.leading()};
}

int TQtPrinter::TextWidth(const QString& text) const {
    return QFontMetrics(MakeFont(), Printer_.get()).horizontalAdvance(text);
}

int TQtPrinter::TextHeight(const QString& text) const {
    return text.isEmpty() ? 0 : QFontMetrics(MakeFont(), Printer_.get()).height();
}

void TQtPrinter::TextOut(int x, int y, const QString& text) {
    if (!Painter_) return;
    const QFont font = MakeFont();
    Painter_->setFont(font);
    Painter_->setPen(ColourFromBgr(Font_.Colour));
    Painter_->drawText(QPoint(x, y + QFontMetrics(font, Printer_.get()).ascent()), text);
    Painter_->setPen(MakePen());
}

void TQtPrinter::SetPen(int width, std::uint32_t colour) {
    PenWidth_ = width;
    PenColour_ = colour;
    if (Painter_) Painter_->setPen(MakePen());
}

void TQtPrinter::SetBrush(TBrushStyle style, std::uint32_t colour) {
    BrushStyle_ = style;
    BrushColour_ = colour;
}

void TQtPrinter::MoveTo(int x, int y) {
    PenX_ = x;
    PenY_ = y;
}

void TQtPrinter::LineTo(int x, int y) {
    if (Painter_) {
        Painter_->setPen(MakePen());
        Painter_->drawLine(PenX_, PenY_, x, y);
    }
    MoveTo(x, y);
}

void TQtPrinter::Rectangle(int left, int top, int right, int bottom) {
    if (!Painter_) return;
    Painter_->setPen(MakePen());
    Painter_->setBrush(BrushStyle_ == TBrushStyle::bsSolid ? QBrush(ColourFromBgr(BrushColour_)) : QBrush(Qt::NoBrush));
    Painter_->drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    Painter_->setBrush(Qt::NoBrush);
}

TPrintSystemAnswer ProbePrintSystem(int ms) {
    QElapsedTimer clock;
    clock.start();
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ms, nullptr);
    if (!http) return clock.elapsed() >= ms * 9 / 10 ? TPrintSystemAnswer::paSilent : TPrintSystemAnswer::paAbsent;
    // A request that gets no answer within the time gives up (the callback says not to wait on).
    httpSetTimeout(http, ms / 1000.0, [](http_t*, void*) { return 0; }, nullptr);
    ipp_t* response = cupsDoRequest(http, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    httpClose(http);
    if (response) {
        ippDelete(response);
        return TPrintSystemAnswer::paAnswers;
    }
    // No answer at all in the time, or a server that closed the connection (nothing there to ask).
    return clock.elapsed() >= ms * 9 / 10 ? TPrintSystemAnswer::paSilent : TPrintSystemAnswer::paAnswers;
}

namespace {

// The print system's server as this process would ask it, and a name that nothing answers to.
QByteArray RealServer;
const char* const NoServer = "/nonexistent/the print system does not answer";

} // namespace

const char* const PrintSystemSilent = "the print system does not answer";

bool PrintSystemAnswersNow(int ms) {
    if (qstrcmp(cupsServer(), NoServer) != 0) RealServer = cupsServer();
    cupsSetServer(RealServer.constData());
    if (ProbePrintSystem(ms) != TPrintSystemAnswer::paSilent) return true;
    // Until it answers, the toolkit's calls into the print system fail at once instead of waiting.
    cupsSetServer(NoServer);
    return false;
}

std::unique_ptr<IPrinterService> MakeSystemPrinter(const QString& pdfFile) {
    if (!pdfFile.isEmpty()) return TQtPrinter::Pdf(pdfFile);
    const QString fromEnvironment = qEnvironmentVariable("ZELM_PRINT_PDF");
    if (!fromEnvironment.isEmpty()) return TQtPrinter::Pdf(fromEnvironment);
    // A print system that takes connections but never answers would hold the window for minutes.
    if (!PrintSystemAnswersNow(1000)) {
        auto silent = TQtPrinter::Pdf({});
        silent->Unanswered_ = true;
        return silent;
    }
    if (auto system = TQtPrinter::SystemDefault()) return system;
    return TQtPrinter::Pdf({});
}

} // namespace zelm
