#include "Cp1251.h"
#include "Dialogs.h"
#include "Engines.h"
#include "FakePrinter.h"
#include "HelpViewer.h"
#include "QtPrinter.h"
#include "UAbout.h"
#include "UMainTxt.h"
#include "UMainWrd.h"
#include "UUkrMainWord.h"
#include "faults/Faults.h"
#include "QtTestMain.h"
#include "UFonts.h"
#include "UMain.h"

#include <QApplication>
#include <QAccessible>
#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTest>
#include <QHeaderView>
#include <QTreeView>
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace zelm;

#include "ui/MainWindowRig.h"

TEST(MainWindow, StartsUntitledInRussian) {
    TRig rig;
    EXPECT_EQ(rig.Form.windowTitle(), "Untitled - ЗЕЛМ-dare (Проект ЗЕЛМ)");
    EXPECT_TRUE(rig.Form.rbRussian->isChecked());
    EXPECT_EQ(rig.Form.FileName(), "Untitled");
    EXPECT_EQ(rig.Form.btnWord->toolTip(), "Оценка слова");
    EXPECT_EQ(rig.Form.NewButton->statusTip(), "Новый файл");
    EXPECT_TRUE(rig.Form.NewButton->toolTip().isEmpty());
    EXPECT_EQ(rig.Form.FileSaveAsItem->statusTip(), "Save current file under a new name");
    EXPECT_FLOAT_EQ(rig.Form.LinePrinter().MarginLeft(), 1.0f);
    EXPECT_EQ(rig.Form.LinePrinter().Font().Height(), -42);
}

TEST(MainWindow, NewOpenSaveAndTheirConfirmations) {
    TRig rig;
    // New asks before it discards a modified text; No discards it.
    rig.Form.RichEdit1->setPlainText("черновик");
    rig.Form.RichEdit1->document()->setModified(true);
    QString asked;
    AnswerConfirm("Cancel", &asked);
    rig.Form.FileNew();
    EXPECT_EQ(asked, "Save changes to Untitled?");
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "черновик");
    AnswerConfirm("&No");
    rig.Form.FileNew();
    EXPECT_TRUE(rig.Form.RichEdit1->toPlainText().isEmpty());

    const QString first = rig.Path("first.txt");
    Write(first, Utf8ToCp1251("первый\r\n"));
    rig.OpenAnswer = TOpenChoice{first, false};

    // Cancel in "Save changes to Untitled?" ends the open silently.
    rig.Form.RichEdit1->setPlainText("изменено");
    rig.Form.RichEdit1->document()->setModified(true);
    QString question;
    AnswerConfirm("Cancel", &question);
    rig.Form.FileOpen();
    EXPECT_EQ(question, "Save changes to Untitled?");
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "изменено");

    // Yes on an untitled document asks for a name; cancelling that still goes on with the open.
    AnswerConfirm("&Yes");
    rig.Form.FileOpen();
    EXPECT_EQ(rig.SaveAsked, 1);
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "первый\n");
    EXPECT_EQ(rig.Form.FileName(), first);
    EXPECT_EQ(rig.Form.windowTitle(), "first.txt - ЗЕЛМ-dare (Проект ЗЕЛМ)");

    // No goes on without saving.
    rig.Form.RichEdit1->setPlainText("другое");
    rig.Form.RichEdit1->document()->setModified(true);
    AnswerConfirm("&No");
    rig.Form.FileOpen();
    EXPECT_EQ(Slurp(first), Utf8ToCp1251("первый\r\n"));

    // Save As onto an existing file asks "OK to overwrite"; anything but Yes saves nothing.
    rig.Form.RichEdit1->setPlainText("новое");
    rig.SaveAnswer = first;
    AnswerConfirm("&No", &question);
    rig.Form.FileSaveAs();
    EXPECT_EQ(question, "OK to overwrite " + first);
    EXPECT_EQ(Slurp(first), Utf8ToCp1251("первый\r\n"));
    AnswerConfirm("&Yes");
    rig.Form.FileSaveAs();
    EXPECT_EQ(Slurp(first), Utf8ToCp1251("новое")); // a file's last line keeps having no line end
    EXPECT_FALSE(rig.Form.RichEdit1->document()->isModified());

    // A name without an extension is used exactly as typed.
    rig.SaveAnswer = rig.Path("noext");
    rig.Form.FileSaveAs();
    EXPECT_EQ(Slurp(rig.Path("noext")), Utf8ToCp1251("новое"));
    EXPECT_EQ(rig.Form.FileName(), rig.Path("noext"));
}

TEST(MainWindow, ReadOnlyOpenAndFilesRoundTripByteForByte) {
    TRig rig;
    const QString cp = rig.Path("cp.txt"), utf = rig.Path("utf.txt"), bom = rig.Path("bom.txt");
    const std::string cpBytes = Utf8ToCp1251("Мама мыла раму.\r\nЁлка, ґанок? — нет.\r\n\r\nконец\r\n");
    const std::string utfBytes = "Привет, мир ✓\r\nЛаст 😀\r\n";
    Write(cp, cpBytes);
    Write(utf, utfBytes);
    Write(bom, "\xEF\xBB\xBFкот\r\n");
    for (const auto& [path, bytes] : {std::pair{cp, cpBytes}, std::pair{utf, utfBytes},
                                      std::pair{bom, std::string("\xEF\xBB\xBFкот\r\n")}}) {
        ASSERT_TRUE(rig.Form.OpenDocument(path, false));
        rig.Form.RichEdit1->document()->setModified(true);
        rig.Form.FileSave();
        EXPECT_EQ(Slurp(path), bytes) << path.toStdString();
    }
    ASSERT_TRUE(rig.Form.OpenDocument(utf, false));
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "Привет, мир ✓\nЛаст 😀\n");

    rig.OpenAnswer = TOpenChoice{cp, true};
    rig.Form.FileOpen();
    EXPECT_TRUE(rig.Form.RichEdit1->isReadOnly());
    rig.OpenAnswer = TOpenChoice{cp, false};
    rig.Form.FileOpen();
    EXPECT_FALSE(rig.Form.RichEdit1->isReadOnly());

    // A new document goes out in Windows-1251 when it can, else in UTF-8: nothing typed is lost.
    rig.Form.FileNew();
    rig.Form.RichEdit1->setPlainText("ма*ма");
    rig.SaveAnswer = rig.Path("plain.txt");
    rig.Form.FileSave();
    EXPECT_EQ(Slurp(rig.Path("plain.txt")), Utf8ToCp1251("ма*ма\r\n"));
    rig.Form.FileNew();
    rig.Form.RichEdit1->setPlainText("ма́ма ✓");
    rig.SaveAnswer = rig.Path("wide.txt");
    rig.Form.FileSave();
    EXPECT_EQ(Slurp(rig.Path("wide.txt")), "ма́ма ✓\r\n");
}

TEST(MainWindow, FailedReadsAndWritesLoseNothing) {
    TRig rig;
    rig.Form.RichEdit1->setPlainText("ценный текст");
    rig.Form.RichEdit1->document()->setModified(true);
    QString message;
    AnswerNextDialog([&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    EXPECT_FALSE(rig.Form.OpenDocument(rig.Path("missing.txt"), false));
    EXPECT_EQ(message, "Cannot open file " + rig.Path("missing.txt") + "\nNo such file or directory");
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "ценный текст");

    const QString target = rig.Path("no/such/folder/out.txt");
    rig.SaveAnswer = target;
    AnswerNextDialog([&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->accept();
    });
    rig.Form.FileSaveAsItem->trigger();
    EXPECT_TRUE(message.startsWith("Cannot create file " + target + "\n")) << message.toStdString();
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
    EXPECT_EQ(rig.Form.FileName(), "Untitled");

    // Saving over an existing file writes a new one and then replaces: a failure leaves it.
    const QString existing = rig.Path("kept.txt");
    Write(existing, "old\r\n");
    QString error;
    EXPECT_TRUE(WriteDocumentFile(existing, "new\r\n", error));
    EXPECT_EQ(Slurp(existing), "new\r\n");
}

TEST(MainWindow, WordBoxHistoryAndTextSelection) {
    TRig rig;
    rig.Form.cmbWord->setEditText("  кот  ");
    QString opened;
    AnswerNextDialog([&](QWidget* window) {
        opened = window->windowTitle();
        static_cast<QDialog*>(window)->reject();
    });
    rig.Form.WordEvalItemClick();
    EXPECT_TRUE(opened.startsWith("Фоносемантическая оценка слова"));
    EXPECT_EQ(rig.Form.cmbWord->currentText(), "кот");
    AnswerNextDialog([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    rig.Form.WordEvalItemClick();
    EXPECT_EQ(rig.Form.cmbWord->count(), 1);

    // With a selection the text evaluation sees only it, and the window gets the file name.
    rig.Form.RichEdit1->setPlainText("мама\nкот");
    QTextCursor cursor = rig.Form.RichEdit1->textCursor();
    cursor.setPosition(5);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    rig.Form.RichEdit1->setTextCursor(cursor);
    AnswerNextDialog([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    rig.Form.TextEvalItemClick();
    EXPECT_EQ(RussianEngine().Text.TextSoundTotal(), 3);
    cursor.clearSelection();
    rig.Form.RichEdit1->setTextCursor(cursor);
    rig.Form.rbUkraine->setChecked(true);
    AnswerNextDialog([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    rig.Form.TextEvalItemClick();
    EXPECT_EQ(UkrainianEngine().Text.UkrTextSoundTotal(), 7);
}

TEST(PrintSettings, SizeStyleLimitsAndSpacing) {
    TFakePrinter printer;
    TPrinterFont font;
    font.Name = "Times New Roman";
    font.SizePoints = 14;
    font.Bold = font.Italic = true;
    int left = 25, right = 100, top = 0, bottom = 25, spacing = 7;
    AnswerNextDialog([](QWidget* dialog) {
        auto* form = static_cast<TFontForm*>(dialog);
        EXPECT_EQ(form->windowTitle(), "Параметры печати");
        // Designed at 120 dots per inch, shown at the screen's.
        const double factor = form->screen()->logicalDotsPerInch() / 120;
        EXPECT_EQ(form->size(), QSize(int(std::lround(554 * factor)), int(std::lround(309 * factor))));
        EXPECT_EQ(form->udSize->Position(), 10);
        EXPECT_EQ(form->rgStyle->checkedId(), 1);
        EXPECT_EQ(form->rgSpacing->checkedId(), 0);
        EXPECT_EQ(form->cmbFonts->currentText(), "Times New Roman");
        // Every choice shows its whole text.
        for (auto* group : {form->rgStyle, form->rgSpacing})
            for (QAbstractButton* choice : group->buttons())
                EXPECT_GE(choice->width(), choice->sizeHint().width()) << choice->text().toStdString();
        form->udRight->StepBy(1);
        form->udTop->StepBy(-1);
        EXPECT_EQ(form->udRight->Panel->text(), "100");
        EXPECT_EQ(form->udTop->Position(), 0);
        form->BitBtn2->click(); // Отказ
    });
    EXPECT_FALSE(ExecutePrintSettings(printer, font, left, right, top, bottom, spacing));
    EXPECT_TRUE(font.Italic);
    EXPECT_FALSE(font.Bold); // normalised even after Cancel
    EXPECT_EQ(font.SizePoints, 14);
    EXPECT_EQ(right, 100);

    font.Name = "Unknown Family";
    AnswerNextDialog([](QWidget* dialog) {
        auto* form = static_cast<TFontForm*>(dialog);
        EXPECT_EQ(form->cmbFonts->currentIndex(), 0);
        form->udLeft->StepBy(2);
        form->rgSpacing->button(2)->setChecked(true);
        form->BitBtn1->click(); // Принять
    });
    EXPECT_TRUE(ExecutePrintSettings(printer, font, left, right, top, bottom, spacing));
    EXPECT_EQ(font.Name, "Arial");

    // From the keyboard: each up-down is one tab stop, named, a spin box for a screen reader,
    // and Up and Down step it.
    QStringList stops;
    int stepped = -1;
    AnswerNextDialog([&](QWidget* dialog) {
        auto* form = static_cast<TFontForm*>(dialog);
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        form->cmbFonts->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 16; ++i) {
            QWidget* focused = QApplication::focusWidget();
            if (auto* upDown = dynamic_cast<TUpDown*>(focused)) {
                QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(upDown);
                EXPECT_EQ(seen->role(), QAccessible::SpinBox);
                stops += seen->text(QAccessible::Name) + "=" + seen->text(QAccessible::Value);
            }
            QTest::keyClick(focused, Qt::Key_Tab);
        }
        const int before = form->udLeft->Position();
        QTest::keyClick(form->udLeft, Qt::Key_Up);
        QTest::keyClick(form->udLeft, Qt::Key_Up);
        QTest::keyClick(form->udLeft, Qt::Key_Down);
        stepped = form->udLeft->Position() - before;
        form->BitBtn2->click();
    });
    ExecutePrintSettings(printer, font, left, right, top, bottom, spacing);
    stops.removeDuplicates();
    EXPECT_EQ(stops, QStringList({"Размер=10", "Поле слева=27", "Поле справа=100", "Поле сверху=0", "Поле снизу=25"}));
    EXPECT_EQ(stepped, 1);
    EXPECT_EQ(font.SizePoints, 10);
    EXPECT_EQ(left, 27);
    EXPECT_EQ(spacing, 2);

    TFakePrinter none(false);
    EXPECT_THROW(ExecutePrintSettings(none, font, left, right, top, bottom, spacing), EPrinterError);
}

TEST(DocumentPrint, PrintsPlainLinesAfterAReport) {
    TRig rig;
    rig.Form.RichEdit1->setPlainText("первая\nвторая");
    TLinePrinter& lp = rig.Form.LinePrinter();
    lp.Header = "отчёт|x";
    lp.TableFormat = "T20|T20";
    lp.LinesAsTable = true;
    lp.PageBorders = AllBorders;
    // Cancelling the settings prints nothing and changes no margin.
    AnswerNextDialog([](QWidget* dialog) { static_cast<TFontForm*>(dialog)->BitBtn2->click(); });
    rig.Form.FilePrint();
    EXPECT_TRUE(rig.Printer->Calls.empty());
    EXPECT_FLOAT_EQ(lp.MarginLeft(), 25.4f);
    int offered = -1;
    AnswerNextDialog([&](QWidget* dialog) {
        offered = static_cast<TFontForm*>(dialog)->udLeft->Position();
        static_cast<TFontForm*>(dialog)->BitBtn1->click();
    });
    rig.Form.FilePrint();
    EXPECT_EQ(offered, 25);
    EXPECT_FLOAT_EQ(lp.MarginLeft(), 25.f);
    const auto texts = rig.Printer->Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "первая");
    EXPECT_EQ(texts[1].Text, "вторая");
    EXPECT_EQ(texts[0].X, 220); // 25 mm from the paper's edge, less the 75-pixel strip
    for (const auto& call : rig.Printer->Calls) EXPECT_NE(call.Kind, TFakeCall::fcLine); // no borders
}

namespace {

// The names in a folder, hidden ones too (a temporary file left behind would show here).
QStringList FolderEntries(const QTemporaryDir& folder) {
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(MainWindow, FailedSavesLeaveTheOldFileAndTheTextAsTheyWere) {
    struct TCase {
        const char* Ops;
        long long After;
        const char* Error;
    };
    // Small and larger documents, every step of a save failing, and a disk that fills mid-way.
    for (const TCase& fault : {TCase{"write", 0, "ENOSPC"}, TCase{"write", 5, "ENOSPC"}, TCase{"write", 20000, "EIO"},
                               TCase{"fsync", 0, "EIO"}, TCase{"close", 0, "EDQUOT"}, TCase{"rename", 0, "EIO"}}) {
        for (const int lines : {1, 3000}) {
            if (fault.After > 1000 && lines == 1) continue; // a small document never reaches that
            SCOPED_TRACE(std::string(fault.Ops) + " after " + std::to_string(fault.After) + ", lines " +
                         std::to_string(lines));
            TRig rig;
            const QString path = rig.Path("kept.txt");
            std::string old;
            for (int i = 0; i < lines; ++i) old += Utf8ToCp1251("старый текст ") + std::to_string(i) + "\r\n";
            Write(path, old);
            ASSERT_TRUE(rig.Form.OpenDocument(path, false));
            rig.Form.RichEdit1->moveCursor(QTextCursor::End);
            rig.Form.RichEdit1->insertPlainText("новое");
            ASSERT_TRUE(rig.Form.RichEdit1->document()->isModified());
            QString message;
            {
                zelm::test::TFaults faults(fault.Ops, rig.Folder.path().toStdString() + "/*", fault.Error, fault.After);
                AnswerDialogs({Click("OK", &message)});
                rig.Form.SaveButton->click();
            }
            const int code = std::string(fault.Error) == "EIO" ? EIO : std::string(fault.Error) == "EDQUOT" ? EDQUOT : ENOSPC;
            EXPECT_EQ(message, "Cannot create file " + path + "\n" + QString::fromLocal8Bit(std::strerror(code)));
            EXPECT_TRUE(Slurp(path) == old);
            EXPECT_EQ(FolderEntries(rig.Folder), QStringList{"kept.txt"});
            EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
            // Once the disk has room again, the same save works.
            rig.Form.SaveButton->click();
            EXPECT_TRUE(Slurp(path) == old + Utf8ToCp1251("новое"));
            EXPECT_FALSE(rig.Form.RichEdit1->document()->isModified());
        }
    }
}

TEST(MainWindow, AFailedSaveInTheCloseQuestionEndsTheOperation) {
    TRig rig;
    const QString path = rig.Path("doc.txt"), other = rig.Path("other.txt");
    Write(path, "old\r\n");
    Write(other, "other\r\n");
    ASSERT_TRUE(rig.Form.OpenDocument(path, false));
    rig.Form.show();
    rig.Form.RichEdit1->insertPlainText("typed ");
    zelm::test::TFaults faults("write", rig.Folder.path().toStdString() + "/*");
    QString question, message;

    AnswerDialogs({Click("&Yes", &question), Click("OK", &message)});
    EXPECT_FALSE(rig.Form.close());
    EXPECT_EQ(question, "Save changes to " + path + "?");
    EXPECT_TRUE(message.startsWith("Cannot create file " + path));
    EXPECT_TRUE(rig.Form.isVisible());

    rig.OpenAnswer = TOpenChoice{other, false};
    AnswerDialogs({Click("&Yes"), Click("OK")});
    rig.Form.OpenButton->click();
    EXPECT_EQ(rig.Form.FileName(), path);

    AnswerDialogs({Click("&Yes"), Click("OK")});
    rig.Form.NewButton->click();
    EXPECT_EQ(rig.Form.FileName(), path);
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "typed old\n");
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
    EXPECT_EQ(Slurp(path), "old\r\n");

    // An untitled document whose Save As fails stays open as well.
    rig.Form.RichEdit1->document()->setModified(false);
    rig.Form.FileNew();
    rig.Form.RichEdit1->insertPlainText("новый");
    rig.SaveAnswer = rig.Path("new.txt");
    AnswerDialogs({Click("&Yes"), Click("OK")});
    EXPECT_FALSE(rig.Form.close());
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "новый");
    EXPECT_FALSE(QFileInfo::exists(rig.Path("new.txt")));
    rig.Form.RichEdit1->document()->setModified(false);
}

TEST(MainWindow, OpeningAndSavingWritesBackEveryCharacter) {
    TRig rig;
    const std::pair<std::string, std::string> files[] = {
        {"a\xA0" "b\x98\r\nc\r\n", "a\xA0" "b\x98\r\nc\r\n"},                      // Windows-1251 no-break space
        {"строка\u2028ещё\u00A0раз\u2029абзац\r\n", "строка\u2028ещё\u00A0раз\u2029абзац\r\n"}, // UTF-8 separators
        {"", ""},
        {"\r\n", "\r\n"},
        {"a\r\n\r\n", "a\r\n\r\n"},
        {"x", "x"},                     // a last line without a line end stays so
        {"a\rb\nc", "a\rb\nc"},           // every line keeps its own line end
    };
    for (const auto& [bytes, saved] : files) {
        const QString path = rig.Path("round.txt");
        Write(path, bytes);
        ASSERT_TRUE(rig.Form.OpenDocument(path, false));
        rig.Form.FileSave();
        EXPECT_EQ(Slurp(path), saved) << bytes;
    }
    // The print shows the same lines: a line separator breaks a line, the final line end adds none.
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("round.txt"), false));
    Write(rig.Path("lines.txt"), "один\u2028два\r\nтри\r\n");
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("lines.txt"), false));
    EXPECT_EQ(rig.Form.RichEdit1->Lines(), (QStringList{"один", "два", "три"}));
    // An empty new document saves as an empty file.
    rig.Form.FileNew();
    rig.SaveAnswer = rig.Path("empty.txt");
    rig.Form.FileSave();
    EXPECT_TRUE(QFileInfo::exists(rig.Path("empty.txt")));
    EXPECT_EQ(Slurp(rig.Path("empty.txt")), "");
}

TEST(MainWindow, ShortWindows1251FilesOpenAsWindows1251) {
    TRig rig;
    const QString path = rig.Path("short.txt");
    for (const auto& [bytes, text] : {std::pair<std::string, QString>{"\xD1\xB3", "Сі"}, {"\xCD\xB3", "Ні"},
                                      {"\xD0\xB8", "Рё"}, {"мо́ре да", "мо́ре да"}}) {
        Write(path, bytes);
        ASSERT_TRUE(rig.Form.OpenDocument(path, false));
        EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), text);
        rig.Form.FileSave();
        EXPECT_EQ(Slurp(path), bytes);
    }
}

TEST(MainWindow, PasteTakesTheClipboardTextOnly) {
    TRig rig;
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* edit = rig.Form.RichEdit1;
    // An empty clipboard, and one that holds no text, paste nothing.
    clipboard->clear();
    rig.Form.PasteButton->click();
    rig.Form.EditPasteItem->trigger();
    EXPECT_TRUE(edit->toPlainText().isEmpty());
    auto* picture = new QMimeData;
    picture->setData("image/png", QByteArray("\x89PNG", 4));
    clipboard->setMimeData(picture);
    rig.Form.PasteButton->click();
    EXPECT_TRUE(edit->toPlainText().isEmpty());

    // Text comes in through the button, the menu and the keyboard, as plain text.
    auto* rich = new QMimeData;
    rich->setHtml("<b>жирный</b>");
    rich->setText("кот");
    clipboard->setMimeData(rich);
    rig.Form.PasteButton->click();
    rig.Form.EditPasteItem->trigger();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(edit, &press);
    EXPECT_EQ(edit->toPlainText(), "коткоткот");

    // A large clipboard goes in whole; a read-only editor takes nothing.
    const QString large(2'000'000, QLatin1Char('x'));
    clipboard->setText(large);
    rig.Form.PasteButton->click();
    EXPECT_EQ(edit->toPlainText().size(), 9 + large.size());
    edit->setReadOnly(true);
    rig.Form.PasteButton->click();
    EXPECT_EQ(edit->toPlainText().size(), 9 + large.size());
    clipboard->clear();
}


TEST(PrintIntoFiles, EveryWindowTellsWhereThePrintWent) {
    QTemporaryDir folder;
    auto printer = TQtPrinter::Pdf({});
    printer->SetFallbackFolder(folder.path());
    TMainForm form(std::move(printer));
    form.RichEdit1->setPlainText("строка документа");
    const auto accept = [](QWidget* w) { return dynamic_cast<TFontForm*>(w) != nullptr; };
    const auto box = [](QWidget* w) { return dynamic_cast<QMessageBox*>(w) != nullptr; };
    QString told;
    AnswerWhen(accept, [](QWidget* w) { static_cast<TFontForm*>(w)->BitBtn1->click(); });
    AnswerWhen(box, [&](QWidget* w) {
        told = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    form.PrintButton->click();
    const QStringList files = QDir(folder.path()).entryList({"*.pdf"});
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(told, "Печать сохранена в файл:\n" + QDir(folder.path()).filePath(files[0]));
    EXPECT_TRUE(Slurp(QDir(folder.path()).filePath(files[0])).starts_with("%PDF"));

    // A report from a result window says so too, in its own window.
    QString reported, caption;
    form.cmbWord->setEditText("кот");
    AnswerWhen([](QWidget* w) { return dynamic_cast<TWordForm*>(w) != nullptr; }, [&](QWidget* w) {
        auto* window = static_cast<TWordForm*>(w);
        AnswerWhen(accept, [](QWidget* f) { static_cast<TFontForm*>(f)->BitBtn1->click(); });
        AnswerWhen(box, [&, window](QWidget* b) {
            reported = static_cast<QMessageBox*>(b)->text();
            caption = b->windowTitle();
            static_cast<QMessageBox*>(b)->accept();
            QTimer::singleShot(0, window, [window] { window->reject(); });
        });
        window->btnPrint->click();
    });
    form.WordEvalItemClick();
    EXPECT_TRUE(reported.startsWith("Печать сохранена в файл:\n" + folder.path())) << reported.toStdString();
    EXPECT_EQ(caption, "ЗЕЛМ-dare (Проект ЗЕЛМ)"); // not the result window's long caption
    EXPECT_EQ(QDir(folder.path()).entryList({"*.pdf"}).size(), 2);
}

// Enter in the main word box opens the word window on the word, as the note button does.
TEST(MainWindow, EnterInTheWordBoxEvaluatesTheWord) {
    TRig rig;
    rig.Form.show();
    rig.Form.cmbWord->setEditText("  мо*ре ");
    QString shown;
    // Polled by a timer of its own: the word window's loop runs inside the key's delivery.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* window = dynamic_cast<TWordForm*>(QApplication::activeModalWidget())) {
            shown = window->cmbWord->currentText();
            window->reject();
        }
    });
    answer.start(20);
    QTest::keyClick(rig.Form.cmbWord->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(shown, "мо*ре");
    EXPECT_EQ(rig.Form.cmbWord->findText("мо*ре"), 0) << "remembered";
}

// Margins that leave less than a character of one line: the print settings step says so and
// nothing is printed.
TEST(DocumentPrint, MarginsThatLeaveNoRoomPrintNothing) {
    TRig rig;
    rig.Form.RichEdit1->setPlainText("text");
    QString message;
    // The widest margins and the largest size the dialog offers: 10 mm of line, a character of 100
    // points is wider.
    AnswerWhen([](QWidget* w) { return dynamic_cast<TFontForm*>(w) != nullptr; }, [](QWidget* w) {
        auto* form = static_cast<TFontForm*>(w);
        for (TUpDown* limit : {form->udLeft, form->udRight, form->udSize}) limit->StepBy(100);
        form->BitBtn1->click();
    });
    AnswerWhen([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }, Click("OK", &message));
    rig.Form.PrintButton->click();
    EXPECT_TRUE(message.startsWith("Поля страницы не оставляют места для текста")) << message.toStdString();
    EXPECT_TRUE(rig.Printer->Calls.empty());
}

TEST(PrintIntoFiles, NoPrinterAndNoFileIsNoPrinter) {
    auto printer = TQtPrinter::Pdf({});
    printer->SetFallbackFolder("/dev/null/zelm");
    TMainForm form(std::move(printer));
    QString message;
    AnswerNextDialog([&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    form.PrintButton->click();
    EXPECT_EQ(message, "There is no default printer currently selected");
}

TEST(MainWindow, ApplicationIconAtEverySize) {
    const QIcon icon = ApplicationIcon();
    for (const int size : {16, 32, 64}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // The navy note and the red start of the colour strip are there at every size.
        const QColor note = image.pixelColor(size * 30 / 64, size * 20 / 64);
        EXPECT_LT(note.red(), 60) << size;
        EXPECT_GT(note.blue(), 90) << size;
        const QColor red = image.pixelColor(size * 9 / 64, size * 52 / 64);
        EXPECT_GT(red.red(), 200) << size;
        EXPECT_LT(red.green(), 60) << size;
    }
    if (const QString folder = qEnvironmentVariable("ZELM_SCREENSHOTS"); !folder.isEmpty())
        icon.pixmap(64, 64).save(QDir(folder).filePath("icon64.png"));
}

TEST(MainWindow, F1OpensTheContextOfWhatIsFocusedOrHighlighted) {
    InitHelpFilePath();
    TRig rig;
    const auto f1 = [](QObject* target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    };
    // The context of the topic the help viewer opens.
    // The viewer is a normal window that stays open, one at a time.
    const auto viewerContext = [](std::function<void()> ask) {
        ask();
        THelpViewer* viewer = OpenHelpViewer();
        if (!viewer) return -1;
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_FALSE(viewer->isModal());
        EXPECT_NE(QApplication::activeModalWidget(), viewer);
        return viewer->CurrentContext();
    };
    // The highlighted items of the analysis menu: contexts 120 and 140.
    QMenu* phone = nullptr;
    for (QObject* object : rig.Form.WordEvalItem->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(object)) phone = menu;
    ASSERT_NE(phone, nullptr);
    phone->setActiveAction(rig.Form.WordEvalItem);
    EXPECT_EQ(viewerContext([&] { f1(phone); }), 120);
    phone->setActiveAction(rig.Form.TextEvalItem);
    EXPECT_EQ(viewerContext([&] { f1(phone); }), 140);
    EXPECT_EQ(HelpContextOf(rig.Form.RichEdit1, -1), 10);
    EXPECT_EQ(HelpContextOf(rig.Form.cmbWord, -1), 10);

    // The about box: 50.
    TAboutForm about;
    EXPECT_EQ(viewerContext([&] { f1(&about); }), 50);

    // The result windows: their controls carry the window's context, the button panels their own.
    TWordForm word;
    EXPECT_EQ(HelpContextOf(word.Panel2, -1), 60);
    EXPECT_EQ(HelpContextAt(word.btnEval, -1), 50);
    EXPECT_EQ(HelpContextAt(word.grFon24, -1), 50);
    TTextForm text;
    EXPECT_EQ(HelpContextOf(text.Panel1, -1), 80);
    EXPECT_EQ(HelpContextAt(text.btnPrint, -1), 60);
    TUkrMainForm ukrainian;
    EXPECT_EQ(HelpContextAt(ukrainian.btnEval, -1), 50);
    // F1 in a shown window opens the focused control's topic.
    word.show();
    word.grFon24->setFocus();
    EXPECT_EQ(viewerContext([&] { f1(&word); }), 50);
    text.show();
    text.btnHelp->setFocus();
    EXPECT_EQ(viewerContext([&] { f1(&text); }), 60);
    // The help button of each window opens its window's topic.
    THelpViewer* first = OpenHelpViewer();
    EXPECT_EQ(viewerContext([&] { ukrainian.btnHelp->click(); }), 50);
    EXPECT_EQ(OpenHelpViewer(), first); // the same window, raised
    delete OpenHelpViewer();
}

// The file dialogs show sizes, dates and folders in Russian on any system locale, with columns
// as wide as their contents.
TEST(MainWindow, FileDialogsSpeakRussianWithWholeColumns) {
    QTemporaryDir folder;
    Write(folder.filePath("notes.txt"), std::string(96, 'x'));
    QDir(folder.path()).mkdir("drafts");
    QFileDialog dialog(nullptr, "Открыть", folder.path());
    PrepareFileDialog(dialog);
    dialog.show();
    auto* view = dialog.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    const auto row = [&](const QString& name) {
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            if (view->model()->index(r, 0, view->rootIndex()).data().toString() == name) return r;
        return -1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(row("notes.txt") >= 0 && row("drafts") >= 0, 5000);
    const auto cell = [&](const QString& name, int column) {
        return view->model()->index(row(name), column, view->rootIndex()).data().toString();
    };
    EXPECT_EQ(cell("notes.txt", 1), "96 байт");
    EXPECT_EQ(cell("drafts", 2), "Папка");
    EXPECT_FALSE(cell("notes.txt", 2).contains("document")) << cell("notes.txt", 2).toStdString();
    EXPECT_EQ(cell("notes.txt", 3), QLocale(QLocale::Russian).toString(QFileInfo(folder.filePath("notes.txt")).lastModified(),
                                                                       QLocale::ShortFormat));
    for (int column = 1; column <= 3; ++column)
        EXPECT_EQ(view->header()->sectionResizeMode(column), QHeaderView::ResizeToContents);
}

// The font dialog opens on the editor's font as drawn: "MS Sans Serif" 13 px is its stand-in.
TEST(MainWindow, TheFontDialogStartsFromTheEditorsFont) {
    TRig rig;
    QFont shown;
    AnswerNextDialog([&](QWidget* dialog) {
        shown = static_cast<QFontDialog*>(dialog)->currentFont();
        static_cast<QDialog*>(dialog)->accept();
    });
    rig.Form.miEditFont->trigger();
    EXPECT_EQ(shown.family(), QFontInfo(QFont("MS Sans Serif")).family());
    EXPECT_NE(shown.family(), "Sans Serif");
    EXPECT_NEAR(shown.pointSizeF() * rig.Form.logicalDpiY() / 72.0, 13, 0.5);
    // Its style is the family's upright regular one (whatever the family calls it: "Book"), so OK
    // as it opened leaves the editor's type as it was.
    const QFontInfo editor(rig.Form.RichEdit1->font());
    EXPECT_EQ(shown.weight(), QFont::Normal) << shown.styleName().toStdString();
    EXPECT_FALSE(shown.italic()) << shown.styleName().toStdString();
    EXPECT_EQ(editor.weight(), QFont::Normal);
    EXPECT_FALSE(editor.italic());
}

TEST(MainWindow, TheMenuBarAndItsMenusShareOneFont) {
    TRig rig;
    for (QAction* title : rig.Form.menuBar()->actions()) {
        const QFontInfo bar(rig.Form.menuBar()->font()), menu(title->menu()->font());
        EXPECT_EQ(bar.family(), menu.family()) << title->text().toStdString();
        EXPECT_EQ(bar.pixelSize(), menu.pixelSize()) << title->text().toStdString();
    }
}

TEST(MainWindow, ToolkitTextsInRussianOursAsTheyAre) {
    ASSERT_TRUE(InstallToolkitTranslations(*QCoreApplication::instance()))
        << "the toolkit's Russian translations are missing (package qt6-translations-l10n)";
    // A dialog of the toolkit: its buttons and labels are Russian.
    QFileDialog dialog(nullptr, "Открыть");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList buttons;
    for (auto* button : dialog.findChildren<QPushButton*>()) buttons.push_back(button->text());
    EXPECT_TRUE(buttons.contains("Отмена")) << buttons.join(", ").toStdString();
    EXPECT_FALSE(buttons.contains("Cancel"));
    // The editor's context menu.
    TRig rig;
    std::unique_ptr<QMenu> menu(rig.Form.RichEdit1->createStandardContextMenu());
    QStringList items;
    for (QAction* action : menu->actions()) items.push_back(action->text());
    EXPECT_TRUE(items.join("|").contains("Выделить все") || items.join("|").contains("Выделить всё"))
        << items.join("|").toStdString();
    // The texts the program quotes stay as they are.
    QString question;
    QStringList confirm;
    AnswerNextDialog([&](QWidget* box) {
        question = box->windowTitle();
        for (auto* button : box->findChildren<QPushButton*>()) confirm.push_back(button->text());
        ClickButton(box, "Cancel");
    });
    ConfirmYesNoCancel(nullptr, "Save changes to Untitled?");
    EXPECT_EQ(question, "Confirm");
    EXPECT_TRUE(confirm.contains("&Yes") && confirm.contains("&No") && confirm.contains("Cancel")) << confirm.join(",").toStdString();
}

ZELM_QT_TEST_MAIN
