// The evaluation report: the result of a word or text window printed through the shared line
// printer as a page header, a title block, a table of bipolar bars, the comment and the colour
// strip.
#pragma once

#include "LinePrnt.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zelm {

// The maker cells of the page header: the program's name and version (the project has no web
// address of its own to print there).
extern const QString MakerAddress;

enum class TReportKind { rkRussianWord, rkRussianText, rkUkrainianWord, rkUkrainianText };

// What a report prints.
struct TReportData {
    TReportKind Kind = TReportKind::rkRussianWord;
    QString Subject;                 // the word, or the document's name
    bool Levitsky = false;
    std::vector<double> Values;      // v of each scale (a Ukrainian word's values × 100)
    double Scale = 1;                // the text reports' bar scale
    QStringList Comment;             // the lines of the comment memo
    // Each colour class: its measure (share or z-score) and colour.
    std::array<std::pair<double, std::uint32_t>, 6> Colours{};
    // The colour classes whose segment counts in (a word's count for the Russian word report).
    std::array<bool, 6> Qualifies{};
    std::array<int, 6> SegmentWidth{}; // millimetres
};

// The data of the four reports, from the engines' last results.
TReportData RussianWordReport(const QString& wordBoxText, const std::string& windowWord, const TWordEvaluator& word,
                              bool levitsky, const QString& comment);
TReportData RussianTextReport(const QString& documentName, const TTextEvaluator& text, double scale, bool levitsky,
                              const QString& comment);
TReportData UkrainianWordReport(const QString& windowWord, const TUkrWordEvaluator& word, bool levitsky,
                                const QString& comment);
TReportData UkrainianTextReport(const QString& documentName, const TUkrTextEvaluator& text, bool levitsky,
                                const QString& comment);

// Prints a report on the line printer whose settings step has been done (millimetres).
void PrintEvaluationReport(TLinePrinter& printer, const TReportData& data);

// The program's print settings step and shared line printer, which the result windows print
// their reports through; the main window registers itself.
class IReportHost {
public:
    virtual ~IReportHost() = default;
    virtual TLinePrinter& ReportPrinter() = 0;
    virtual bool EditPrintSettings(TLinePrinter& printer) = 0;
    // After a successful print: tells the user where the print went when it went into a file.
    virtual void TellWherePrinted(QWidget* /*window*/) {}
};
void SetReportHost(IReportHost* host);
IReportHost* ReportHost();

// btnPrintClick of the windows: the settings step, then the report; false when cancelled or
// when there is no host. Printer errors go to the caller.
bool PrintReportThroughHost(const TReportData& data);

} // namespace zelm
