#include "FakePrinter.h"
#include "LinePrnt.h"
#include "QtTestMain.h"

#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

using namespace zelm;

namespace {

constexpr int Char = 25, Line = 42; // the fake's 10-point character width and height

// A line printer on the fake printer, with the text area cut down to `width` x `height` pixels
// (through the right and bottom margins, in inches).
struct TRig {
    TFakePrinter Printer;
    TLinePrinter Lp{Printer};
    explicit TRig(int width = 0, int height = 0, bool available = true) : Printer(available), Lp(Printer) {
        if (width > 0) Lp.SetMarginRight(0.25f + float(2330 - width) / 300.f);
        if (height > 0) Lp.SetMarginBottom(0.25f + float(3358 - height) / 300.f);
    }
    std::vector<QString> Texts(int page = 0) const {
        std::vector<QString> texts;
        for (const auto& call : Printer.Texts())
            if (page == 0 || call.Page == page) texts.push_back(call.Text);
        return texts;
    }
    int Count(TFakeCall::TKind kind) const {
        int n = 0;
        for (const auto& call : Printer.Calls) n += call.Kind == kind ? 1 : 0;
        return n;
    }
};

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(LinePrinter, DefaultsAndGeometry) {
    TRig rig;
    EXPECT_EQ(rig.Lp.Font().Name, "Courier New");
    EXPECT_EQ(rig.Lp.Font().SizePoints, 10);
    EXPECT_EQ(rig.Lp.Font().PixelsPerInch, 300);
    EXPECT_EQ(rig.Lp.LineHeight(), unsigned(Line));
    EXPECT_FLOAT_EQ(rig.Lp.MarginLeft(), 0.25f);
    EXPECT_NEAR(rig.Lp.MinimumRight(), 0.25f, 1e-5);
    const auto area = rig.Lp.TextArea();
    EXPECT_EQ(area.Left, 0);
    EXPECT_EQ(area.Width, 2330);
    EXPECT_EQ(area.Height, 3358);
}

TEST(LinePrinter, PagesHoldTheLinesWhoseBandEndsAboveTheBottom) {
    for (const auto& [height, perPage] : {std::pair{10 * Line, 9}, std::pair{10 * Line + Line / 2, 10}}) {
        TRig rig(0, height);
        rig.Lp.BeginDoc();
        for (int i = 0; i < 2 * perPage + 1; ++i) rig.Lp.PrintLine(QString::number(i));
        rig.Lp.EndDoc();
        EXPECT_EQ(rig.Texts(1).size(), std::size_t(perPage)) << height;
        EXPECT_EQ(rig.Texts(2).size(), std::size_t(perPage)) << height;
        EXPECT_EQ(rig.Texts(3).size(), 1u) << height;
        EXPECT_EQ(rig.Printer.Texts()[1].Y, Line);
    }
}

// A page the text fills exactly is the last one: no empty sheet follows it, for lines and rows.
TEST(LinePrinter, AFullLastPageGetsNoEmptyPageAfterIt) {
    for (const bool rows : {false, true})
        for (const auto& [lines, pages] : {std::pair{8, 1}, std::pair{9, 1}, std::pair{10, 2}, std::pair{18, 2},
                                           std::pair{19, 3}}) {
            TRig rig(0, 10 * Line); // 9 lines a page
            rig.Lp.TableFormat = "T20";
            rig.Lp.BeginDoc();
            for (int i = 0; i < lines; ++i) rows ? rig.Lp.PrintTableRow(QString::number(i)) : rig.Lp.PrintLine(QString::number(i));
            rig.Lp.EndDoc();
            EXPECT_EQ(rig.Count(TFakeCall::fcNewPage) + 1, pages) << lines << (rows ? " rows" : " lines");
            EXPECT_EQ(rig.Texts(pages).back(), QString::number(lines - 1));
        }
}

// Lines of any length wrap into pieces of the longest fitting length, whole and in order,
// around the length from which fitting first probes short prefixes.
TEST(LinePrinter, LinesOfAnyLengthWrapWhole) {
    for (const int length : {255, 256, 257, 511, 4000, 100000}) {
        TRig rig(80 * Char + 10);
        const QString word(length, QLatin1Char('x'));
        QString words;
        while (words.size() < length) words += QStringLiteral("abcdefg ");
        rig.Lp.BeginDoc();
        rig.Lp.PrintLine(word);
        const std::size_t wordPieces = rig.Texts().size();
        rig.Lp.PrintLine(words);
        rig.Lp.EndDoc();
        const std::vector<QString> texts = rig.Texts();
        EXPECT_EQ(wordPieces, std::size_t((length + 79) / 80)) << length;
        QString joined;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i < wordPieces) {
                EXPECT_EQ(texts[i].size(), i + 1 < wordPieces ? 80 : (length - 1) % 80 + 1) << length;
            } else {
                EXPECT_EQ(texts[i].size(), i + 1 < texts.size() ? 80 : texts[i].size()) << length; // ten words a line
                joined += texts[i];
            }
        }
        EXPECT_EQ(joined, words) << length;
    }
}

TEST(LinePrinter, WrapsAtBlanksAndBreaksLongWords) {
    TRig rig(9 * Char);
    rig.Lp.BeginDoc();
    rig.Lp.PrintLine("abc def ghi");
    rig.Lp.PrintLine("abcdefghijklmnopqrstuvwxyz");
    rig.Lp.PrintLine("123456789");  // exactly as wide as the area
    rig.Lp.PrintLine("1234567890"); // one character wider
    rig.Lp.EndDoc();
    EXPECT_EQ(rig.Texts(), (std::vector<QString>{"abc def ", "ghi", "abcdefghi", "jklmnopqr", "stuvwxyz", "123456789",
                                                 "123456789", "0"}));

    TRig cut(9 * Char);
    cut.Lp.WordWrap = false;
    cut.Lp.BeginDoc();
    cut.Lp.PrintLine("abc def ghi");
    cut.Lp.EndDoc();
    EXPECT_EQ(cut.Texts(), (std::vector<QString>{"abc def g"}));
}

TEST(LinePrinter, TabsAlignmentAndDegenerateAreas) {
    TRig rig;
    rig.Lp.BeginDoc();
    rig.Lp.PrintLine("a\tb");
    rig.Lp.PrintLine("abcdefgh\tb");
    rig.Lp.TabSize = 0;
    rig.Lp.PrintLine("a\tb");
    rig.Lp.Alignment = paRight;
    rig.Lp.PrintLine("xy");
    rig.Lp.Alignment = paCenter;
    rig.Lp.PrintLine("xy");
    rig.Lp.EndDoc();
    const auto texts = rig.Printer.Texts();
    EXPECT_EQ(texts[0].Text, "a       b");
    EXPECT_EQ(texts[1].Text, "abcdefgh        b");
    EXPECT_EQ(texts[2].Text, "a b");
    EXPECT_EQ(texts[3].X, 2330 - 2 * Char);
    EXPECT_EQ(texts[4].X, (2330 - 2 * Char) / 2);

    // Narrower than one character: one character a line, and it ends.
    TRig narrow(10);
    narrow.Lp.BeginDoc();
    narrow.Lp.PrintLine("abc");
    narrow.Lp.EndDoc();
    EXPECT_EQ(narrow.Texts(), (std::vector<QString>{"a", "b", "c"}));

    // Margins wider than the paper: nothing is printed, no page is turned.
    TRig none;
    none.Lp.SetMarginLeft(5);
    none.Lp.SetMarginRight(5);
    none.Lp.BeginDoc();
    for (int i = 0; i < 5; ++i) none.Lp.PrintLine("text");
    none.Lp.PrintTableRow("a|b");
    none.Lp.EndDoc();
    EXPECT_TRUE(none.Texts().empty());
    EXPECT_EQ(none.Count(TFakeCall::fcNewPage), 0);
}

TEST(LinePrinter, TableRowsFollowTheColumnFormat) {
    TRig rig;
    rig.Lp.SetMeasureUnit(muMillimeters);
    rig.Lp.TableFormat = "<T0:55|^T0:50|>T0:55";
    rig.Lp.BeginDoc();
    rig.Lp.PrintTableRow("left|mid");
    rig.Lp.PrintTableRow("1|2|3|4");
    rig.Lp.EndDoc();
    const int w55 = 650, w50 = 591; // 55 mm and 50 mm at 300 dpi, rounded
    const auto texts = rig.Printer.Texts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0].X, 0);
    EXPECT_EQ(texts[1].Text, "mid");
    EXPECT_EQ(texts[1].X, w55 + (w50 - 3 * Char) / 2);
    EXPECT_EQ(texts[2].Text, "");
    EXPECT_EQ(texts[5].Text, "3");
    EXPECT_EQ(texts[5].X, w55 + w50 + w55 - Char);
    EXPECT_EQ(texts[3].Y, Line);
}

TEST(LinePrinter, BarColumnsDrawPercentagesOfTheirWidth) {
    TRig rig;
    rig.Lp.SetMeasureUnit(muMillimeters);
    rig.Lp.TableFormat = ">G255:40|<G16711680:40";
    rig.Lp.BeginDoc();
    rig.Lp.PrintTableRow("50|0");
    rig.Lp.PrintTableRow("0|25,5");
    rig.Lp.EndDoc();
    std::vector<TFakeCall> bars;
    for (const auto& call : rig.Printer.Calls)
        if (call.Kind == TFakeCall::fcRectangle) bars.push_back(call);
    ASSERT_EQ(bars.size(), 2u); // a zero bar draws nothing
    const int w40 = 472;
    EXPECT_EQ(bars[0].X, w40 - 236);
    EXPECT_EQ(bars[0].X2, w40);
    EXPECT_EQ(bars[0].Colour, 255u);
    EXPECT_EQ(bars[0].PenColour, 0xFFFFFFu);
    EXPECT_EQ(bars[0].Y2, Line - 2);
    EXPECT_EQ(bars[1].X, w40);
    EXPECT_EQ(bars[1].X2, w40 + 120); // 25.5 % of 472, halves to even
    EXPECT_EQ(bars[1].Colour, 16711680u);
    EXPECT_EQ(rig.Printer.BrushColour(), 0xFFFFFFu); // restored
}

TEST(LinePrinter, BadRowsRaiseBeforeDrawingAnything) {
    TRig rig;
    rig.Lp.TableFormat = "T1|G255:1";
    rig.Lp.BeginDoc();
    EXPECT_THROW(rig.Lp.PrintTableRow("text|abc"), EConvertError);
    EXPECT_THROW(rig.Lp.PrintTableRow("text|"), EConvertError);
    rig.Lp.TableFormat = "T:20";
    EXPECT_THROW(rig.Lp.PrintTableRow("text"), EConvertError);
    rig.Lp.EndDoc();
    EXPECT_TRUE(rig.Texts().empty());

    // An empty spec is a column of DefaultColWidth (0): its cell shows at most one character.
    TRig empty;
    empty.Lp.TableFormat = "|T1";
    empty.Lp.BeginDoc();
    empty.Lp.PrintTableRow("abc|def");
    empty.Lp.EndDoc();
    EXPECT_EQ(empty.Texts(), (std::vector<QString>{"a", "def"}));
}

TEST(LinePrinter, HeaderFooterTokensAndBorders) {
    TRig rig;
    rig.Lp.SetMarginTop(1.25f); // top and bottom margins of 300 pixels
    rig.Lp.SetMarginBottom(1.25f);
    rig.Lp.SetTitle("Report {$TITLE}");
    rig.Lp.TableFormat = "T8";
    rig.Lp.Header = "{$PAGE}/{$TITLE}";
    rig.Lp.Footer = "f{$LINE}";
    rig.Lp.PageBorders = AllBorders;
    rig.Lp.BeginDoc();
    rig.Lp.PrintLine("body");
    rig.Lp.NewPage();
    rig.Lp.EndDoc();
    const auto texts = rig.Printer.Texts();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(texts[0].Text, "1/{$TITLE}"); // the title holds the token: it stays
    EXPECT_EQ(texts[0].Y, (300 - Line) / 2);
    EXPECT_EQ(texts[1].Text, "f0");
    EXPECT_EQ(texts[1].Y, 300 + (3358 - 600) + (300 - Line) / 2);
    EXPECT_EQ(texts[3].Text, "2/{$TITLE}");
    EXPECT_EQ(texts[4].Text, "f1"); // the line counter of the page before
    int lines = 0;
    for (const auto& call : rig.Printer.Calls)
        if (call.Kind == TFakeCall::fcLine && call.Page == 1) {
            ++lines;
            EXPECT_EQ(call.PenWidth, 2);
        }
    EXPECT_EQ(lines, 4);

    // A margin lower than a line has no room for its row: it is not drawn.
    TRig low;
    low.Lp.TableFormat = "T8";
    low.Lp.Header = "head";
    low.Lp.BeginDoc();
    low.Lp.PrintLine("body");
    low.Lp.EndDoc();
    EXPECT_EQ(low.Texts(), (std::vector<QString>{"body"}));
}

TEST(LinePrinter, PropertyRulesAndMessages) {
    TRig rig;
    rig.Lp.SetMarginLeft(0);
    EXPECT_FLOAT_EQ(rig.Lp.MarginLeft(), 0.25f);
    rig.Lp.SetMarginTop(100);
    EXPECT_FLOAT_EQ(rig.Lp.MarginTop(), 3508.f / 300 - 0.25f);
    rig.Lp.SetMarginTop(1);
    rig.Lp.SetMarginLeft(1);
    rig.Lp.SetMeasureUnit(muMillimeters);
    EXPECT_FLOAT_EQ(rig.Lp.MarginTop(), 25.4f);
    EXPECT_FLOAT_EQ(rig.Lp.MarginLeft(), 25.4f);
    EXPECT_EQ(Message([&] { rig.Lp.SetDefaultColWidth(-1); }), "DefaultColWidth must be greater than or equal to 0");
    EXPECT_EQ(rig.Lp.DefaultColWidth(), 0);

    TPrinterFont small = rig.Lp.Font();
    small.SizePoints = 6; // 25 pixels high
    rig.Lp.SetFont(small);
    rig.Lp.SetLineSpacing(lsSingleAndAHalf);
    EXPECT_EQ(rig.Lp.LineHeight(), 37u);
    rig.Lp.SetLineSpacing(lsDoubleSpace);
    EXPECT_EQ(rig.Lp.LineHeight(), 50u);

    EXPECT_EQ(Message([&] { rig.Lp.EndDoc(); }), "Unable to finish printing.");
    EXPECT_EQ(Message([&] { rig.Lp.NewPage(); }), "Unable to print a new page.");
    rig.Lp.BeginDoc();
    EXPECT_EQ(Message([&] { rig.Lp.BeginDoc(); }), "Unable to begin printing.");
    EXPECT_EQ(Message([&] { rig.Lp.SetMarginLeft(1); }), "Unable to change left margin while printing");
    EXPECT_EQ(Message([&] { rig.Lp.SetMarginBottom(1); }), "Unable to change bottom margin while printing");
    EXPECT_EQ(Message([&] { rig.Lp.SetTitle("x"); }), "Unable to change title while printing");
    EXPECT_EQ(Message([&] { rig.Lp.SetOrientation(TPrinterOrientation::poLandscape); }),
              "Unable to change orientation while printing");
    EXPECT_EQ(Message([&] { rig.Lp.SetMeasureUnit(muInches); }), "Unable to change top margin while printing");
    rig.Lp.EndDoc();
}

TEST(LinePrinter, WithoutAPrinterItFallsBack) {
    TRig rig(0, 0, false);
    EXPECT_EQ(rig.Lp.LineHeight(), 10u);
    EXPECT_FLOAT_EQ(rig.Lp.PaperWidth(), 8.5f);
    EXPECT_NEAR(rig.Lp.MinimumRight(), 0.25f, 1e-5);
    rig.Lp.SetMeasureUnit(muMillimeters);
    EXPECT_FLOAT_EQ(rig.Lp.PrintableHeight(), 284.f);
    EXPECT_EQ(Message([&] { rig.Lp.BeginDoc(); }), "Unable to begin printing.");
    EXPECT_THROW(rig.Lp.TextWidthInUnits("x"), EPrinterError);
}

TEST(LinePrinter, EventsAndPrintLines) {
    TRig rig;
    std::string events;
    rig.Lp.OnBeginDoc = [&](TLinePrinter&) { events += "B"; };
    rig.Lp.OnEndDoc = [&](TLinePrinter&) { events += "E"; };
    rig.Lp.OnNewPage = [&](TLinePrinter&) { events += "P"; };
    rig.Lp.OnNewLine = [&](TLinePrinter&) { events += "L"; };
    rig.Lp.Lines = {"one", "a|b"};
    rig.Lp.TableFormat = "T1|T1";
    rig.Lp.BeginDoc();
    rig.Lp.PrintLines();
    rig.Lp.LinesAsTable = true;
    rig.Lp.PrintLines();
    rig.Lp.EndDoc();
    EXPECT_EQ(events, "BPLLLLLE");
    EXPECT_EQ(rig.Texts(), (std::vector<QString>{"one", "a|b", "one", "", "a", "b"}));
    EXPECT_FLOAT_EQ(rig.Lp.TextWidthInUnits("abcd"), 100.f / 300);
}

TEST(PrintProgress, ShownPageByPageAndGoneAfterTheJob) {
    TRig rig(0, 3 * Line);
    rig.Lp.ShowProgress = true;
    rig.Lp.SetTitle("Job");
    EXPECT_EQ(rig.Lp.ProgressDialog(), nullptr);
    std::vector<QString> pages;
    rig.Lp.OnNewLine = [&](TLinePrinter& lp) {
        if (!lp.ProgressDialog()) return;
        const QString page = lp.ProgressDialog()->lblPageNumber->text();
        if (pages.empty() || pages.back() != page) pages.push_back(page);
    };
    rig.Lp.BeginDoc();
    ASSERT_NE(rig.Lp.ProgressDialog(), nullptr);
    EXPECT_EQ(rig.Lp.ProgressDialog()->windowTitle(), "Print Progress");
    EXPECT_EQ(rig.Lp.ProgressDialog()->lblStatus->text(), "Currently Printing");
    EXPECT_EQ(rig.Lp.ProgressDialog()->lblTitle->text(), "Job");
    // Its own thin frame and caption, no window manager's buttons: 293 x 111 outside.
    EXPECT_EQ(rig.Lp.ProgressDialog()->frameGeometry().size(), QSize(293, 111));
    // Centred on the screen.
    EXPECT_EQ(rig.Lp.ProgressDialog()->frameGeometry().center(), rig.Lp.ProgressDialog()->screen()->geometry().center());
    const Qt::WindowFlags flags = rig.Lp.ProgressDialog()->windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint));
    EXPECT_EQ(rig.Lp.ProgressDialog()->findChild<QLabel*>("caption")->text(), "Print Progress");
    rig.Lp.ProgressDialog()->close(); // closing it does nothing while the job prints
    EXPECT_TRUE(rig.Lp.ProgressDialog()->isVisible());
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    for (int i = 0; i < 5; ++i) rig.Lp.PrintLine("x");
    rig.Lp.EndDoc();
    EXPECT_EQ(pages, (std::vector<QString>{"1", "2", "3"}));
    EXPECT_EQ(rig.Lp.ProgressDialog(), nullptr);

    rig.Lp.BeginDoc();
    EXPECT_NE(rig.Lp.ProgressDialog(), nullptr);
    rig.Lp.ShowProgress = false;
    rig.Lp.NewPage();
    EXPECT_EQ(rig.Lp.ProgressDialog(), nullptr);
    rig.Lp.EndDoc();
}

TEST(LinePrinter, TimeTokenPrintsTheClockWithoutAZone) {
    for (const char* name : {"C", "ru_RU", "uk_UA", "en_US"}) {
        const QString text = LongTime(QTime(23, 4, 53), QLocale(name));
        EXPECT_TRUE(text.contains("23:04:53") || text.contains("11:04:53")) << name << ": " << text.toStdString();
        EXPECT_FALSE(text.contains("UTC") || text.contains("GMT")) << name;
        EXPECT_EQ(text, text.trimmed());
    }
}

ZELM_QT_TEST_MAIN
