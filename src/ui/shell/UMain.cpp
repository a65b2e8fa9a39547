#include "UMain.h"

#include "Engines.h"
#include "UAbout.h"
#include "UFonts.h"
#include "UMainTxt.h"
#include "UMainWrd.h"
#include "UUkrMainWord.h"
#include "QtPrinter.h"
#include "ru/Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QTranslator>
#include <QVBoxLayout>

#include <stdexcept>

namespace zelm {

const QString ApplicationTitle = QStringLiteral("ЗЕЛМ-dare (Проект ЗЕЛМ)");

namespace {

const QString Untitled = QStringLiteral("Untitled");

// A modal dialog's cancel inside a handler ends the handler silently.
struct TAbort {};

// A file that cannot be written: the message ends the handler that met it, as an error the
// application's handler shows.
struct EFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace

QIcon ToolGlyph(const QString& name) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0, 0, 0), blue(0, 0, 128), paper(255, 255, 255), folder(224, 192, 64);
    p.setPen(ink);
    if (name == "new" || name == "copy" || name == "paste") {
        if (name == "paste") {
            p.setBrush(QColor(160, 112, 48));
            p.drawRect(1, 2, 10, 12);
        }
        p.setBrush(paper);
        p.drawRect(name == "new" ? 3 : 5, name == "paste" ? 5 : 1, 9, 12);
        if (name == "copy") p.drawRect(1, 3, 9, 12);
    } else if (name == "open") {
        p.setBrush(folder);
        p.drawRect(1, 4, 13, 10);
        p.drawRect(1, 3, 5, 2);
    } else if (name == "save") {
        p.setBrush(blue);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(paper);
        p.drawRect(4, 2, 7, 5);
    } else if (name == "print") {
        p.setBrush(paper);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(1, 6, 13, 6);
        p.setBrush(paper);
        p.drawRect(4, 10, 7, 5);
    } else if (name == "undo") {
        p.setPen(QPen(blue, 2));
        p.drawArc(QRect(4, 4, 9, 9), 90 * 16, -270 * 16);
        p.setBrush(blue);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(7, 1), QPoint(7, 8)}));
    } else if (name == "cut") {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(1, 10, 5, 5));
        p.drawEllipse(QRect(9, 10, 5, 5));
        p.drawLine(4, 10, 10, 1);
        p.drawLine(11, 10, 5, 1);
    } else if (name == "note" || name == "notes") {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(blue, 1.5));
        p.setBrush(blue);
        if (name == "note") {
            p.drawEllipse(QRectF(3, 10, 5, 4));
            p.drawLine(QPointF(7.5, 12), QPointF(7.5, 2));
            p.drawLine(QPointF(7.5, 2), QPointF(12, 6));
        } else {
            p.drawEllipse(QRectF(1, 11, 5, 4));
            p.drawEllipse(QRectF(9, 9, 5, 4));
            p.drawLine(QPointF(5.5, 13), QPointF(5.5, 3));
            p.drawLine(QPointF(13.5, 11), QPointF(13.5, 1));
            p.setPen(QPen(blue, 2.5));
            p.drawLine(QPointF(5.5, 3), QPointF(13.5, 1));
        }
    }
    return QIcon(pixmap);
}

bool InstallToolkitTranslations(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(size / 64.0, size / 64.0); // drawn on the 64-unit grid of the SVG
        const QColor navy(0, 0, 128);
        p.setPen(QPen(navy, 3));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
        p.setPen(Qt::NoPen);
        const QColor strip[] = {QColor(255, 0, 0), QColor(255, 255, 0), QColor(0, 128, 0),
                                QColor(0, 0, 255), QColor(128, 0, 128), QColor(128, 0, 0)};
        const double left[] = {6, 15, 24, 33, 41, 50, 58};
        for (int i = 0; i < 6; ++i) p.fillRect(QRectF(left[i], 46, left[i + 1] - left[i], 12), strip[i]);
        p.setBrush(navy);
        p.save();
        p.translate(23, 37);
        p.rotate(-20);
        p.drawEllipse(QRectF(-9, -6.5, 18, 13));
        p.restore();
        p.drawRect(QRectF(28.5, 8, 4.5, 29));
        QPainterPath flag;
        flag.moveTo(33, 8);
        flag.cubicTo(40, 14, 48, 16, 46, 29);
        flag.cubicTo(45, 22, 40, 19, 33, 18);
        flag.closeSubpath();
        p.drawPath(flag);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

TMainForm::TMainForm(std::unique_ptr<IPrinterService> printer) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    resize(834, 320);
    DialogFont_ = QFont(QStringLiteral("MS Sans Serif"));
    DialogFont_.setPixelSize(13);

    // The speed bar on top, the editor filling the rest.
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    RichEdit1 = new TTextEditor(client);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCentralWidget(client);
    stBar = statusBar();
    BuildToolBar();
    layout->addWidget(SpeedBar_);
    layout->addWidget(RichEdit1);
    BuildMenu();

    // The shared line printer: margins of 1 inch, "Courier New" 42 pixels high at the printer's
    // 300 pixels per inch (10 points).
    Printer_ = printer ? std::move(printer) : MakeSystemPrinter();
    LinePrinter_ = std::make_unique<TLinePrinter>(*Printer_);
    TPrinterFont printerFont = LinePrinter_->Font();
    printerFont.Name = QStringLiteral("Courier New");
    printerFont.PixelsPerInch = 300;
    printerFont.SetHeight(-42);
    printerFont.Bold = printerFont.Italic = printerFont.Underline = printerFont.StrikeOut = false;
    printerFont.Colour = 0;
    LinePrinter_->SetFont(printerFont);
    LinePrinter_->SetMarginTop(1);
    LinePrinter_->SetMarginBottom(1);
    LinePrinter_->SetMarginLeft(1);
    LinePrinter_->SetMarginRight(1);

    // The text splitters look once for a pending Esc.
    EscapeWatcher_ = new TEscapeWatcher(this);
    RussianEngine().Text.EscapeProbe = [watcher = EscapeWatcher_] { return watcher->Pending(); };
    UkrainianEngine().Text.EscapeProbe = [watcher = EscapeWatcher_] { return watcher->Pending(); };

    AskOpenFile = [this]() -> std::optional<std::pair<QString, bool>> {
        QFileDialog dialog(this, QStringLiteral("Открыть"), QDir::currentPath(),
                           QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*.*)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        auto* readOnly = new QCheckBox(QStringLiteral("Только для чтения"), &dialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return std::pair{dialog.selectedFiles().front(), readOnly->isChecked()};
    };
    AskSaveFile = [this]() -> std::optional<QString> {
        QFileDialog dialog(this, QStringLiteral("Сохранить как..."), QDir::currentPath(),
                           QStringLiteral("Текстовые файлы (*.txt)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front();
    };

    // F1 opens help at the editor's and the word box's context, 10.
    // F1 opens help at the focused control's context (the editor's and the word box's, 10).
    SetHelpContext(RichEdit1, 10);
    SetHelpContext(cmbWord, 10);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this,
            [this] { ShowHelpTopic(this, HelpFilePath(), HelpContextAt(QApplication::focusWidget(), 10)); });

    SetDocumentName(Untitled);
    Document_.Encoding = TDocEncoding::deCp1251;
    SetReportHost(this);
}

TMainForm::~TMainForm() {
    if (ReportHost() == this) SetReportHost(nullptr);
    RussianEngine().Text.EscapeProbe = nullptr;
    UkrainianEngine().Text.EscapeProbe = nullptr;
}

void TMainForm::BuildToolBar() {
    auto* speedBar = new QWidget(this);
    SpeedBar_ = speedBar;
    speedBar->setFixedHeight(32);
    auto* bevel = new QFrame(speedBar);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(0, 0, 4000, 2);
    auto button = [&](int x, const QString& glyph, const QString& hint, bool tooltip) {
        auto* b = new QToolButton(speedBar);
        b->setGeometry(x, 5, 25, 25);
        b->setIcon(ToolGlyph(glyph));
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setStatusTip(hint);
        if (tooltip) b->setToolTip(hint);
        return b;
    };
    NewButton = button(4, "new", QStringLiteral("Новый файл"), false);
    OpenButton = button(29, "open", QStringLiteral("Открыть файл"), false);
    SaveButton = button(54, "save", QStringLiteral("Сохранить файл"), false);
    PrintButton = button(79, "print", QStringLiteral("Печать"), false);
    UndoButton = button(109, "undo", QStringLiteral("Отмена"), false);
    CutButton = button(134, "cut", QStringLiteral("Вырезать"), false);
    CopyButton = button(159, "copy", QStringLiteral("Копировать"), false);
    PasteButton = button(184, "paste", QStringLiteral("Вставить"), false);
    cmbWord = new TWordBox(speedBar);
    cmbWord->setGeometry(217, 5, 177, 24);
    cmbWord->setStatusTip(QStringLiteral("Поле ввода слова для эмоциональной оценки"));
    cmbWord->setToolTip(cmbWord->statusTip());
    btnWord = button(400, "note", QStringLiteral("Оценка слова"), true);
    btnText = button(425, "notes", QStringLiteral("Оценка текста"), true);
    auto* panel = new QFrame(speedBar);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(455, 3, 193, 28);
    panel->setStatusTip(QStringLiteral("Выбор рабочего языка"));
    panel->setToolTip(panel->statusTip());
    rbRussian = new QRadioButton(QStringLiteral("Русский"), panel);
    rbRussian->setGeometry(8, 4, 80, 20);
    rbUkraine = new QRadioButton(QStringLiteral("Украинский"), panel);
    rbUkraine->setGeometry(92, 4, 96, 20);
    rbRussian->setChecked(true);
    for (QWidget* w : std::initializer_list<QWidget*>{rbRussian, rbUkraine}) w->setStatusTip(panel->statusTip());

    connect(NewButton, &QToolButton::clicked, this, [this] { RunHandler([this] { FileNew(); }); });
    connect(OpenButton, &QToolButton::clicked, this, [this] { RunHandler([this] { FileOpen(); }); });
    connect(SaveButton, &QToolButton::clicked, this, [this] { RunHandler([this] { FileSave(); }); });
    connect(PrintButton, &QToolButton::clicked, this, [this] { RunHandler([this] { FilePrint(); }); });
    connect(UndoButton, &QToolButton::clicked, RichEdit1, &QPlainTextEdit::undo);
    connect(CutButton, &QToolButton::clicked, RichEdit1, &QPlainTextEdit::cut);
    connect(CopyButton, &QToolButton::clicked, RichEdit1, &QPlainTextEdit::copy);
    connect(PasteButton, &QToolButton::clicked, this, [this] { RunHandler([this] { EditPaste(); }); });
    connect(btnWord, &QToolButton::clicked, this, [this] { RunHandler([this] { WordEvalItemClick(); }); });
    connect(btnText, &QToolButton::clicked, this, [this] { RunHandler([this] { TextEvalItemClick(); }); });
}

void TMainForm::BuildMenu() {
    auto item = [this](QMenu* menu, const QString& caption, const QString& hint, std::function<void()> handler) {
        QAction* action = menu->addAction(caption);
        action->setStatusTip(hint);
        connect(action, &QAction::triggered, this, [this, handler] { RunHandler(handler); });
        return action;
    };
    // Menus are drawn in the desktop's menu font, the bar and its drop-down menus alike, not in the
    // window's dialog font.
    menuBar()->setFont(QApplication::font(menuBar()));
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    FileNewItem = item(file, QStringLiteral("Новый"), QStringLiteral("Create a new file"), [this] { FileNew(); });
    FileOpenItem = item(file, QStringLiteral("Открыть..."), QStringLiteral("Open an existing file"), [this] { FileOpen(); });
    FileSaveItem = item(file, QStringLiteral("Сохранить"), QStringLiteral("Save current file"), [this] { FileSave(); });
    FileSaveAsItem = item(file, QStringLiteral("Сохранить как..."), QStringLiteral("Save current file under a new name"),
                          [this] { FileSaveAs(); });
    file->addSeparator();
    PrintSetupItem = item(file, QStringLiteral("Параметры печати..."), {}, [this] { PrintSetupItemClick(); });
    FilePrintItem = item(file, QStringLiteral("Печать..."), QStringLiteral("Print current file"), [this] { FilePrint(); });
    file->addSeparator();
    FileExitItem = item(file, QStringLiteral("Выход"), QStringLiteral("Exit this application"), [this] { close(); });
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Редактирование"));
    EditUndoItem = item(edit, QStringLiteral("Отмена"), QStringLiteral("Undo the last action"), [this] { RichEdit1->undo(); });
    edit->addSeparator();
    EditCutItem = item(edit, QStringLiteral("Вырезать"), QStringLiteral("Delete selected item"), [this] { RichEdit1->cut(); });
    EditCopyItem = item(edit, QStringLiteral("Копировать"), QStringLiteral("Copy selected item to clipboard"),
                        [this] { RichEdit1->copy(); });
    EditPasteItem = item(edit, QStringLiteral("Вставить"), QStringLiteral("Paste contents of clipboard"),
                         [this] { EditPaste(); });
    edit->addSeparator();
    miEditFont = item(edit, QStringLiteral("Шрифт..."), {}, [this] { miEditFontClick(); });
    QMenu* phone = menuBar()->addMenu(QStringLiteral("Анализ"));
    WordEvalItem = item(phone, QStringLiteral("Эмоциональная оценка слова"), {}, [this] { WordEvalItemClick(); });
    TextEvalItem = item(phone, QStringLiteral("Эмоциональная оценка текста"), {}, [this] { TextEvalItemClick(); });
    SetHelpContext(WordEvalItem, 120);
    SetHelpContext(TextEvalItem, 140);
    // F1 on a highlighted menu item opens its context.
    for (QMenu* menu : {file, edit, phone}) menu->installEventFilter(this);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    HelpContentsItem = item(help, QStringLiteral("Содержание"), QStringLiteral("Display the help contents screen"),
                            [this] { HelpContentsItemClick(); });
    help->addSeparator();
    HelpAboutItem = item(help, QStringLiteral("О системе..."), QStringLiteral("Show program information"),
                         [this] { HelpAbout(); });
}

// Runs a handler as the toolkit's event loop would: an error it raises is shown in a message box
// and the window stays open; a cancelled confirmation ends it silently.
void TMainForm::RunHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const TAbort&) {
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
    }
}

void TMainForm::ShowError(const QString& message) { QMessageBox::critical(this, ApplicationTitle, message); }

void TMainForm::EditPaste() { RichEdit1->PasteText(); }

void TMainForm::SetDocumentName(const QString& name) {
    FileName_ = name;
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(name).fileName(), ApplicationTitle));
}

// A save that fails raises its error here, which ends the calling operation: the text stays.
TMainForm::TConfirm TMainForm::ConfirmSaveChanges() {
    if (!RichEdit1->document()->isModified()) return TConfirm::Continue;
    switch (ConfirmYesNoCancel(this, QStringLiteral("Save changes to %1?").arg(FileName_))) {
    case TConfirmResult::crYes: FileSave(); return TConfirm::Continue;
    case TConfirmResult::crNo: return TConfirm::Continue;
    case TConfirmResult::crCancel: break;
    }
    return TConfirm::Abort;
}

// Asks about unsaved changes first, as Open and closing do, so that New never discards typed text
// unasked.
void TMainForm::FileNew() {
    if (ConfirmSaveChanges() == TConfirm::Abort) return;
    SetDocumentName(Untitled);
    RichEdit1->clear();
    RichEdit1->document()->setModified(false);
    Document_ = TDocument();
}

bool TMainForm::OpenDocument(const QString& path, bool readOnly) {
    TDocument document;
    QString error;
    if (!LoadDocument(path, document, error)) {
        ShowError(error); // the document stays as it was
        return false;
    }
    Document_ = document;
    RichEdit1->SetDocumentText(document.Text);
    SetDocumentName(QFileInfo(path).absoluteFilePath());
    RichEdit1->setFocus();
    RichEdit1->document()->setModified(false);
    RichEdit1->setReadOnly(readOnly);
    return true;
}

void TMainForm::FileOpen() {
    if (ConfirmSaveChanges() == TConfirm::Abort) return;
    const auto chosen = AskOpenFile();
    if (!chosen) return;
    OpenDocument(chosen->first, chosen->second);
}

void TMainForm::SaveTo(const QString& path) {
    Document_.Text = RichEdit1->DocumentText();
    QString error;
    if (!SaveDocument(path, Document_, error)) throw EFileError(error.toStdString());
    RichEdit1->document()->setModified(false);
    if (Document_.Encoding == TDocEncoding::deUtf8 && EncodingFor(Document_.Text) == TDocEncoding::deUtf8)
        stBar->showMessage(QStringLiteral("Сохранено в UTF-8: в тексте есть знаки, которых нет в кодировке Windows-1251"), 5000);
}

void TMainForm::FileSave() {
    if (FileName_ == Untitled) {
        FileSaveAs();
        return;
    }
    SaveTo(FileName_);
}

void TMainForm::FileSaveAs() {
    const auto chosen = AskSaveFile();
    if (!chosen) return;
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    if (QFileInfo::exists(path) &&
        ConfirmYesNoCancel(this, QStringLiteral("OK to overwrite %1").arg(path)) != TConfirmResult::crYes)
        return;
    if (FileName_ == Untitled && Document_.Text.isEmpty()) Document_.Encoding = EncodingFor(RichEdit1->DocumentText());
    SaveTo(path);
    SetDocumentName(path);
}

bool TMainForm::EditPrintSettings(TLinePrinter& printer) {
    printer.SetMeasureUnit(muMillimeters);
    int left = int(RoundHalfEven(printer.MarginLeft())), right = int(RoundHalfEven(printer.MarginRight()));
    int top = int(RoundHalfEven(printer.MarginTop())), bottom = int(RoundHalfEven(printer.MarginBottom()));
    int spacing = 0;
    if (printer.LineSpacing() == lsSingleAndAHalf) spacing = 1;
    else if (printer.LineSpacing() == lsDoubleSpace) spacing = 2;
    if (!ExecutePrintSettings(Printer(), printer.Font(), left, right, top, bottom, spacing)) return false;
    printer.SetMarginTop(float(top));
    printer.SetMarginBottom(float(bottom));
    printer.SetMarginLeft(float(left));
    printer.SetMarginRight(float(right));
    if (spacing == 0) printer.SetLineSpacing(lsSingleSpace);
    else if (spacing == 1) printer.SetLineSpacing(lsSingleAndAHalf);
    else if (spacing == 2) printer.SetLineSpacing(lsDoubleSpace);
    return true;
}

void TMainForm::FilePrint() {
    TLinePrinter& lp = LinePrinter();
    if (!EditPrintSettings(lp)) return;
    lp.Lines = RichEdit1->Lines();
    lp.PageBorders = 0;
    // A document has no header or footer, whatever a report left in the printer.
    lp.Header.clear();
    lp.Footer.clear();
    lp.LinesAsTable = false;
    const TPrintJobGuard guard(lp);
    lp.BeginDoc();
    lp.PrintLines();
    lp.EndDoc();
    TellWherePrinted(this);
}

void TMainForm::TellWherePrinted(QWidget* window) {
    const QString file = Printer().OutputFile();
    if (file.isEmpty()) return;
    stBar->showMessage(QStringLiteral("Напечатано в файл %1").arg(file));
    QMessageBox::information(window, window->windowTitle(),
                             QStringLiteral("Печать сохранена в файл:\n%1").arg(file));
}

// The system's printer setup: printer, paper and orientation, which every later print uses.
void TMainForm::PrintSetupItemClick() {
    auto* qt = dynamic_cast<TQtPrinter*>(&Printer());
    if (!qt) return;
    QPrintDialog dialog(&qt->Printer(), this);
    dialog.setWindowTitle(QStringLiteral("Настройка принтера"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // A setup, not a print: its button accepts the settings.
    for (auto* box : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* accept = box->button(QDialogButtonBox::Ok); accept && box->window() == &dialog)
            accept->setText(QStringLiteral("Принять"));
    if (dialog.exec() == QDialog::Accepted) qt->PrinterChosen();
}

void TMainForm::miEditFontClick() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, DialogFont_, this);
    if (!ok) return;
    DialogFont_ = chosen;
    RichEdit1->setFont(chosen);
}

void TMainForm::WordEvalItemClick() {
    const QString word = TrimControls(cmbWord->currentText()).left(255);
    cmbWord->setEditText(word);
    cmbWord->Remember(word);
    if (rbRussian->isChecked()) OpenRussianWordWindow(word);
    else OpenUkrainianWordWindow(word);
}

void TMainForm::TextEvalItemClick() {
    const QTextCursor cursor = RichEdit1->textCursor();
    QString text = cursor.hasSelection() ? cursor.selectedText() : RichEdit1->toPlainText();
    text.replace(QChar(0x2029), QLatin1Char('\n')); // paragraph breaks of a selection
    const std::string bytes = ToCp1251(text, "\r\n");
    if (rbRussian->isChecked()) {
        RussianEngine().Text.ResetTextCounts();
        RussianEngine().Text.CountTextWords(bytes);
        OpenRussianTextWindow(FileName_);
    } else {
        UkrainianEngine().Text.UkrResetTextCounts();
        UkrainianEngine().Text.UkrCountTextWords(bytes);
        OpenUkrainianTextWindow(FileName_);
    }
}

void TMainForm::HelpContentsItemClick() { ShowHelpTopic(this, HelpFilePath(), 10); }

void TMainForm::HelpAbout() { ShowAboutBox(this); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1)
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            const int context = HelpContextOf(menu->activeAction(), 10);
            menu->hide();
            ShowHelpTopic(this, HelpFilePath(), context);
            return true;
        }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool allowed = false; // an error while saving refuses the close
    RunHandler([&] { allowed = ConfirmSaveChanges() == TConfirm::Continue; });
    if (allowed) event->accept();
    else event->ignore();
}

} // namespace zelm
