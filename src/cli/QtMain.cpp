// zelm-cli-qt: the commands of zelm-cli that need Qt (reports and printing), started by zelm-cli.
#include "CliOptions.h"
#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Engines.h"
#include "InputFile.h"
#include "LinePrnt.h"
#include "Look.h"
#include "Output.h"
#include "QtPrinter.h"
#include "Report.h"
#include "ru/UComment.h"
#include "uk/UUkrComment.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

using namespace zelm;

namespace {

// The lines of a text file, decoded as the options say (the whole file decides with `auto`).
bool ReadLines(const std::string& path, TInputEncoding encoding, QStringList& lines) {
    std::string error, bytes;
    auto file = TInputFile::Open(path, error);
    // A UTF-16 text (with its byte order mark) is read in its UTF-8 form.
    const bool utf16 = file && encoding == TInputEncoding::ieAuto && file->ProbeUtf16(error);
    if (!file || !error.empty() || !ReadAll(*file, bytes, error)) {
        Complain(error);
        return false;
    }
    const bool utf8 = utf16 || encoding == TInputEncoding::ieUtf8 ||
                      (encoding == TInputEncoding::ieAuto && ReadsAsUtf8(bytes));
    std::string text;
    if (utf8) AppendValidUtf8(text, bytes);
    else AppendCp1251AsUtf8(text, bytes);
    if (!utf16 && bytes.find('\0') != std::string::npos) {
        // As the editor warns before it shows such a file: pages of garbage help nobody.
        Complain("'" + path + "' has NUL bytes: it looks like a binary file, not a text; nothing printed");
        return false;
    }
    std::string().swap(bytes);
    QString decoded = QString::fromUtf8(text);
    if (decoded.startsWith(QChar(0xFEFF))) decoded.remove(0, 1);
    decoded.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines = decoded.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast(); // the final line break
    return true;
}

// A print error as one line on the terminal.
std::string OneLine(const char* message) {
    std::string text = message;
    for (std::size_t at; (at = text.find('\n')) != std::string::npos;)
        text.replace(at, 1, at > 0 && text[at - 1] == '.' ? " " : ": ");
    return text;
}

void FirstPrintSettings(TLinePrinter& printer);

// Whether the PDF file can be written, looked at before any page is laid out (which may take long):
// an existing file the user may write, or a new one in a folder the user may write into.
bool CanWrite(const std::string& pdf) {
    struct stat info {};
    int error = 0;
    if (::stat(pdf.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) error = EISDIR;
        else if (::faccessat(AT_FDCWD, pdf.c_str(), W_OK, AT_EACCESS) != 0) error = errno;
    } else if (errno != ENOENT) {
        error = errno;
    } else {
        const std::size_t slash = pdf.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : pdf.substr(0, slash);
        if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) error = errno;
    }
    if (error == 0) return true;
    Complain("cannot print to '" + pdf + "': Cannot create file " + pdf + ": " + std::strerror(error));
    return false;
}

// Prints a text file as the editor's document print does on its first print: margins of 25 mm,
// "Courier New" 10 pt, single spacing, plain lines, no borders.
int RunPrint(const TCliOptions& options) {
    if (!CanWrite(options.PdfFile)) return 1;
    QStringList lines;
    if (!ReadLines(options.Arguments.front(), options.Encoding, lines)) return 1;
    auto printer = TQtPrinter::Pdf(QString::fromStdString(options.PdfFile));
    TLinePrinter linePrinter(*printer);
    try {
        linePrinter.SetTitle(QFileInfo(QString::fromStdString(options.Arguments.front())).fileName());
        FirstPrintSettings(linePrinter);
        linePrinter.Lines = lines;
        linePrinter.PageBorders = 0;
        const TPrintJobGuard guard(linePrinter);
        linePrinter.BeginDoc();
        linePrinter.PrintLines();
        linePrinter.EndDoc();
    } catch (const std::exception& e) {
        Complain("cannot print to '" + options.PdfFile + "': " + OneLine(e.what()));
        return 1;
    }
    return 0;
}

// Qt's own notes (such as a missing runtime folder) are not the user's business on a terminal;
// its critical messages still reach standard error.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "zelm-cli: %s\n", qPrintable(message));
}

// The line printer as the program's first print leaves it: millimetres, margins of 25 mm,
// "Courier New" 10 pt, single spacing.
void FirstPrintSettings(TLinePrinter& printer) {
    printer.SetMeasureUnit(muMillimeters);
    printer.SetMarginTop(25);
    printer.SetMarginBottom(25);
    printer.SetMarginLeft(25);
    printer.SetMarginRight(25);
    printer.SetLineSpacing(lsSingleSpace);
}

// The evaluation report of a word or a text file, printed into a PDF with no dialog.
int RunReport(const TCliOptions& options) {
    if (!CanWrite(options.PdfFile)) return 1;
    const bool russian = options.Language == TLanguage::lgRussian;
    const bool levitsky = options.Scheme == TEvalScheme::esLevitsky;
    TReportData data;
    if (!options.ReportWord.empty() || options.ReportText.empty()) {
        const std::string word = ArgumentWord(options.ReportWord, options.Encoding);
        if (russian) {
            TWordEvaluator evaluator;
            evaluator.EvaluateWord(word, options.Scheme);
            data = RussianWordReport(FromCp1251(word), word, evaluator, levitsky,
                                     FromCp1251(RussianWordComment(word, evaluator.WordProfile)));
        } else {
            TUkrWordEvaluator evaluator;
            evaluator.UkrEvaluateWord(word, options.Scheme);
            data = UkrainianWordReport(FromCp1251(word), evaluator, levitsky,
                                       FromCp1251(UkrainianWordComment(word, evaluator.UkrWordProfile)));
        }
    } else {
        std::string error;
        auto file = TInputFile::Open(options.ReportText, error);
        if (!file) {
            Complain(error);
            return 1;
        }
        // Both readings are counted side by side; the detector picks one at the end.
        TTextEvaluator russianText, russianUtf8;
        TUkrTextEvaluator ukrainianText, ukrainianUtf8;
        bool utf8 = false;
        if (!ReadTextBothWays(
                *file, options.Encoding,
                [&](std::string_view bytes) {
                    if (russian) russianText.CountTextChunk(bytes);
                    else ukrainianText.UkrCountTextChunk(bytes);
                },
                [&](std::string_view bytes) {
                    if (russian) russianUtf8.CountTextChunk(bytes);
                    else ukrainianUtf8.UkrCountTextChunk(bytes);
                },
                utf8, error)) {
            Complain(error);
            return 1;
        }
        TTextEvaluator& russianChosen = utf8 ? russianUtf8 : russianText;
        TUkrTextEvaluator& ukrainianChosen = utf8 ? ukrainianUtf8 : ukrainianText;
        const QString name = QString::fromStdString(options.ReportText);
        if (russian) {
            russianChosen.FinishText();
            russianChosen.EvaluateText(options.Scheme);
            data = RussianTextReport(name, russianChosen, russianChosen.TextProfileMaxAbs(), levitsky,
                                     FromCp1251(RussianTextComment(russianChosen.TextProfile)));
        } else {
            ukrainianChosen.UkrFinishText();
            ukrainianChosen.UkrEvaluateText(options.Scheme);
            data = UkrainianTextReport(name, ukrainianChosen, levitsky,
                                       FromCp1251(UkrainianTextComment(ukrainianChosen.UkrTextProfile)));
        }
    }
    auto printer = TQtPrinter::Pdf(QString::fromStdString(options.PdfFile));
    TLinePrinter linePrinter(*printer);
    try {
        FirstPrintSettings(linePrinter);
        PrintEvaluationReport(linePrinter, data);
    } catch (const std::exception& e) {
        Complain("cannot print to '" + options.PdfFile + "': " + OneLine(e.what()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCommandLine(args, error);
    if (!options || !NeedsQt(options->Command)) {
        Complain(options ? "zelm-cli-qt runs the print and report commands only" : error);
        std::fprintf(stderr, "\n%s", UsageText);
        return 2;
    }
    // Printing needs fonts but no display, and no print system: the commands only write PDF files,
    // so the toolkit's printer support is pointed at a server that cannot exist, which it gives up
    // at once, instead of asking the system's (which may not answer for minutes).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CUPS_SERVER", "/nonexistent/zelm-cli writes PDF files only");
    qInstallMessageHandler(QuietMessages);
    QGuiApplication application(argc, argv);
    zelm::InstallFontSubstitutes();
    return options->Command == TCommand::cmReport ? RunReport(*options) : RunPrint(*options);
}
