// zelm-cli-qt: the commands of zelm-cli that need Qt (printing), started by zelm-cli.
#include "CliOptions.h"
#include "Cp1251.h"
#include "InputFile.h"
#include "LinePrnt.h"
#include "Output.h"
#include "QtPrinter.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <string>
#include <vector>

using namespace zelm;

namespace {

// The lines of a text file, decoded as the options say.
bool ReadLines(const std::string& path, TInputEncoding encoding, QStringList& lines) {
    std::string error;
    auto file = TInputFile::Open(path, encoding, error);
    if (!file) {
        Complain(error);
        return false;
    }
    std::string utf8;
    std::string_view piece;
    while (file->Read(piece, error)) {
        if (file->IsUtf8()) utf8.append(piece);
        else AppendCp1251AsUtf8(utf8, piece);
    }
    if (!error.empty()) {
        Complain(error);
        return false;
    }
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast(); // the final line break
    return true;
}

// Prints a text file as the editor's document print does on its first print: margins of 25 mm,
// "Courier New" 10 pt, single spacing, plain lines, no borders.
int RunPrint(const TCliOptions& options) {
    QStringList lines;
    if (!ReadLines(options.Arguments.front(), options.Encoding, lines)) return 1;
    auto printer = TQtPrinter::Pdf(QString::fromStdString(options.PdfFile));
    TLinePrinter linePrinter(*printer);
    try {
        linePrinter.SetTitle(QFileInfo(QString::fromStdString(options.Arguments.front())).fileName());
        linePrinter.SetMeasureUnit(muMillimeters);
        linePrinter.SetMarginTop(25);
        linePrinter.SetMarginBottom(25);
        linePrinter.SetMarginLeft(25);
        linePrinter.SetMarginRight(25);
        linePrinter.SetLineSpacing(lsSingleSpace);
        linePrinter.Lines = lines;
        linePrinter.PageBorders = 0;
        linePrinter.BeginDoc();
        linePrinter.PrintLines();
        linePrinter.EndDoc();
    } catch (const std::exception& e) {
        Complain("cannot print to '" + options.PdfFile + "': " + e.what());
        return 1;
    }
    return 0;
}

// Qt's own notes (such as a missing runtime folder) are not the user's business on a terminal;
// its critical messages still reach standard error.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "zelm-cli: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCommandLine(args, error);
    if (!options || !NeedsQt(options->Command)) {
        Complain(options ? "zelm-cli-qt runs the print command only" : error);
        std::fprintf(stderr, "\n%s", UsageText);
        return 2;
    }
    // Printing needs fonts but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QGuiApplication application(argc, argv);
    return RunPrint(*options);
}
