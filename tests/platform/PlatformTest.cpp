#include "Canvas.h"
#include "Colours.h"
#include "Dialogs.h"
#include "HelpViewer.h"
#include "DrawGrid.h"
#include "FileNames.h"
#include "Look.h"
#include "QtPrinter.h"
#include "QtTestMain.h"
#include "StatusPanel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QScreen>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace zelm;

namespace {

// Runs `answer` on the next modal dialog once it is shown.
void AnswerNextDialog(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            AnswerNextDialog(answer);
            return;
        }
        answer(dialog);
    });
}

void ClickButton(QWidget* dialog, const QString& text) {
    for (auto* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) {
            button->click();
            return;
        }
    FAIL() << "no button " << text.toStdString();
}

} // namespace

TEST(Platform, ColoursComeAsBlueGreenRed) {
    EXPECT_EQ(ColourFromBgr(255), QColor(255, 0, 0));
    EXPECT_EQ(ColourFromBgr(16711680), QColor(0, 0, 255));
    EXPECT_EQ(ColourFromBgr(8421504), QColor(128, 128, 128));
    EXPECT_EQ(ColourFromBgr(65535), QColor(255, 255, 0));
}

// Any bytes make a name that gives the same bytes back; only names that are not UTF-8 look different.
TEST(Platform, FileNamesKeepTheirBytesAndShowReadably) {
    const struct {
        QByteArray Native;
        QString Shown;
    } names[] = {
        {"/tmp/plain.txt", "/tmp/plain.txt"},
        {"/tmp/\xD0\x9C\xD0\xB8\xD1\x80.txt", "/tmp/Мир.txt"},                  // UTF-8
        {"/tmp/\xCF\xF0\xE8\xE2\xE5\xF2.txt", "/tmp/Привет.txt"},               // Windows-1251
        {"bad\377name.txt", "bad\\377name.txt"},                                   // one stray byte
        {"\xED\xB2\x80\xC0\xAF\xF4\x90\x80\x80", "\\355\\262\\200\\300\\257\\364\\220\\200\\200"}, // a surrogate, overlong, too high
        {"\xF0\x9F\x98\x80\xE9", "😀\\351"},
    };
    for (const auto& name : names) {
        const QString path = PathFromNative(name.Native);
        EXPECT_EQ(NativePath(path), name.Native) << name.Native.toStdString();
        EXPECT_EQ(ShownPath(path), name.Shown) << name.Native.toStdString();
        EXPECT_EQ(IsForeignPath(path), name.Native.toStdString() != name.Shown.toUtf8().toStdString());
    }
}

TEST(Platform, DrawGridHandsEveryVisibleCellToItsOwner) {
    TDrawGrid grid;
    grid.resize(300 + 2 * grid.frameWidth(), 100 + 2 * grid.frameWidth());
    grid.SetColumnWidths({100, 50, 150});
    grid.SetDefaultRowHeight(20);
    grid.SetRowCount(10);
    grid.SetBrushColour(0xFFFFFF);
    std::vector<std::tuple<int, int, QRect>> cells;
    grid.OnDrawCell = [&](int column, int row, const QRect& rect, TCanvas& canvas) {
        cells.emplace_back(column, row, rect);
        canvas.FillRect(rect);
        if (column == 1 && row == 1) {
            canvas.SetBrushColour(255);
            canvas.FillRect(rect.adjusted(0, 1, 0, -2));
        }
    };
    const QImage image = grid.grab().toImage();
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(std::get<2>(cells[0]), QRect(0, 0, 100, 20));
    EXPECT_EQ(std::get<2>(cells[4]), QRect(100, 20, 50, 20));
    const QPoint origin = grid.viewport()->mapTo(&grid, QPoint(0, 0));
    EXPECT_EQ(image.pixelColor(origin + QPoint(120, 30)), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(origin + QPoint(20, 30)), QColor(255, 255, 255));
    // Ten rows of 20 in a 100-pixel view: the scroll bar reaches the last row.
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 5);
    grid.SetVerticalScrollBar(false);
    EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    QMenu menu;
    grid.SetPopupMenu(&menu);
    EXPECT_EQ(grid.PopupMenu(), &menu);
}

TEST(Platform, CanvasDrawsTextFromItsTopLeftCorner) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    TCanvas canvas(painter);
    const int width = canvas.TextWidth(QStringLiteral("Хороший"));
    const int height = canvas.TextHeight(QStringLiteral("Х"));
    EXPECT_GT(width, 20);
    EXPECT_GT(height, 5);
    EXPECT_EQ(canvas.TextHeight({}), 0);
    canvas.TextOut(10, 10, QStringLiteral("Хороший"));
    painter.end();
    bool inked = false, outside = false;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                inked = true;
                if (y < 10 || x < 9 || y >= 10 + height || x > 10 + width) outside = true;
            }
    EXPECT_TRUE(inked);
    EXPECT_FALSE(outside);
}

TEST(Platform, StatusPanelIsPaintedByItsOwner) {
    TStatusPanel panel;
    panel.resize(200, 19);
    QRect seen;
    panel.OnDrawPanel = [&](const QRect& rect, TCanvas& canvas) {
        seen = rect;
        canvas.SetBrushColour(32768);
        canvas.FillRect(QRect(rect.left(), rect.top(), 50, rect.height()));
    };
    const QImage image = panel.grab().toImage();
    EXPECT_EQ(seen, QRect(1, 1, 198, 17));
    EXPECT_EQ(image.pixelColor(10, 9), QColor(0, 128, 0));
    EXPECT_NE(image.pixelColor(100, 9), QColor(0, 128, 0));
}

TEST(Platform, ConfirmBoxAnswersYesNoAndCancel) {
    AnswerNextDialog([](QWidget* box) {
        EXPECT_EQ(box->windowTitle(), "Confirm");
        ClickButton(box, "&Yes");
    });
    EXPECT_EQ(ConfirmYesNoCancel(nullptr, "Save changes to a.txt?"), TConfirmResult::crYes);
    AnswerNextDialog([](QWidget* box) { ClickButton(box, "&No"); });
    EXPECT_EQ(ConfirmYesNoCancel(nullptr, "?"), TConfirmResult::crNo);
    AnswerNextDialog([](QWidget* box) { ClickButton(box, "Cancel"); });
    EXPECT_EQ(ConfirmYesNoCancel(nullptr, "?"), TConfirmResult::crCancel);
    AnswerNextDialog([](QWidget* box) { box->close(); });
    EXPECT_EQ(ConfirmYesNoCancel(nullptr, "?"), TConfirmResult::crCancel);
}

TEST(Platform, UserSettingsAnswerErrorWhenAbsent) {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    EXPECT_EQ(ReadUserSetting("SOFTWARE", "Zelm Ruza", "Directory"), "ERROR");
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "SOFTWARE", "Zelm Ruza");
        settings.setValue("Directory", "/opt/zelm/help");
    }
    EXPECT_EQ(ReadUserSetting("SOFTWARE", "Zelm Ruza", "Directory"), "/opt/zelm/help");
    EXPECT_EQ(ReadUserSetting("SOFTWARE", "Zelm Ruza", "Other"), "ERROR");
}

TEST(Platform, HelpFilesAreReadByContextAndAMissingOneIsReported) {
    QTemporaryDir folder;
    const QString path = folder.filePath("Devuvodi.hlp");
    std::ofstream(path.toStdString()) << "#10 Содержание\n<p>Главная</p>\n#50 Оценка слова\n<p>Слово</p>\n";
    bool readable = false;
    const auto topics = ReadHelpFile(path, &readable);
    EXPECT_TRUE(readable);
    ASSERT_EQ(topics.size(), 2);
    EXPECT_EQ(topics[1].Context, 50);
    EXPECT_EQ(topics[1].Title, "Оценка слова");
    EXPECT_EQ(topics[1].Body, "<p>Слово</p>");

    ShowHelpTopic(nullptr, path, 50); // a window that stays open beside the program
    ASSERT_NE(OpenHelpViewer(), nullptr);
    EXPECT_EQ(OpenHelpViewer()->windowTitle(), "Справка — Оценка слова");
    delete OpenHelpViewer();

    QString shown;
    AnswerNextDialog([&](QWidget* box) {
        shown = static_cast<QMessageBox*>(box)->text();
        box->close();
    });
    ShowHelpTopic(nullptr, "/no/such/ERROR/Devuvodi.hlp", 50);
    EXPECT_TRUE(shown.contains("/no/such/ERROR/Devuvodi.hlp")) << shown.toStdString();
}

TEST(Platform, EscapeWatcherTakesOnePendingEscOut) {
    TEscapeWatcher watcher;
    QLabel target;
    EXPECT_FALSE(watcher.Pending());
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&target, &other);
    EXPECT_FALSE(watcher.Pending());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &escape);
    EXPECT_TRUE(watcher.Pending());
    EXPECT_FALSE(watcher.Pending());
}

TEST(Platform, PrinterFontListNamesTheStandInsOfWindowsFonts) {
    const auto printer = TQtPrinter::Pdf({});
    const QStringList names = printer->FontNames();
    if (names.contains("Liberation Mono")) {
        EXPECT_TRUE(names.contains("Courier New"));
    }
    EXPECT_FALSE(names.isEmpty());
}

TEST(Platform, FontFamiliesByTheirPlainNamesOnce) {
    EXPECT_EQ(PlainFamilyNames({"C059 [UKWN]", "C059 [urw]", "Nimbus Sans [URW ]", "DejaVu Sans", "Odd [name"}),
              (QStringList{"C059", "Nimbus Sans", "DejaVu Sans", "Odd [name"}));
    const auto printer = TQtPrinter::Pdf("unused.pdf");
    const QStringList names = printer->FontNames();
    for (const QString& name : names) EXPECT_FALSE(name.endsWith(']')) << name.toStdString();
    EXPECT_EQ(QStringList(names).removeDuplicates(), 0);
    EXPECT_TRUE(names.contains("Courier New")); // the stand-in of fonts-liberation
}

TEST(Platform, BevelsAndEdgesAsThePlatformDrawsThem) {
    QWidget window;
    window.resize(300, 200);
    auto* panel = new TBevelPanel(&window);
    panel->setGeometry(10, 10, 100, 60);
    auto* grid = new TDrawGrid(&window);
    grid->setGeometry(120, 10, 150, 100);
    auto* status = new TStatusPanel(&window);
    status->setGeometry(0, 180, 300, 19);
    window.show();
    const QImage image = window.grab().toImage();
    const QPalette palette = window.palette();
    const QColor dark = palette.color(QPalette::Dark), light = palette.color(QPalette::Light);
    // The panel: lowered outside (dark above, light below), raised inside (the other way).
    EXPECT_EQ(image.pixel(10 + 50, 10), dark.rgb());
    EXPECT_EQ(image.pixel(10, 10 + 30), dark.rgb());
    EXPECT_EQ(image.pixel(10 + 50, 11), light.rgb());
    EXPECT_EQ(image.pixel(11, 10 + 30), light.rgb());
    EXPECT_EQ(image.pixel(10 + 50, 69), light.rgb());
    EXPECT_EQ(image.pixel(109, 10 + 30), light.rgb());
    EXPECT_EQ(image.pixel(10 + 50, 68), dark.rgb());
    EXPECT_EQ(image.pixel(108, 10 + 30), dark.rgb());
    // The grid's sunken edge is two pixels, darker at the top than at the bottom.
    EXPECT_EQ(grid->frameWidth(), 2);
    EXPECT_LT(image.pixelColor(180, 10).lightness(), image.pixelColor(180, 109).lightness());
    EXPECT_LT(image.pixelColor(180, 11).lightness(), image.pixelColor(180, 108).lightness());
    // The status panel sits in a lowered 1-pixel bevel.
    EXPECT_EQ(image.pixel(150, 180), dark.rgb());
    EXPECT_EQ(image.pixel(150, 198), light.rgb());
}

TEST(Platform, TheDialogFontResolvesToAFaceOfItsMetrics) {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(FontStandIns("MS Sans Serif").contains(family)) << family.toStdString();
    EXPECT_TRUE(FontStandIns("Courier New").isEmpty());
    if (QFontDatabase::families().contains("Liberation Sans")) {
        EXPECT_EQ(family, "Liberation Sans");
    }
}

// The font dialog, opened on a face's plain style, shows that style, not the face's first one
// (a bold or oblique one where the face calls its plain style "Book" or "Condensed").
TEST(Platform, TheFontDialogOpensOnTheFacesPlainStyle) {
    int tried = 0;
    for (const char* family : {"DejaVu Sans Condensed", "DejaVu Sans", "C059", "Liberation Sans"}) {
        if (!QFontDatabase::families().contains(family)) continue;
        ++tried;
        QFontDialog dialog(WithFacesStyleName(QFont(family, 12)));
        dialog.setOption(QFontDialog::DontUseNativeDialog);
        const QFont shown = dialog.currentFont();
        EXPECT_EQ(shown.weight(), QFont::Normal) << family << ": " << shown.styleName().toStdString();
        EXPECT_FALSE(shown.italic()) << family << ": " << shown.styleName().toStdString();
    }
    if (tried == 0) GTEST_SKIP() << "none of the faces tried is installed";
}

TEST(Platform, WindowsScaleToTheScreensResolution) {
    QWidget window;
    window.setFixedSize(240, 120);
    QFont font("MS Sans Serif");
    font.setPixelSize(12);
    window.setFont(font);
    auto* child = new QLabel("x", &window);
    child->setGeometry(24, 12, 120, 24);
    const double factor = ScaleToScreen(&window, 120);
    EXPECT_DOUBLE_EQ(factor, QGuiApplication::primaryScreen()->logicalDotsPerInch() / 120);
    EXPECT_EQ(window.size(), QSize(int(std::lround(240 * factor)), int(std::lround(120 * factor))));
    EXPECT_EQ(child->geometry(), QRect(int(std::lround(24 * factor)), int(std::lround(12 * factor)),
                                       int(std::lround(120 * factor)), int(std::lround(24 * factor))));
    EXPECT_EQ(window.font().pixelSize(), int(std::lround(12 * factor)));
}

TEST(Platform, GridPopupMenusOpenCentredOnTheClick) {
    TDrawGrid grid;
    grid.resize(400, 200);
    grid.show();
    QMenu menu;
    menu.addAction("Алгоритм Левицкого");
    menu.addAction("Алгоритм  Журавлева");
    grid.SetPopupMenu(&menu);
    const QPoint click = grid.mapToGlobal(QPoint(200, 100));
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(200, 100), click);
    QApplication::sendEvent(grid.viewport(), &event);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos().x() + menu.width() / 2, click.x()) << menu.pos().x() << " + " << menu.width();
    EXPECT_EQ(menu.pos().y(), click.y());
    menu.hide();
}

ZELM_QT_TEST_MAIN
