#include "Cp1251.h"
#include "Engines.h"
#include "FakePrinter.h"
#include "QtTestMain.h"
#include "Report.h"
#include "ru/UComment.h"
#include "uk/UUkrComment.h"

#include <gtest/gtest.h>

#include <set>

using namespace zelm;

namespace {

// A line printer on the fake printer, set as the first print leaves it (millimetres, 25 mm).
struct TRig {
    TFakePrinter Printer;
    TLinePrinter Lp{Printer};
    TRig() {
        Lp.SetMeasureUnit(muMillimeters);
        Lp.SetMarginTop(25);
        Lp.SetMarginBottom(25);
        Lp.SetMarginLeft(25);
        Lp.SetMarginRight(25);
    }
    // The text calls of the row that starts with `name`.
    std::vector<TFakeCall> Row(const QString& name) const {
        std::vector<TFakeCall> row;
        const auto texts = Printer.Texts();
        for (std::size_t i = 0; i < texts.size(); ++i)
            if (texts[i].Text == name) {
                for (std::size_t j = i; j < texts.size() && texts[j].Y == texts[i].Y; ++j) row.push_back(texts[j]);
                break;
            }
        return row;
    }
    std::vector<TFakeCall> Bars(int y) const {
        std::vector<TFakeCall> bars;
        for (const auto& call : Printer.Calls)
            if (call.Kind == TFakeCall::fcRectangle && call.Y == y) bars.push_back(call);
        return bars;
    }
    bool Printed(const QString& text) const {
        for (const auto& call : Printer.Texts())
            if (call.Text == text) return true;
        return false;
    }
};

TReportData RussianWord(const char* word, bool levitsky = false) {
    const std::string cp = Utf8ToCp1251(word);
    TWordEvaluator e;
    e.EvaluateWord(cp, levitsky ? TEvalScheme::esLevitsky : TEvalScheme::esZhuravlev);
    return RussianWordReport(QString::fromUtf8(word), cp, e, levitsky,
                             QString::fromStdString(Cp1251ToUtf8(RussianWordComment(cp, e.WordProfile))));
}

} // namespace

TEST(Report, RussianWordRowsBoldAndColours) {
    TRig rig;
    PrintEvaluationReport(rig.Lp, RussianWord("мо*ре"));
    for (const char* line : {"ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА СЛОВА", "Язык  : Русский", "Слово : мо*ре", "Алгоритм А.П.Журавлева",
                             "Звуко-цветовая оценка слова"})
        EXPECT_TRUE(rig.Printed(QString::fromUtf8(line))) << line;
    // The page header, left, centre and right, above the text area; a top border.
    const auto texts = rig.Printer.Texts();
    EXPECT_EQ(texts[0].Text, MakerAddress);
    EXPECT_EQ(texts[1].Text, "Проект ЗЕЛМ");
    EXPECT_LT(texts[0].Y, texts[3].Y);

    const auto good = rig.Row("Хороший");
    ASSERT_EQ(good.size(), 3u);
    EXPECT_EQ(good[1].Text, "34");
    EXPECT_EQ(good[2].Text, "Плохой");
    for (const auto& cell : good) EXPECT_TRUE(cell.Font.Bold);
    const auto goodBars = rig.Bars(good[0].Y);
    ASSERT_EQ(goodBars.size(), 1u); // the other bar cell holds 0
    EXPECT_EQ(goodBars[0].Colour, 255u);

    const auto pretty = rig.Row("красивый"); // -6: regular type, grey bar on the right side
    EXPECT_EQ(pretty[1].Text, "-6");
    EXPECT_FALSE(pretty[0].Font.Bold);
    const auto prettyBars = rig.Bars(pretty[0].Y);
    ASSERT_EQ(prettyBars.size(), 1u);
    EXPECT_EQ(prettyBars[0].Colour, 8421504u);
    EXPECT_GT(prettyBars[0].X, pretty[1].X);

    // The comment, in regular type, and the colour strip: yellow and green blocks of 33 mm.
    EXPECT_TRUE(rig.Printed("Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО"));
    std::vector<TFakeCall> strip;
    for (const auto& call : rig.Printer.Calls)
        if (call.Kind == TFakeCall::fcRectangle && call.Colour != 255u && call.Colour != 8421504u &&
            call.Colour != 16711680u)
            strip.push_back(call);
    ASSERT_EQ(strip.size(), 2u);
    EXPECT_EQ(strip[0].Colour, 65535u);
    EXPECT_EQ(strip[1].Colour, 32768u);
    EXPECT_EQ(strip[0].X2 - strip[0].X, 390); // 33 mm
    EXPECT_EQ(rig.Lp.PageBorders, BorderBit(pbTop));
    EXPECT_EQ(rig.Lp.TableFormat, "<G65535:33|<G32768:33");
}

TEST(Report, ThresholdIsStrictZeroRowsAndNoColours) {
    TRig rig;
    TReportData data = RussianWord("ь"); // no sounds, no colours
    data.Values[0] = 0.25;
    data.Values[1] = -0.2501;
    PrintEvaluationReport(rig.Lp, data);
    const auto good = rig.Row("Хороший");
    EXPECT_FALSE(good[0].Font.Bold);
    EXPECT_EQ(rig.Bars(good[0].Y)[0].Colour, 8421504u);
    const auto pretty = rig.Row("красивый");
    EXPECT_TRUE(pretty[0].Font.Bold);
    EXPECT_EQ(rig.Bars(pretty[0].Y)[0].Colour, 16711680u);
    const auto safe = rig.Row("Безопасный");
    EXPECT_EQ(safe[1].Text, "0");
    EXPECT_TRUE(rig.Bars(safe[0].Y).empty());
    EXPECT_EQ(rig.Lp.TableFormat, ""); // no class qualifies: an empty row
    EXPECT_EQ(rig.Printer.Texts().back().Text, "");
}

TEST(Report, WiderFontsWidenTheNameColumns) {
    std::vector<std::array<int, 3>> widths; // names, bars, number (mm)
    for (const double size : {10.0, 14.0}) {
        TRig rig;
        TPrinterFont font = rig.Lp.Font();
        font.SizePoints = size;
        rig.Lp.SetFont(font);
        QString rowFormat;
        rig.Lp.OnNewLine = [&](TLinePrinter& lp) {
            if (rowFormat.isEmpty() && lp.TableFormat.contains("|>G")) rowFormat = lp.TableFormat;
        };
        PrintEvaluationReport(rig.Lp, RussianWord("мо*ре"));
        // "<T0:P|>G255:B|>T0:N|<G16711680:B|>T0:P"
        const QStringList specs = rowFormat.split('|');
        ASSERT_EQ(specs.size(), 5);
        widths.push_back({specs[0].section(':', 1).toInt(), specs[1].section(':', 1).toInt(),
                          specs[2].section(':', 1).toInt()});
        EXPECT_EQ(specs[4], ">" + specs[0].mid(1)); // the right names: the same width, right-aligned
        const int total = 2 * widths.back()[0] + 2 * widths.back()[1] + widths.back()[2];
        EXPECT_TRUE(total == 159 || total == 160) << total;
    }
    EXPECT_GT(widths[1][0], widths[0][0]); // wider names
    EXPECT_GT(widths[1][2], widths[0][2]); // a wider number
    EXPECT_LT(widths[1][1], widths[0][1]); // narrower bars
}

// On paper narrower than A4 the report is scaled as a whole: every pole name and the right header
// stand inside the text area; paper too narrow for half its size is refused before any job.
TEST(Report, FitsItsPaperOrSaysItCannot) {
    const struct {
        const char* Paper;
        int Width, Height; // pixels at 300 dpi, portrait
        TPrinterOrientation Orientation;
        bool Fits;
    } papers[] = {
        {"A4", 2480, 3508, TPrinterOrientation::poPortrait, true},
        {"A5", 1748, 2480, TPrinterOrientation::poPortrait, true},
        {"A6 landscape", 1240, 1748, TPrinterOrientation::poLandscape, true},
        {"A3 landscape", 3508, 4961, TPrinterOrientation::poLandscape, true},
        {"A6", 1240, 1748, TPrinterOrientation::poPortrait, false},
    };
    for (const auto& paper : papers) {
        SCOPED_TRACE(paper.Paper);
        TRig rig;
        rig.Printer.PaperWidthPixels = paper.Width;
        rig.Printer.PaperHeightPixels = paper.Height;
        rig.Lp.SetOrientation(paper.Orientation);
        const double size = rig.Lp.Font().SizePoints;
        if (!paper.Fits) {
            try {
                PrintEvaluationReport(rig.Lp, RussianWord("мо*ре"));
                ADD_FAILURE() << "printed";
            } catch (const ELinePrinter& error) {
                EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("Отчёт не помещается на бумаге")) << error.what();
            }
            EXPECT_TRUE(rig.Printer.Calls.empty());
            continue;
        }
        PrintEvaluationReport(rig.Lp, RussianWord("мо*ре"));
        const int right = rig.Lp.TextArea().Left + rig.Lp.TextArea().Width;
        int names = 0;
        for (const auto& call : rig.Printer.Texts()) {
            TFakePrinter measure;
            measure.Font() = call.Font;
            EXPECT_LE(call.X + measure.TextWidth(call.Text), right + 1) << call.Text.toStdString();
            for (int scale = 1; scale <= 24; ++scale) names += call.Text == RussianRightName(scale);
        }
        EXPECT_EQ(names, 24);
        EXPECT_EQ(rig.Printer.Texts()[2].Text, MakerAddress); // the right header
        EXPECT_EQ(rig.Lp.Font().SizePoints, size) << "the document's font is left as it was";
    }
}

TEST(Report, UkrainianTextWithCommaNumbers) {
    TRig rig;
    TUkrTextEvaluator text;
    text.UkrCountTextWords(Utf8ToCp1251("мама"));
    text.UkrEvaluateText(TEvalScheme::esLevitsky);
    PrintEvaluationReport(rig.Lp, UkrainianTextReport("Untitled", text, true,
                                                      QString::fromStdString(Cp1251ToUtf8(
                                                          UkrainianTextComment(text.UkrTextProfile)))));
    EXPECT_TRUE(rig.Printed("Язык : Украинский"));
    EXPECT_TRUE(rig.Printed("Файл : Untitled"));
    EXPECT_TRUE(rig.Printed("Алгоритм В.В.Левицкого"));
    EXPECT_EQ(rig.Row("Большой")[1].Text, "30,7");
    EXPECT_EQ(rig.Row("Быстрый")[1].Text, "-19,0");
    // Сильный has the largest value: its bar fills the column.
    const auto strong = rig.Row("Сильный");
    EXPECT_EQ(strong[1].Text, "34,8");
    const auto weak = rig.Row("Большой");
    EXPECT_GT(rig.Bars(strong[0].Y)[0].X2 - rig.Bars(strong[0].Y)[0].X,
              rig.Bars(weak[0].Y)[0].X2 - rig.Bars(weak[0].Y)[0].X);
}

TEST(Report, UkrainianWordLimitsItsWordLine) {
    TRig rig;
    TUkrWordEvaluator word;
    const QString long60 = QString(60, QChar(0x0430));
    word.UkrEvaluateWordZhuravlev(Utf8ToCp1251(long60.toStdString()));
    PrintEvaluationReport(rig.Lp, UkrainianWordReport(long60, word, false, "x"));
    EXPECT_TRUE(rig.Printed("Язык  : Украинский"));
    EXPECT_TRUE(rig.Printed(("Слово : " + long60).left(58)));
}

TEST(Report, CancelledSettingsPrintNothing) {
    struct THost : IReportHost {
        TFakePrinter Printer;
        TLinePrinter Lp{Printer};
        bool Accept = false;
        TLinePrinter& ReportPrinter() override { return Lp; }
        bool EditPrintSettings(TLinePrinter& printer) override {
            printer.SetMeasureUnit(muMillimeters);
            return Accept;
        }
    } host;
    SetReportHost(&host);
    EXPECT_FALSE(PrintReportThroughHost(RussianWord("кот")));
    EXPECT_TRUE(host.Printer.Calls.empty());
    host.Accept = true;
    EXPECT_TRUE(PrintReportThroughHost(RussianWord("кот", true)));
    EXPECT_FALSE(host.Printer.Calls.empty());
    SetReportHost(nullptr);
    EXPECT_FALSE(PrintReportThroughHost(RussianWord("кот")));
}

namespace {

// The four kinds of report, each with a comment of `commentLines` lines.
std::vector<TReportData> EveryKind(int commentLines) {
    QStringList comment;
    for (int i = 0; i < commentLines; ++i) comment.push_back(QStringLiteral("строка комментария %1").arg(i + 1));
    std::vector<TReportData> reports;
    TReportData ru = RussianWord("мо*ре");
    ru.Comment = comment;
    reports.push_back(ru);
    TTextEvaluator text;
    text.CountTextWords(Utf8ToCp1251("Мама мыла раму, а папа читал газету."));
    text.EvaluateText(TEvalScheme::esZhuravlev);
    reports.push_back(RussianTextReport("Untitled", text, text.TextProfileMaxAbs(), false, comment.join('\n')));
    reports.back().Comment = comment;
    TUkrWordEvaluator word;
    word.UkrEvaluateWordZhuravlev(Utf8ToCp1251("мо*ва"));
    reports.push_back(UkrainianWordReport("мо*ва", word, false, comment.join('\n')));
    reports.back().Comment = comment;
    TUkrTextEvaluator ukr;
    ukr.UkrCountTextWords(Utf8ToCp1251("Мама мила раму."));
    ukr.UkrEvaluateText(TEvalScheme::esLevitsky);
    reports.push_back(UkrainianTextReport("Untitled", ukr, true, comment.join('\n')));
    reports.back().Comment = comment;
    return reports;
}

} // namespace

TEST(Report, LongReportsPrintEveryPageWithItsHeader) {
    for (const TLineSpacing spacing : {lsSingleAndAHalf, lsDoubleSpace})
        for (const int points : {12, 16}) // two and three pages and more
            for (const TReportData& report : EveryKind(points == 12 ? 25 : 45)) {
                SCOPED_TRACE(std::to_string(int(spacing)) + " spacing, " + std::to_string(points) + " points, kind " +
                             std::to_string(int(report.Kind)));
                TRig rig;
                rig.Lp.SetLineSpacing(spacing);
                TPrinterFont font = rig.Lp.Font();
                font.SizePoints = points;
                rig.Lp.SetFont(font);
                ASSERT_NO_THROW(PrintEvaluationReport(rig.Lp, report));
                EXPECT_FALSE(rig.Lp.Printing());
                const auto texts = rig.Printer.Texts();
                const int pages = texts.back().Page;
                EXPECT_GE(pages, points == 16 ? 3 : 2);
                // Every page starts with the header of three cells at the first page's places.
                for (int page = 1; page <= pages; ++page) {
                    std::vector<TFakeCall> header;
                    for (const auto& t : texts)
                        if (t.Page == page && t.Y == texts[0].Y) header.push_back(t);
                    ASSERT_EQ(header.size(), 3u) << "page " << page;
                    EXPECT_EQ(header[1].Text, "Проект ЗЕЛМ");
                    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(header[i].X, texts[i].X) << "page " << page;
                }
                // Bars on every page hug the number column as on the first page (a red bar ends
                // where it ends there, a blue one starts where it starts), all within the text
                // area; the colour strip after the heading is left out.
                const TLinePrinter::TTextArea area = rig.Lp.TextArea();
                const int middle = area.Left + area.Width / 2; // inside the number column
                int leftEdge = -1, rightEdge = -1, bars = 0;
                for (const auto& call : rig.Printer.Calls) {
                    if (call.Kind == TFakeCall::fcText && call.Text.startsWith("Звуко-цветовая")) break;
                    if (call.Kind != TFakeCall::fcRectangle) continue;
                    if (call.X2 <= middle && leftEdge < 0) leftEdge = call.X2;
                    if (call.X >= middle && rightEdge < 0) rightEdge = call.X;
                }
                for (const auto& call : rig.Printer.Calls) {
                    if (call.Kind == TFakeCall::fcText && call.Text.startsWith("Звуко-цветовая")) break;
                    if (call.Kind != TFakeCall::fcRectangle) continue;
                    ++bars;
                    EXPECT_TRUE((call.X2 <= middle && call.X2 == leftEdge) || (call.X >= middle && call.X == rightEdge))
                        << "page " << call.Page << ": " << call.X << ".." << call.X2;
                    EXPECT_GE(call.Y, area.Top);
                    EXPECT_LE(call.Y2, area.Top + area.Height);
                }
                EXPECT_GT(bars, 0);
                for (const auto& t : texts) {
                    if (t.Y == texts[0].Y) continue;
                    EXPECT_GE(t.Y, area.Top) << t.Text.toStdString();
                    EXPECT_LT(t.Y, area.Top + area.Height) << t.Text.toStdString();
                }
                EXPECT_EQ(rig.Printer.Calls.back().Kind, TFakeCall::fcEndJob);
            }
}

TEST(Report, AFailedJobIsAbortedAndTheNextPrintWorks) {
    TRig rig;
    rig.Printer.FailNewPage = true;
    TPrinterFont font = rig.Lp.Font();
    font.SizePoints = 20;
    rig.Lp.SetFont(font);
    rig.Lp.SetLineSpacing(lsDoubleSpace);
    EXPECT_THROW(PrintEvaluationReport(rig.Lp, RussianWord("мо*ре")), ELinePrinter);
    EXPECT_FALSE(rig.Lp.Printing());
    EXPECT_EQ(rig.Printer.Calls.back().Kind, TFakeCall::fcAbortJob);
    // The same line printer takes new settings and prints a document.
    rig.Printer.FailNewPage = false;
    rig.Printer.Calls.clear();
    EXPECT_NO_THROW(rig.Lp.SetMarginTop(30));
    rig.Lp.Header.clear();
    rig.Lp.Lines = QStringList{"первая", "вторая"};
    rig.Lp.PageBorders = 0;
    rig.Lp.BeginDoc();
    rig.Lp.PrintLines();
    rig.Lp.EndDoc();
    ASSERT_EQ(rig.Printer.Texts().size(), 2u);
    EXPECT_EQ(rig.Printer.Texts()[1].Text, "вторая");
    EXPECT_EQ(rig.Printer.Calls.back().Kind, TFakeCall::fcEndJob);
    // A bad row fails the job as well, and it is aborted.
    rig.Lp.TableFormat = "G10";
    EXPECT_THROW(
        {
            const TPrintJobGuard guard(rig.Lp);
            rig.Lp.BeginDoc();
            rig.Lp.PrintTableRow("not a number");
        },
        EConvertError);
    EXPECT_FALSE(rig.Lp.Printing());
}

ZELM_QT_TEST_MAIN
