#include "Cp1251.h"
#include "Engines.h"
#include "QtTestMain.h"
#include "UAbout.h"
#include "UMainTxt.h"
#include "UMainWrd.h"
#include "UUkrMainWord.h"

#include "Version.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <QAccessible>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

using namespace zelm;

namespace {

QColor Pixel(QWidget* widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

// The colour in the middle of a grid cell's bar band, near the given column edge.
QColor BarPixel(TDrawGrid* grid, int column, int row, bool nearRight) {
    const QRect cell = grid->CellRect(column, row);
    const QPoint origin = grid->viewport()->mapTo(grid, QPoint(0, 0));
    const int x = nearRight ? cell.left() + cell.width() - 2 : cell.left() + 1;
    return Pixel(grid, origin + QPoint(x, cell.top() + cell.height() / 2));
}

// Pixels of a cell that are text (dark), not background or bar, as the grid shows them.
// With `leftmost`, only in the cell's first `leftmost` columns of pixels.
int TextPixels(TDrawGrid* grid, int column, int row, int leftmost = 0) {
    grid->viewport()->repaint();
    const QImage image = grid->viewport()->grab().toImage();
    QRect cell = grid->CellRect(column, row).intersected(image.rect());
    if (leftmost > 0) cell.setWidth(leftmost);
    int count = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) < 100) ++count;
        }
    return count;
}

// The widest values of rows 0 and 1 (negative, positive) stay inside the value column, whole: the
// bar columns beside it carry no text, while the value column does, clear of its left edge (a
// value cut there loses its sign or first digit).
void ExpectValueTextsInTheirColumn(TDrawGrid* grid, const char* window) {
    for (int row = 0; row < 2; ++row) {
        EXPECT_GT(TextPixels(grid, 2, row), 10) << window << ", row " << row;
        EXPECT_EQ(TextPixels(grid, 2, row, 1), 0) << window << ", row " << row << ": the value is cut";
        EXPECT_EQ(TextPixels(grid, 1, row), 0) << window << ", row " << row;
        EXPECT_EQ(TextPixels(grid, 3, row), 0) << window << ", row " << row;
    }
}

void Type(QWidget* target, const QString& text) {
    for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void Screenshot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("ZELM_SCREENSHOTS");
    if (!folder.isEmpty()) window->grab().save(QDir(folder).filePath(name));
}

// Runs `answer` on the next modal dialog once it is shown.
void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) answer(dialog);
        else AnswerNextDialog(answer);
    });
}

std::vector<QString> History(QComboBox* box) {
    std::vector<QString> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(box->itemText(i));
    return items;
}

} // namespace

TEST(BipolarGrid, ValueTextsAndTheGistControl) {
    EXPECT_EQ(PercentText(-1.0), "-100%");
    EXPECT_EQ(PercentText(0.125), "12%");
    EXPECT_EQ(PercentText(-0.004), "-0%");
    EXPECT_EQ(PercentText(0.3376), "34%");
    EXPECT_EQ(FixedPointText(0, 5, 1), "  0.0");
    EXPECT_EQ(FixedPointText(-12.34, 5, 1), "-12.3");

    TBiGist gist;
    EXPECT_EQ(gist.ValueCount(), 0);
    EXPECT_EQ(gist.HolePart, 3);
    EXPECT_EQ(gist.PlusColor(), 255u);
    EXPECT_EQ(gist.MinusColor(), 16711680u);
    EXPECT_EQ(gist.MaxAbsValue, 1.0f);
    gist.SetValueCount(3);
    try {
        gist.SetValue(3, 1);
        FAIL();
    } catch (const EListIndexError& e) {
        EXPECT_STREQ(e.what(), "Index out of range");
    }
    EXPECT_THROW(gist.Value(-1), EListIndexError);
    EXPECT_EQ(gist.UpdateMaxAbs(), 1.0f);
    gist.SetValue(1, -40);
    EXPECT_EQ(gist.UpdateMaxAbs(), 40.0f);
    EXPECT_EQ(TBiGist::LeftLabelPart("Большой\tМаленький"), "Большой");
    EXPECT_EQ(TBiGist::RightLabelPart("Большой\tМаленький"), "Маленький");
    EXPECT_EQ(TBiGist::RightLabelPart("без"), "без");
    gist.SetRowCount(7);
    gist.SetRandomValues(true);
    EXPECT_EQ(gist.Labels.size(), 7);
    EXPECT_EQ(gist.ValueCount(), 7);
    gist.SetRandomValues(false);
    EXPECT_TRUE(gist.Labels.isEmpty());
}

TEST(RussianWordWindow, EvaluatesCommentsAndKeepsAHistory) {
    WordWindowWord() = Utf8ToCp1251("мо*ре");
    TWordForm form;
    form.show();
    EXPECT_TRUE(form.windowTitle().startsWith("Фоносемантическая оценка слова  (проект ЗЕЛМ)  "));
    EXPECT_EQ(form.size(), QSize(539, 374));
    EXPECT_EQ(form.mComments->toPlainText(), "Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО");
    EXPECT_EQ(form.cmbWord->count(), 0);
    EXPECT_TRUE(form.mnZhuravlev->isChecked());
    EXPECT_EQ(form.mnZhuravlev->text(), "Алгоритм  Журавлева");
    const auto widths = form.grFon24->ColumnWidths();
    EXPECT_EQ(widths[0], widths[4]);
    EXPECT_EQ(widths[0] + widths[1] + widths[2] + widths[3] + widths[4] >= 503 - 1, true);
    // Хороший: 34 %, a red bar hugging the value column; красивый: -6 %, grey on the right.
    EXPECT_EQ(BarPixel(form.grFon24, 1, 0, true), QColor(255, 0, 0));
    EXPECT_EQ(BarPixel(form.grFon24, 3, 1, false), QColor(128, 128, 128));
    Screenshot(&form, "word-ru.png");

    form.btnEval->click();
    form.btnEval->click();
    EXPECT_EQ(History(form.cmbWord), (std::vector<QString>{"мо*ре"}));
    form.cmbWord->setEditText("МО*РЕ");
    form.btnEval->click();
    EXPECT_EQ(History(form.cmbWord), (std::vector<QString>{"мо*ре"}));

    // Typing evaluates at every keystroke and leaves the history alone.
    form.cmbWord->lineEdit()->clear();
    Type(form.cmbWord->lineEdit(), "кот");
    EXPECT_EQ(Cp1251ToUtf8(WordWindowWord()), "кот");
    EXPECT_TRUE(form.mComments->toPlainText().startsWith("Слово КОТ "));
    EXPECT_EQ(History(form.cmbWord).size(), 1u);

    form.mnLevitsky->trigger();
    EXPECT_TRUE(form.mnLevitsky->isChecked());
    EXPECT_FALSE(form.mnZhuravlev->isChecked());
    EXPECT_EQ(form.mComments->toPlainText(),
              "Слово КОТ производит впечатление чего-то  УГЛОВАТОГО,  ГРУБОГО,  ПОДВИЖНОГО,  БЫСТРОГО");
    EXPECT_EQ(History(form.cmbWord), (std::vector<QString>{"кот", "мо*ре"}));
}

TEST(RussianWordWindow, ColourStripAndOpening) {
    WordWindowWord() = Utf8ToCp1251("мама");
    TWordForm form;
    form.show();
    // а: two of three → red over two thirds of the panel.
    const int width = form.stBar->width() - 2;
    EXPECT_EQ(Pixel(form.stBar, {1 + width / 3, 9}), QColor(255, 0, 0));
    EXPECT_NE(Pixel(form.stBar, {width - 2, 9}), QColor(255, 0, 0));
    form.reject();
    EXPECT_EQ(form.cmbWord->currentText(), "");

    // A word without Cyrillic letters is replaced by ЗЕ*ЛМ; blanks and the 51st character go.
    QString seen;
    AnswerNextDialog([&](QWidget* dialog) {
        seen = static_cast<TWordForm*>(dialog)->cmbWord->currentText();
        static_cast<QDialog*>(dialog)->reject();
    });
    OpenRussianWordWindow("  cat ");
    EXPECT_EQ(seen, "ЗЕ*ЛМ");
    AnswerNextDialog([&](QWidget* dialog) {
        seen = static_cast<TWordForm*>(dialog)->cmbWord->currentText();
        static_cast<QDialog*>(dialog)->reject();
    });
    OpenRussianWordWindow(QString(60, QChar(0x0430)));
    EXPECT_EQ(seen, QString(50, QChar(0x0430)));
}

// The combining acute accent after a vowel is the stress mark in every word box, as zelm-cli reads
// it: opened from the main window and typed into the window, in both languages, the values and
// the comment are those of the word written with "*".
TEST(EvalWindows, TheCombiningAcuteIsTheStressMark) {
    const QString acute = QStringLiteral("\u0301");
    QString comment, typedComment;
    std::string opened, typed;
    AnswerNextDialog([&](QWidget* dialog) {
        auto* form = static_cast<TWordForm*>(dialog);
        opened = WordWindowWord();
        comment = form->mComments->toPlainText();
        form->cmbWord->lineEdit()->clear();
        Type(form->cmbWord->lineEdit(), "ко" + acute + "т");
        typed = WordWindowWord();
        form->reject();
    });
    OpenRussianWordWindow("мо" + acute + "ре");
    EXPECT_EQ(Cp1251ToUtf8(opened), "мо*ре");
    EXPECT_EQ(comment, "Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО");
    EXPECT_EQ(Cp1251ToUtf8(typed), "ко*т");
    AnswerNextDialog([&](QWidget* dialog) {
        auto* form = static_cast<TUkrMainForm*>(dialog);
        opened = UkrWindowWord();
        comment = form->mComments->toPlainText();
        form->cbWord->lineEdit()->clear();
        Type(form->cbWord->lineEdit(), "мі" + acute + "ст");
        typed = UkrWindowWord();
        typedComment = form->mComments->toPlainText();
        form->reject();
    });
    OpenUkrainianWordWindow("мо" + acute + "ва");
    EXPECT_EQ(Cp1251ToUtf8(opened), "мо*ва");
    EXPECT_TRUE(comment.contains("МО*ВА")) << comment.toStdString();
    EXPECT_EQ(Cp1251ToUtf8(typed), "мі*ст");
    EXPECT_TRUE(typedComment.contains("МІ*СТ")) << typedComment.toStdString();

    // Several lines pasted into a word box, or opened from one: the first line with a word.
    AnswerNextDialog([&](QWidget* dialog) {
        auto* form = static_cast<TWordForm*>(dialog);
        opened = WordWindowWord();
        form->cmbWord->lineEdit()->clear();
        form->cmbWord->lineEdit()->insert("\r\n  ко" + acute + "т\nи пёс\n"); // as a paste inserts it
        typed = WordWindowWord();
        typedComment = form->mComments->toPlainText();
        form->reject();
    });
    OpenRussianWordWindow(" \nмо*ре\nкот");
    EXPECT_EQ(Cp1251ToUtf8(opened), "мо*ре");
    EXPECT_EQ(Cp1251ToUtf8(typed), "ко*т");
    EXPECT_FALSE(typedComment.contains('\n')) << typedComment.toStdString();
}

TEST(UkrainianWordWindow, GridValuesHistoryAndColours) {
    UkrWindowWord() = Utf8ToCp1251("мо*ва");
    TUkrMainForm form;
    form.show();
    EXPECT_EQ(form.size(), QSize(509, 292));
    EXPECT_EQ(History(form.cbWord), (std::vector<QString>{"мо*ва"}));
    EXPECT_EQ(form.BiGist1->Labels[0], "Большой\tМаленький");
    EXPECT_NEAR(form.BiGist1->Value(4), 41.35f, 0.01f);
    EXPECT_EQ(form.BiGist1->Threshold, 25.0f);
    EXPECT_NEAR(form.BiGist1->MaxAbsValue, 41.35f, 0.01f);
    EXPECT_EQ(form.mComments->toPlainText(),
              "Слово МО*ВА производит впечатление чего-то  ХОЛОДНОГО,  СИЛЬНОГО,  ТЕМНОГО,  ТВЕРДОГО");
    // Сильный, the largest value, fills its bar column in the plus colour.
    EXPECT_EQ(BarPixel(form.BiGist1, 1, 4, false), QColor(255, 0, 0));
    // Red 0.4694, yellow 0.3061, green 0.2245 of the panel.
    const int width = form.stBar->width() - 2;
    EXPECT_EQ(Pixel(form.stBar, {1 + width / 4, 9}), QColor(255, 0, 0));
    EXPECT_EQ(Pixel(form.stBar, {1 + width * 6 / 10, 9}), QColor(255, 255, 0));
    EXPECT_EQ(Pixel(form.stBar, {width - 3, 9}), QColor(0, 128, 0));
    Screenshot(&form, "word-uk.png");

    form.mnLevitsky->trigger();
    EXPECT_NEAR(form.BiGist1->Value(4), 72.03f, 0.01f);
    form.cbWord->lineEdit()->clear();
    Type(form.cbWord->lineEdit(), "міст");
    EXPECT_TRUE(form.mComments->toPlainText().startsWith("Слово МІСТ "));
    EXPECT_EQ(History(form.cbWord).size(), 1u);
}

TEST(TextWindows, EvaluateTheCountsAndSwitchWithoutRecounting) {
    auto& text = RussianEngine().Text;
    text.ResetTextCounts();
    text.CountTextWords(Utf8ToCp1251("Мама мыла раму."));
    const auto counts = text.TextSoundCounts;
    TextDocumentName() = "Untitled";
    TTextForm form;
    form.show();
    EXPECT_EQ(form.size(), QSize(542, 369));
    const QString zhuravlev = form.mComments->toPlainText();
    EXPECT_EQ(zhuravlev, "Данный текст производит впечатление   МУЖЕСТВЕННОГО,  ХОЛОДНОГО,  МОГУЧЕГО,  БОЛЬШОГО");
    EXPECT_NEAR(TextProfileScale(), 11.0262, 1e-4);
    // Хороший (5.2) is grey; могучий, the largest value, fills its column once scrolled into view.
    EXPECT_EQ(BarPixel(form.grFon24, 1, 0, true), QColor(128, 128, 128));
    EXPECT_NE(BarPixel(form.grFon24, 1, 0, false), QColor(128, 128, 128));
    Screenshot(&form, "text-ru.png");
    form.grFon24->verticalScrollBar()->setValue(10);
    EXPECT_EQ(BarPixel(form.grFon24, 1, 16, false), QColor(255, 0, 0));
    // Colour classes over 0.999: red (2.29) and maroon (1.86), each within a sixth.
    const int unit = (form.stBar->width() - 2) / 6;
    EXPECT_EQ(Pixel(form.stBar, {3, 9}), QColor(255, 0, 0));
    EXPECT_EQ(Pixel(form.stBar, {1 + int(unit * 2.2931 / 3) + 5, 9}), QColor(128, 0, 0));
    EXPECT_NE(Pixel(form.stBar, {1 + 2 * unit + 5, 9}), QColor(128, 0, 0));

    form.mnLevitsky->trigger();
    EXPECT_NEAR(TextProfileScale(), 61.9067, 1e-4);
    EXPECT_NE(form.mComments->toPlainText(), zhuravlev);
    form.mnZhuravlev->trigger();
    EXPECT_EQ(form.mComments->toPlainText(), zhuravlev);
    EXPECT_EQ(text.TextSoundCounts, counts);

    // Esc does not close a text window.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form, &escape);
    EXPECT_TRUE(form.isVisible());
}

TEST(TextWindows, Ukrainian) {
    auto& text = UkrainianEngine().Text;
    text.UkrResetTextCounts();
    text.UkrCountTextWords(Utf8ToCp1251("мама"));
    TUkrTextForm form;
    form.show();
    EXPECT_EQ(form.size(), QSize(498, 291));
    EXPECT_NEAR(text.UkrTextProfileScale, 7.2633, 1e-4);
    EXPECT_EQ(form.grFon7->RowCount(), 7);
    form.mnLevitsky->trigger();
    EXPECT_EQ(form.mComments->toPlainText(),
              "Данный текст производит впечатление   БОЛЬШОГО,  ПРИЯТНОГО,  МЕДЛЕННОГО,  ТЕПЛОГО,  СИЛЬНОГО,  "
              "ТЕМНОГО,  ТВЕРДОГО");
    Screenshot(&form, "text-uk.png");
}

TEST(HelpLocation, FolderSettingBecomesThePath) {
    EXPECT_EQ(HelpFilePathFor("C:\\Help", '\\'), "C:\\Help\\Devuvodi.hlp");
    EXPECT_EQ(HelpFilePathFor("C:\\Help\\", '\\'), "C:\\Help\\Devuvodi.hlp");
    EXPECT_EQ(HelpFilePathFor("ERROR", '\\'), "ERROR\\Devuvodi.hlp");
    // With no setting a program run from its build folder finds the source tree's help.
    EXPECT_TRUE(QFileInfo::exists(QDir(DefaultHelpFolder()).filePath("Devuvodi.hlp"))) << DefaultHelpFolder().toStdString();
    EXPECT_EQ(HelpFilePathFor("/usr/share/zelm", '/'), "/usr/share/zelm/Devuvodi.hlp");
}

TEST(AboutBox, FramesRunForwardsAndBackAcrossOpenings) {
    AnimationStep() = 0;
    {
        TAboutForm about;
        about.show();
        EXPECT_EQ(about.windowTitle(), "ЗЕЛМ-dare (Проект ЗЕЛМ)");
        EXPECT_EQ(about.Timer1->interval(), 300);
        EXPECT_TRUE(about.Label2->text().endsWith("версия " ZELM_VERSION)); // the project's one version
        EXPECT_EQ(about.VisibleImage(), 1);
        std::vector<int> frames;
        for (int i = 0; i < 16; ++i) {
            about.Timer1Timer();
            frames.push_back(about.VisibleImage());
        }
        EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
        EXPECT_EQ(AnimationStep(), 0);
        about.Timer1Timer();
        about.Timer1Timer();
        Screenshot(&about, "about.png");
    }
    EXPECT_EQ(AnimationStep(), 2); // kept for the next opening
    // The middle frame differs from the first: the smoke has gathered.
    EXPECT_NE(AboutFrame(5).toImage(), AboutFrame(1).toImage());
    EXPECT_EQ(AboutFrame(1).size(), QSize(65, 57));
}

TEST(WordBox, KeepsWhatWasTypedAndSortsInTheLanguagesOrder) {
    // Whatever the system's locale: the list in Russian alphabetical order, ignoring case, ё with е.
    const QLocale system = QLocale();
    QLocale::setDefault(QLocale::c());
    TWordBox box(nullptr);
    for (const char* word : {"мо*ре", "Яма", "кот", "арбуз", "Баня", "ель", "ёлка", "ерш"}) box.Remember(QString::fromUtf8(word));
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i));
    EXPECT_EQ(items, (QStringList{"арбуз", "Баня", "ёлка", "ель", "ерш", "кот", "мо*ре", "Яма"}));
    box.Remember("КОТ"); // the same word in capitals is not added again
    EXPECT_EQ(box.count(), 8);

    // Typing «м» leaves «м», not «мо*ре» with the rest selected; «КОТ» and Tab stay «КОТ».
    box.show();
    box.setEditText({});
    Type(box.lineEdit(), "м");
    EXPECT_EQ(box.currentText(), "м");
    EXPECT_FALSE(box.lineEdit()->hasSelectedText());
    box.setEditText({});
    Type(box.lineEdit(), "КОТ");
    QTest::keyClick(box.lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(box.currentText(), "КОТ");
    QLocale::setDefault(system);

    TWordBox ukrainian(nullptr, QLocale::Ukrainian);
    for (const char* word : {"їжак", "іній", "ґанок", "гора", "єнот", "епос"}) ukrainian.Remember(QString::fromUtf8(word));
    QStringList ukrItems;
    for (int i = 0; i < ukrainian.count(); ++i) ukrItems.push_back(ukrainian.itemText(i));
    EXPECT_EQ(ukrItems, (QStringList{"гора", "ґанок", "епос", "єнот", "іній", "їжак"}));
}

// Screen readers see the grids as tables whose cells read the pole names and values.
TEST(EvalWindows, TheGridsAreTablesForScreenReaders) {
    WordWindowWord() = Utf8ToCp1251("мо*ре");
    TWordForm word;
    word.show();
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(word.grFon24);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->role(), QAccessible::Table);
    QAccessibleTableInterface* table = grid->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 24);
    EXPECT_EQ(table->columnCount(), 5);
    EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Name), "Хороший");
    EXPECT_EQ(table->cellAt(0, 2)->text(QAccessible::Name), "34%");
    EXPECT_EQ(table->cellAt(0, 4)->text(QAccessible::Name), "Плохой");
    EXPECT_EQ(table->rowDescription(0), "Хороший, 34%, Плохой");
    EXPECT_EQ(grid->childCount(), 24 * 5);
    EXPECT_EQ(grid->indexOfChild(table->cellAt(1, 2)), 7);
    // From the keyboard: the row it is on is the focused cell, said whole; Down moves it.
    word.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&word));
    word.grFon24->setFocus();
    QTest::keyClick(word.grFon24, Qt::Key_Down);
    ASSERT_NE(grid->focusChild(), nullptr);
    EXPECT_EQ(grid->focusChild()->text(QAccessible::Description), "красивый — отталкивающий: -6%, незначимо");
    QTest::keyClick(word.grFon24, Qt::Key_End);
    EXPECT_EQ(grid->focusChild()->text(QAccessible::Description), "радостный — печальный: -7%, незначимо");
    QTest::keyClick(word.grFon24, Qt::Key_Home);
    EXPECT_EQ(grid->focusChild()->text(QAccessible::Description), "Хороший — Плохой: 34%, значимо");
    EXPECT_TRUE(grid->focusChild()->state().focused);
    // The colour strip says its colours; the comment memo reads its text.
    QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(word.stBar);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->text(QAccessible::Name), "Звуко-цветовая оценка");
    EXPECT_TRUE(strip->text(QAccessible::Value).startsWith("желтый ")) << strip->text(QAccessible::Value).toStdString();
    QAccessibleInterface* memo = QAccessible::queryAccessibleInterface(word.mComments);
    ASSERT_NE(memo->textInterface(), nullptr);
    EXPECT_TRUE(memo->textInterface()->text(0, memo->textInterface()->characterCount()).contains("МО*РЕ"));
    EXPECT_EQ(memo->text(QAccessible::Name), word.mComments->toPlainText()); // read whole

    UkrWindowWord() = Utf8ToCp1251("мо*ва");
    TUkrMainForm ukrainian;
    ukrainian.show();
    QAccessibleTableInterface* ukrTable = QAccessible::queryAccessibleInterface(ukrainian.BiGist1)->tableInterface();
    ASSERT_NE(ukrTable, nullptr);
    EXPECT_EQ(ukrTable->rowCount(), 7);
    EXPECT_TRUE(ukrTable->rowDescription(0).startsWith("Большой, ")) << ukrTable->rowDescription(0).toStdString();
}

TEST(EvalWindows, HintsThatAreNotShownAreThereForScreenReaders) {
    TWordForm word;
    EXPECT_EQ(word.btnEval->accessibleDescription(), "Нажмите на эту кнопку, чтобы оценить слово");
    EXPECT_EQ(word.cmbWord->accessibleDescription(), "Поле ввода оцениваемого слова");
    EXPECT_EQ(word.grFon24->accessibleDescription(),
              "Оценки эмоционального впечатления, которое оказывает на человека данное слово");
    EXPECT_TRUE(word.btnEval->toolTip().isEmpty()); // nothing visible changes
    TUkrMainForm ukrainian;
    EXPECT_EQ(ukrainian.mComments->accessibleDescription(), "Словесное описание эмоционального впечатления от слова");
    EXPECT_EQ(ukrainian.btnEval->accessibleDescription(), "Оценить слово");
    TTextForm text;
    EXPECT_EQ(text.btnPrint->accessibleDescription(), "Нажмите на эту кнопку, чтобы распечатать результаты на принтере");
    EXPECT_TRUE(text.btnPrint->toolTip().isEmpty());
    TUkrTextForm ukrainianText;
    EXPECT_EQ(ukrainianText.btnPrint->accessibleDescription(), "Распечатать на принтере");
    EXPECT_TRUE(ukrainianText.btnPrint->toolTip().isEmpty());
}

// Tab from the chart reaches every control of each result window and comes back round: the
// comment and the buttons (the word box and "Оценить" in the word windows), never trapped.
TEST(EvalWindows, TabReachesEveryControl) {
    WordWindowWord() = Utf8ToCp1251("кот");
    UkrWindowWord() = Utf8ToCp1251("кіт");
    RussianEngine().Text.ResetTextCounts();
    RussianEngine().Text.CountTextWords(Utf8ToCp1251("кот"));
    UkrainianEngine().Text.UkrResetTextCounts();
    UkrainianEngine().Text.UkrCountTextWords(Utf8ToCp1251("кіт"));
    TWordForm word;
    TTextForm text;
    TUkrMainForm ukrWord;
    TUkrTextForm ukrText;
    const std::vector<std::tuple<TEvalWindow*, QWidget*, std::vector<QWidget*>>> windows = {
        {&word, word.grFon24, {word.cmbWord, word.btnEval}},
        {&text, text.grFon24, {}},
        {&ukrWord, ukrWord.BiGist1, {ukrWord.cbWord, ukrWord.btnEval}},
        {&ukrText, ukrText.grFon7, {}},
    };
    for (const auto& [window, grid, more] : windows) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        grid->setFocus(Qt::OtherFocusReason);
        std::set<QWidget*> reached;
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        std::vector<QWidget*> wanted = {grid, window->mComments, window->btnPrint, window->btnHelp, window->btnExit};
        wanted.insert(wanted.end(), more.begin(), more.end());
        for (QWidget* control : wanted) {
            const bool found = reached.count(control) || (control->focusProxy() && reached.count(control->focusProxy())) ||
                               std::any_of(reached.begin(), reached.end(), [&](QWidget* w) { return w && control->isAncestorOf(w); });
            EXPECT_TRUE(found) << window->windowTitle().toStdString() << ": Tab never reaches "
                               << control->metaObject()->className() << " " << control->objectName().toStdString();
        }
        window->hide();
    }
}

TEST(EvalWindows, TheWidestValueTextsStayInTheirColumns) {
    WordWindowWord() = Utf8ToCp1251("кот");
    TWordForm word;
    word.show();
    RussianEngine().Word.WordProfile[0] = -1.0;
    RussianEngine().Word.WordProfile[1] = 1.0;
    ExpectValueTextsInTheirColumn(word.grFon24, "Russian word");

    UkrWindowWord() = Utf8ToCp1251("кіт");
    TUkrMainForm ukrWord;
    ukrWord.show();
    ukrWord.BiGist1->SetValue(0, -100);
    ukrWord.BiGist1->SetValue(1, 100);
    ukrWord.BiGist1->UpdateMaxAbs();
    ExpectValueTextsInTheirColumn(ukrWord.BiGist1, "Ukrainian word");

    RussianEngine().Text.ResetTextCounts();
    RussianEngine().Text.CountTextWords(Utf8ToCp1251("кот"));
    TTextForm text;
    text.show();
    RussianEngine().Text.TextProfile[0] = -2073.9f; // a text of thousands of «ф»
    RussianEngine().Text.TextProfile[1] = 999.9f;
    TextProfileScale() = 1203.4;
    ExpectValueTextsInTheirColumn(text.grFon24, "Russian text");

    auto& ukrainian = UkrainianEngine().Text;
    ukrainian.UkrResetTextCounts();
    ukrainian.UkrCountTextWords(Utf8ToCp1251("кіт"));
    TUkrTextForm ukrText;
    ukrText.show();
    ukrainian.UkrTextProfile[0] = -2073.9f;
    ukrainian.UkrTextProfile[1] = 999.9f;
    ukrainian.UkrTextProfileScale = 1203.4f;
    ExpectValueTextsInTheirColumn(ukrText.grFon7, "Ukrainian text");
}

ZELM_QT_TEST_MAIN
