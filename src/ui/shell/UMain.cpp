#include "UMain.h"

#include "Engines.h"
#include "FileNames.h"
#include "Look.h"
#include "UAbout.h"
#include "UFonts.h"
#include "UMainTxt.h"
#include "UMainWrd.h"
#include "UUkrMainWord.h"
#include "QtPrinter.h"
#include "Recovery.h"
#include "SafeFile.h"
#include "ru/Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLineEdit>
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

#include <algorithm>
#include <memory>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>

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

// A question with buttons of its own; the answer is the index of the button pressed. Closing the
// box (or Esc) answers `escape`.
int AskChoice(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QStringList& buttons, int preferred,
              int escape) {
    QMessageBox box(icon, ApplicationTitle, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> pushed;
    for (const QString& caption : buttons) pushed += box.addButton(caption, QMessageBox::AcceptRole);
    box.setDefaultButton(pushed[preferred]);
    box.setEscapeButton(pushed[escape]);
    // Over the maximized main window (its usual state), centred with its frame, as the toolkit
    // alone does not place it (it leaves out the frames the window manager adds).
    if (parent && parent->window()->isMaximized()) CentreWithFrame(&box);
    box.exec();
    const qsizetype answer = pushed.indexOf(static_cast<QPushButton*>(box.clickedButton()));
    return answer < 0 ? escape : int(answer);
}

// The delay before unsaved text goes into the recovery file: 5 s, a second more for every
// megabyte of text, at most 15 s, so that with its copy and its writing (up to about 9 s for
// 100 MiB here) it arrives within 30 s (ZELM_RECOVERY_DELAY_MS sets it, for the tests).
int RecoveryDelay(qsizetype characters) {
    bool set = false;
    const int forced = qEnvironmentVariableIntValue("ZELM_RECOVERY_DELAY_MS", &set);
    if (set && forced > 0) return forced;
    return int(std::clamp<qsizetype>(5000 + characters / 1000, 5000, 15000));
}

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
    // The font dialog starts from "MS Sans Serif" 13 px as it is drawn: the family that stands in
    // for it, at the points 13 pixels make on this screen (the dialog lists families and points).
    DialogFont_ = WithFacesStyleName(QFont(QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family()));
    DialogFont_.setPointSizeF(13 * 72.0 / logicalDpiY());

    // The speed bar on top, the editor filling the rest.
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    RichEdit1 = new TTextEditor(client);
    RichEdit1->setAccessibleName(QStringLiteral("Текст документа"));
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
    if (auto* qt = dynamic_cast<TQtPrinter*>(Printer_.get()))
        qt->ConfirmReplace = [this](const QString& file) {
            QWidget* parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
            return QMessageBox::question(parent, ApplicationTitle,
                                         QStringLiteral("Файл %1 уже существует. Заменить его?").arg(file),
                                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        };
    LinePrinter_ = std::make_unique<TLinePrinter>(*Printer_);
    LinePrinter_->ProgressAfterMs = 1000; // a long print shows its progress and can be stopped
    LinePrinter_->SetOrientation(Printer_->DefaultOrientation()); // the queue's, from the first print
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

    AskOpenFile = [this]() -> std::optional<TOpenChoice> {
        QFileDialog dialog(this, QStringLiteral("Открыть"), QDir::currentPath(),
                           QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*.*)"));
        PrepareFileDialog(dialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        QString foreign; // a file whose name is not UTF-8, chosen from the dialog's own list of them
        OfferForeignNames(dialog, foreign);
        // The encoding is chosen beside the file type: automatic, or one the user knows better.
        auto* encodingLabel = new QLabel(QStringLiteral("Кодировка:"), &dialog);
        auto* encoding = new QComboBox(&dialog);
        encoding->addItems({QStringLiteral("Определить автоматически"), QStringLiteral("Windows-1251"),
                            QStringLiteral("UTF-8"), QStringLiteral("UTF-16")});
        encodingLabel->setBuddy(encoding);
        auto* readOnly = new QCheckBox(QStringLiteral("Только для чтения"), &dialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            const int row = grid->rowCount();
            grid->addWidget(encodingLabel, row, 0);
            grid->addWidget(encoding, row, 1);
            grid->addWidget(readOnly, row + 1, 0, 1, -1);
        }
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        if (!foreign.isEmpty()) return TOpenChoice{foreign, readOnly->isChecked(), TOpenEncoding(encoding->currentIndex())};
        if (dialog.selectedFiles().isEmpty()) return std::nullopt;
        return TOpenChoice{dialog.selectedFiles().front(), readOnly->isChecked(), TOpenEncoding(encoding->currentIndex())};
    };
    AskSaveFile = [this]() -> std::optional<QString> {
        QFileDialog dialog(this, QStringLiteral("Сохранить как..."), QDir::currentPath(),
                           QStringLiteral("Текстовые файлы (*.txt)"));
        PrepareFileDialog(dialog);
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

    // The encoding and line ends of the document, on the right of the status bar.
    EncodingLabel_ = new QLabel(stBar);
    stBar->addPermanentWidget(EncodingLabel_);
    ShowEncoding();

    // Unsaved text reaches the recovery file a few seconds after it is typed.
    RecoveryTimer_.setSingleShot(true);
    Snapshot_ = std::make_unique<TTextSnapshot>(*RichEdit1);
    connect(&RecoveryTimer_, &QTimer::timeout, this, [this] { WriteRecoveryInBackground(); });
    connect(&RecoveryWrite_, &QFutureWatcher<TRecoveryWrite>::finished, this, [this] {
        if (RecoveryWrite_.property("generation").toULongLong() == RecoveryGeneration_)
            RecoveryWritten(RecoveryWrite_.result(), false);
    });
    connect(RichEdit1->document(), &QTextDocument::contentsChanged, this, [this] { DocumentChanged(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { WriteRecoveryNow(); });

    // Another program's change of the open file is looked at once the events of the moment are done.
    connect(&Watcher_, &QFileSystemWatcher::fileChanged, this, [this] { QTimer::singleShot(100, this, [this] { CheckFileOnDisk(); }); });
    connect(&Watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { QTimer::singleShot(100, this, [this] { CheckFileOnDisk(); }); });
}

TMainForm::~TMainForm() {
    if (ReportHost() == this) SetReportHost(nullptr);
    RussianEngine().Text.EscapeProbe = nullptr;
    UkrainianEngine().Text.EscapeProbe = nullptr;
    // The jobs' followers go while the list they keep themselves in is still there.
    const QList<QObject*> followers = OpenJobs_.keys();
    qDeleteAll(followers);
    StopRecoveryWrites();
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
        b->setAccessibleName(hint); // what a screen reader calls the button
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
    cmbWord->setAccessibleName(cmbWord->statusTip());
    btnWord = button(400, "note", QStringLiteral("Оценка слова"), true);
    btnText = button(425, "notes", QStringLiteral("Оценка текста"), true);
    auto* panel = new QFrame(speedBar);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(455, 3, 193, 28);
    panel->setStatusTip(QStringLiteral("Выбор рабочего языка"));
    panel->setToolTip(panel->statusTip());
    panel->setAccessibleName(panel->statusTip());
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
    // Enter in the word box does what the note button does.
    connect(cmbWord->lineEdit(), &QLineEdit::returnPressed, btnWord, &QToolButton::click);
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
    } catch (const EPrintCancelled&) {
    } catch (const std::exception& error) {
        ShowError(QString::fromUtf8(error.what()));
    }
}

void TMainForm::ShowError(const QString& message) { QMessageBox::critical(this, ApplicationTitle, message); }

void TMainForm::EditPaste() { RichEdit1->PasteText(); }

void TMainForm::SetDocumentName(const QString& name) {
    FileName_ = name;
    setWindowTitle(QStringLiteral("%1 - %2").arg(ShownPath(QFileInfo(name).fileName()), ApplicationTitle));
}

// A save that fails raises its error here, which ends the calling operation: the text stays.
TMainForm::TConfirm TMainForm::ConfirmSaveChanges() {
    if (!RichEdit1->document()->isModified()) return TConfirm::Continue;
    switch (ConfirmYesNoCancel(this, QStringLiteral("Save changes to %1?").arg(ShownPath(FileName_)))) {
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
    Lossy_ = false;
    DiskStamp_ = ToldStamp_ = TFileStamp();
    WatchFile();
    ShowEncoding();
    RemoveRecovery();
}

bool TMainForm::OpenDocument(const QString& path, bool readOnly, TOpenEncoding encoding) {
    OfferRepairs(path); // a save of this file that was killed half-way is undone first, if the user wants
    QByteArray bytes;
    TFileStamp stamp;
    QString error;
    if (!ReadDocumentFile(path, bytes, stamp, error)) {
        ShowError(error); // the document stays as it was
        return false;
    }
    TDocument document = DecodeDocument(bytes, encoding);
    // What the editor holds must save back to the very bytes of the file: the text read does, and
    // the editor holds it as it was given, every character and line (a character it took for a
    // line break would show in the counts).
    bool exact = EncodesBackTo(document, bytes);
    bytes = QByteArray();
    const qsizetype characters = document.Text.size();
    RichEdit1->SetDocumentText(std::move(document.Text), document.Ends, document.LineEnd); // the editor has it
    const QTextDocument* held = RichEdit1->document();
    exact = exact && std::size_t(held->blockCount()) == document.Ends.size() + 1 && held->characterCount() == characters + 1;
    document.Text.clear();
    Document_ = document;
    Lossy_ = !exact;
    OpenEncoding_ = encoding;
    DiskStamp_ = ToldStamp_ = stamp;
    SetDocumentName(QFileInfo(path).absoluteFilePath());
    RichEdit1->setFocus();
    RichEdit1->document()->setModified(false);
    RemoveRecovery();
    WatchFile();
    ShowEncoding();

    QString problem;
    if (document.Binary)
        problem = QStringLiteral("Файл %1 содержит нулевые байты: похоже, это не текст, а двоичный файл.").arg(ShownPath(path));
    else if (document.UndecodableLine > 0)
        problem = QStringLiteral("В файле %1 есть байты, которые не читаются в кодировке %2 (первый — в строке %3). "
                                 "Они показаны особыми знаками и при сохранении будут записаны обратно как были.")
                      .arg(path, DescribeEncoding(document).section(QLatin1Char(','), 0, 0))
                      .arg(document.UndecodableLine);
    if (!exact)
        problem += QStringLiteral("%1Файл нельзя сохранить так, чтобы не изменились и те его байты, которых вы не правили.")
                       .arg(problem.isEmpty() ? QString() : QStringLiteral("\n\n"));
    if (!problem.isEmpty() && !readOnly) {
        const int answer = AskChoice(this, QMessageBox::Warning,
                                     problem + QStringLiteral("\n\nФайл открыт только для чтения, чтобы его нельзя было "
                                                              "испортить по ошибке. Открыть его для правки?"),
                                     {QStringLiteral("Только для чтения"), QStringLiteral("Открыть для правки")}, 0, 0);
        readOnly = answer == 0;
    }
    RichEdit1->setReadOnly(readOnly);
    ShowEncoding();
    return true;
}

void TMainForm::FileOpen() {
    if (ConfirmSaveChanges() == TConfirm::Abort) return;
    const auto chosen = AskOpenFile();
    if (!chosen) return;
    OpenDocument(chosen->Path, chosen->ReadOnly, chosen->Encoding);
}

// Writes exactly what the editor shows in the document's own encoding and line ends. Whatever
// would change more than what the user edited is asked first, and the answer that keeps the file
// as it is ends the operation.
void TMainForm::SaveTo(const QString& path) {
    TDocument document = Document_;
    document.Text = RichEdit1->DocumentText(document.Ends, document.LineEnd);
    TMissingCharacter missing;
    std::optional<QByteArray> bytes = EncodeDocument(document, &missing);
    bool switched = false;
    if (!bytes) {
        if (!document.EncodingFree &&
            AskChoice(this, QMessageBox::Warning,
                      QStringLiteral("В тексте есть знаки, которых нет в кодировке %1 (первый — «%2» в строке %3).\n\n"
                                     "Сохранить документ в кодировке UTF-8? Файл будет записан в UTF-8 целиком. "
                                     "Отмена оставит файл как есть.")
                          .arg(DescribeEncoding(document).section(QLatin1Char(','), 0, 0), missing.Character)
                          .arg(missing.Line),
                      {QStringLiteral("Сохранить в UTF-8"), QStringLiteral("Отмена")}, 1, 1) != 0)
            throw TAbort();
        document.Encoding = TDocEncoding::deUtf8;
        document.ByteOrderMark = false;
        bytes = EncodeDocument(document);
        switched = true;
    }
    const bool sameFile = path == FileName_;
    if (sameFile && Lossy_ &&
        AskChoice(this, QMessageBox::Warning,
                  QStringLiteral("Файл %1 был прочитан не без потерь: при сохранении изменятся и те его байты, "
                                 "которых вы не правили.\n\nВсё равно сохранить?")
                      .arg(ShownPath(path)),
                  {QStringLiteral("Сохранить"), QStringLiteral("Отмена")}, 1, 1) != 0)
        throw TAbort();
    if (sameFile && DiskStamp_.Exists) {
        const TFileStamp now = StampOf(path);
        if (now.Exists && now != DiskStamp_ &&
            AskChoice(this, QMessageBox::Warning,
                      QStringLiteral("Файл %1 изменён другой программой после того, как был прочитан.\n\n"
                                     "Заменить его вашим текстом? Изменения другой программы будут потеряны.")
                          .arg(ShownPath(path)),
                      {QStringLiteral("Заменить"), QStringLiteral("Отмена")}, 1, 1) != 0)
            throw TAbort();
    }
    QString error;
    const TFileStamp before = StampOf(path);
    if (!WriteDocumentFile(path, *bytes, error)) {
        // A failed save in place put the old content back: its own write, no other program's.
        if (sameFile && before == DiskStamp_) DiskStamp_ = ToldStamp_ = StampOf(path);
        throw EFileError(error.toStdString());
    }
    document.Text.clear();
    document.EncodingFree = document.EncodingFree && !switched;
    Document_ = document;
    Lossy_ = false;
    DiskStamp_ = ToldStamp_ = StampOf(path);
    RichEdit1->document()->setModified(false);
    RemoveRecovery();
    ShowEncoding();
    if (switched)
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
    if (PathExists(path) &&
        ConfirmYesNoCancel(this, QStringLiteral("OK to overwrite %1").arg(ShownPath(path))) != TConfirmResult::crYes)
        return;
    SaveTo(path);
    SetDocumentName(path);
    WatchFile();
}

void TMainForm::ShowEncoding() {
    EncodingLabel_->setText(DescribeEncoding(Document_) +
                            (RichEdit1->isReadOnly() ? QStringLiteral(", только чтение") : QString()));
}

void TMainForm::WatchFile() {
    if (!Watcher_.files().isEmpty()) Watcher_.removePaths(Watcher_.files());
    if (!Watcher_.directories().isEmpty()) Watcher_.removePaths(Watcher_.directories());
    if (FileName_ == Untitled) return;
    // The folders too: a program that saves by replacing the file gives it a new identity, and a
    // folder on the way to it may be renamed or removed.
    QStringList folders;
    for (QDir folder = QFileInfo(FileName_).absoluteDir(); ; ) {
        folders += folder.absolutePath();
        if (folder.isRoot() || !folder.cdUp()) break;
    }
    Watcher_.addPaths(folders);
    if (PathExists(FileName_)) Watcher_.addPath(FileName_);
}

void TMainForm::CheckFileOnDisk() {
    if (FileName_ == Untitled || !DiskStamp_.Exists) return;
    if (QApplication::activeModalWidget()) {
        CheckPending_ = true; // asked once the window is the user's again
        return;
    }
    CheckPending_ = false;
    const TFileStamp now = StampOf(FileName_);
    if (now.Exists && !Watcher_.files().contains(FileName_)) Watcher_.addPath(FileName_);
    if (now == DiskStamp_ || now == ToldStamp_) return;
    ToldStamp_ = now;
    if (!now.Exists) {
        RichEdit1->document()->setModified(true);
        QMessageBox::warning(this, ApplicationTitle,
                             QStringLiteral("Файл %1 удалён или переименован другой программой.\n\n"
                                            "Текст остаётся в редакторе: сохраните его, чтобы не потерять.")
                                 .arg(ShownPath(FileName_)));
        return;
    }
    const bool modified = RichEdit1->document()->isModified();
    const int answer = AskChoice(
        this, QMessageBox::Question,
        QStringLiteral("Файл %1 изменён другой программой.\n\nПеречитать его?%2")
            .arg(ShownPath(FileName_), modified ? QStringLiteral(" Несохранённые изменения в редакторе будут потеряны.") : QString()),
        {QStringLiteral("Перечитать"), QStringLiteral("Оставить мой текст")}, modified ? 1 : 0, 1);
    if (answer == 0) {
        const bool readOnly = RichEdit1->isReadOnly();
        OpenDocument(FileName_, readOnly, OpenEncoding_);
    } else {
        // The text in the editor now differs from the file: saving it is a change to keep.
        RichEdit1->document()->setModified(true);
    }
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A modal window that a window manager minimised after all comes back with its owner.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isMinimized()) {
            modal->showNormal();
            modal->raise();
            modal->activateWindow();
        }
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && CheckPending_)
        QTimer::singleShot(0, this, [this] { CheckFileOnDisk(); });
}

void TMainForm::DocumentChanged() {
    if (!RichEdit1->document()->isModified()) return;
    if (!RecoveryTimer_.isActive()) RecoveryTimer_.start(RecoveryDelay(RichEdit1->document()->characterCount()));
}

TRecoveredText TMainForm::RecoveryText() const {
    TRecoveredText text;
    text.FileName = FileName_;
    text.Document = Document_;
    text.Document.Text.clear();
    text.Stamp = DiskStamp_;
    text.Lossy = Lossy_;
    return text;
}

bool TMainForm::WriteRecoveryNow(bool quiet) {
    RecoveryTimer_.stop();
    StopRecoveryWrites();
    if (!RichEdit1->document()->isModified()) return true;
    TRecoveredText text = RecoveryText();
    text.Document.Text = RichEdit1->DocumentText(text.Document.Ends, Document_.LineEnd);
    return RecoveryWritten(WriteRecoveryAnywhere(text), quiet);
}

void TMainForm::WriteRecoveryInBackground() {
    if (!RichEdit1->document()->isModified()) return;
    if (RecoveryUnderWay()) { // the changes since go into the next one
        RecoveryTimer_.start(1000);
        return;
    }
    Snapshot_->Start(Document_.LineEnd, [this](std::vector<QString> lines, std::vector<TLineEnd> ends) {
        TRecoveredText text = RecoveryText();
        text.Document.Ends = std::move(ends);
        text.Lines = std::move(lines);
        RecoveryWrite_.setProperty("generation", QVariant::fromValue(RecoveryGeneration_));
        RecoveryWrite_.setFuture(QtConcurrent::run([text = std::move(text)] { return WriteRecoveryAnywhere(text); }));
    });
}

bool TMainForm::RecoveryUnderWay() const {
    return RecoveryTimer_.isActive() || Snapshot_->Running() || RecoveryWrite_.isRunning();
}

void TMainForm::StopRecoveryWrites() {
    Snapshot_->Stop();
    RecoveryWrite_.waitForFinished();
    ++RecoveryGeneration_;
}

// The first folder that took it, or the message that none did (the first time of a series).
bool TMainForm::RecoveryWritten(const TRecoveryWrite& written, bool quiet) {
    const QStringList& reasons = written.Reasons;
    if (!written.File.isEmpty()) {
        const QString& file = written.File;
        if (!RecoveryFile_.isEmpty() && RecoveryFile_ != file) RemoveRecoveryFile(RecoveryFile_);
        if (!reasons.isEmpty() && RecoveryFile_ != file)
            stBar->showMessage(QStringLiteral("Копия несохранённого текста записана в %1 (%2)")
                                   .arg(QFileInfo(file).path(), reasons.join("; ")));
        RecoveryFile_ = file;
        RecoveryFailureTold_ = false;
        return true;
    }
    const QString why = reasons.join(QLatin1Char('\n'));
    stBar->showMessage(QStringLiteral("Не удалось записать копию несохранённого текста: %1").arg(reasons.join("; ")));
    if (!quiet && !RecoveryFailureTold_) {
        RecoveryFailureTold_ = true;
        QMessageBox::warning(this, ApplicationTitle,
                             QStringLiteral("Не удалось записать копию несохранённого текста ни в одну папку:\n%1\n\n"
                                            "Если программа закроется аварийно, несохранённый текст будет потерян. "
                                            "Сохраните документ.")
                                 .arg(why));
    }
    LastRecoveryError_ = why;
    return false;
}

void TMainForm::RemoveRecovery() {
    RecoveryTimer_.stop();
    StopRecoveryWrites();
    for (const QString& folder : RecoveryFolders()) QFile::remove(OwnRecoveryFile(folder));
    RecoveryFile_.clear();
}

int TMainForm::EndSession() {
    // The text stays in the recovery file, offered at the next start; a text that could be kept
    // nowhere is said on the way out, and the status says so.
    int status = 0;
    if (!WriteRecoveryNow(true)) {
        std::fprintf(stderr, "zelm: the unsaved text of %s could not be kept, and is lost: %s\n",
                     NativePath(FileName_).constData(), LastRecoveryError_.toLocal8Bit().replace('\n', "; ").constData());
        status = 1;
    }
    return status;
}

bool TMainForm::OfferRecovery() {
    bool restored = false;
    for (const QString& file : OrphanedRecoveries()) {
        const std::optional<TRecoveredText> text = ReadRecovery(file);
        if (!text) continue;
        const QString lost =
            QStringLiteral("Программа закрылась, не сохранив текст документа %1 (последнее изменение — %2).\n\n")
                .arg(text->FileName, QLocale(QLocale::Russian).toString(text->Written, QLocale::ShortFormat));
        if (restored || RichEdit1->document()->isModified()) {
            // The editor holds a text already: this one goes into a file of the user's choice.
            const int answer = AskChoice(this, QMessageBox::Question,
                                         lost + QStringLiteral("В редакторе уже есть несохранённый текст. Сохранить "
                                                               "этот текст в файл? «Позже» предложит его снова при "
                                                               "следующем запуске."),
                                         {QStringLiteral("Сохранить в файл..."), QStringLiteral("Позже"),
                                          QStringLiteral("Не восстанавливать")},
                                         0, 1);
            if (answer == 2) RemoveRecoveryFile(file);
            if (answer != 0) continue;
            const std::optional<QString> path = AskSaveFile();
            std::optional<QByteArray> bytes = EncodeDocument(text->Document);
            if (!bytes) {
                TDocument utf8 = text->Document;
                utf8.Encoding = TDocEncoding::deUtf8;
                utf8.ByteOrderMark = false;
                bytes = EncodeDocument(utf8);
            }
            QString error;
            if (!path || !bytes) continue; // kept for the next start
            if (WriteDocumentFile(QFileInfo(*path).absoluteFilePath(), *bytes, error)) RemoveRecoveryFile(file);
            else ShowError(error);
            continue;
        }
        const int answer = AskChoice(this, QMessageBox::Question, lost + QStringLiteral("Восстановить этот текст?"),
                                     {QStringLiteral("Восстановить"), QStringLiteral("Не восстанавливать")}, 0, 0);
        if (answer != 0) {
            RemoveRecoveryFile(file);
            continue;
        }
        TDocument document = text->Document;
        RichEdit1->SetDocumentText(document.Text, document.Ends, document.LineEnd);
        document.Text.clear();
        Document_ = document;
        Lossy_ = text->Lossy;
        DiskStamp_ = ToldStamp_ = text->Stamp;
        SetDocumentName(text->FileName);
        RichEdit1->setReadOnly(false);
        RichEdit1->document()->setModified(true);
        WatchFile();
        ShowEncoding();
        // Kept in this editor's own recovery file before the old one goes.
        if (WriteRecoveryNow()) RemoveRecoveryFile(file);
        restored = true;
    }
    return restored;
}

void TMainForm::OfferRepairs(const QString& path) {
    struct stat wanted {};
    if (!path.isEmpty() && ::stat(NativePath(path).constData(), &wanted) != 0) return;
    for (const TUnfinishedSave& save : UnfinishedSaves()) {
        if (!path.isEmpty() && (save.Device != wanted.st_dev || save.Inode != wanted.st_ino)) continue;
        const QString name = ShownPath(PathFromNative(QByteArray::fromStdString(save.Path)));
        const QDateTime started = QDateTime::fromSecsSinceEpoch(save.Started);
        const int answer = AskChoice(
            this, QMessageBox::Warning,
            QStringLiteral("Сохранение файла %1 (%2) было прервано: файл мог остаться записанным лишь отчасти. "
                           "Его прежнее содержимое сохранено в копии.\n\nВернуть файлу прежнее содержимое?")
                .arg(name, QLocale(QLocale::Russian).toString(started, QLocale::ShortFormat)),
            {QStringLiteral("Вернуть прежнее"), QStringLiteral("Оставить как есть")}, 0, 0);
        std::string error;
        if (!FinishUnfinishedSave(save, answer == 0, error))
            ShowError(QStringLiteral("Не удалось вернуть прежнее содержимое файла %1:\n%2")
                          .arg(name, QString::fromLocal8Bit(error.c_str())));
    }
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
    // Margins that leave no room for a character of one line would print empty pages.
    float width = 0, height = 0;
    if (!printer.HasRoomForText(width, height))
        throw std::runtime_error(
            QStringLiteral("Поля страницы не оставляют места для текста: между ними остаётся %1 × %2 мм, "
                           "а нужно место хотя бы для одного знака одной строки. Уменьшите поля в окне "
                           "«Параметры печати».")
                .arg(QString::number(std::max(0.f, width), 'f', 1), QString::number(std::max(0.f, height), 'f', 1))
                .toStdString());
    return true;
}

void TMainForm::FilePrint() {
    TLinePrinter& lp = LinePrinter();
    if (!EditPrintSettings(lp)) return;
    lp.Lines = RichEdit1->Lines();
    // The job is named after the document, so that the queue tells the user which it is.
    lp.SetTitle(ShownPath(QFileInfo(FileName_).fileName()));
    lp.PageBorders = 0;
    // A document has no header or footer, whatever a report left in the printer.
    lp.Header.clear();
    lp.Footer.clear();
    lp.LinesAsTable = false;
    const TPrintJobGuard guard(lp);
    try {
        lp.BeginDoc();
        lp.PrintLines();
        lp.EndDoc();
    } catch (const EPrintCancelled&) {
        if (lp.StoppedByUser()) stBar->showMessage(QStringLiteral("Печать остановлена: задание отменено."));
        throw;
    }
    TellWherePrinted(this);
}

void TMainForm::TellWherePrinted(QWidget* window) {
    FollowPrintJob();
    const QString file = Printer().OutputFile();
    if (file.isEmpty()) return;
    stBar->showMessage(QStringLiteral("Напечатано в файл %1").arg(file));
    // The program's own title: a result window's long caption would be cut by the window manager.
    QMessageBox::information(window, ApplicationTitle, QStringLiteral("Печать сохранена в файл:\n%1").arg(file));
}

// A job the print system has accepted is followed to its end, in the background (the print system
// is never waited on here): the status bar says while it waits or is held and why, and when it
// has printed; a job held, stopped, cancelled or aborted, however late, is told in a message. It
// is asked about five times a second for JobWatchMs, then every two seconds.
void TMainForm::FollowPrintJob() {
    std::function<TJobState()> query = Printer().LastJobQuery();
    if (!query) return;
    auto* watcher = new QFutureWatcher<TJobState>(this);
    auto* since = new QElapsedTimer;
    since->start();
    auto told = std::make_shared<QString>(); // what the user was last told of this job
    auto ask = [watcher, query] { watcher->setFuture(QtConcurrent::run(query)); };
    OpenJobs_.insert(watcher, QString());
    connect(watcher, &QObject::destroyed, this, [this, watcher, since] {
        OpenJobs_.remove(watcher);
        delete since;
    });
    connect(watcher, &QFutureWatcher<TJobState>::finished, this, [this, watcher, since, told, ask] {
        const TJobState state = watcher->result();
        const QString reason = state.Reason.isEmpty() ? QStringLiteral("задание прервано") : state.Reason;
        OpenJobs_[watcher] = QStringLiteral("%1 (%2)").arg(state.Id).arg(state.Printer);
        QString message;
        bool box = false, over = true;
        switch (state.Kind) {
        case TJobState::jsNone: break;
        case TJobState::jsDone: stBar->showMessage(QStringLiteral("Напечатано на принтере %1").arg(state.Printer), 5000); break;
        case TJobState::jsFailed:
            message = QStringLiteral("Задание печати %1 не напечатано: принтер %2 сообщает: %3").arg(state.Id).arg(state.Printer, reason);
            box = true;
            break;
        case TJobState::jsHeld:
            message = QStringLiteral("Задание печати %1 не напечатано: принтер %2 задержал его: %3. Оно будет напечатано, "
                                     "когда его отпустят.")
                          .arg(state.Id)
                          .arg(state.Printer, state.Reason.isEmpty() ? QStringLiteral("задание задержано") : state.Reason);
            box = true;
            over = false; // it may be released and print
            break;
        case TJobState::jsRetrying:
            message = QStringLiteral("Задание печати %1 ещё не напечатано: его не удалось передать принтеру %2: %3. "
                                     "Система печати попробует ещё раз.")
                          .arg(state.Id)
                          .arg(state.Printer, reason);
            over = false;
            break;
        case TJobState::jsWaiting:
        case TJobState::jsPrinting:
            over = false;
            if (since->elapsed() >= JobWatchMs)
                message = QStringLiteral("Задание печати %1 ещё не напечатано: оно %2 на принтере %3%4")
                              .arg(state.Id)
                              .arg(state.Kind == TJobState::jsPrinting ? QStringLiteral("печатается") : QStringLiteral("ждёт"),
                                   state.Printer,
                                   state.Reason.isEmpty() || state.Kind == TJobState::jsPrinting
                                       ? QString()
                                       : QStringLiteral(": ") + state.Reason);
            break;
        }
        if (!message.isEmpty() && message != *told) {
            *told = message;
            stBar->showMessage(message);
            if (box)
                QMessageBox::warning(QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this,
                                     ApplicationTitle, message);
        }
        if (over) {
            watcher->deleteLater();
            return;
        }
        QTimer::singleShot(since->elapsed() < JobWatchMs ? 200 : 2000, watcher, ask);
    });
    ask();
}

// The system's printer setup: printer, paper and orientation, which every later print uses.
void TMainForm::PrintSetupItemClick() {
    auto* qt = dynamic_cast<TQtPrinter*>(&Printer());
    if (!qt) return;
    qt->RunSetupDialog(this, [](QPrintDialog& dialog) {
        dialog.setWindowTitle(QStringLiteral("Настройка принтера"));
        // A setup, not a print: its button accepts the settings.
        for (auto* box : dialog.findChildren<QDialogButtonBox*>())
            if (QPushButton* accept = box->button(QDialogButtonBox::Ok); accept && box->window() == &dialog)
                accept->setText(QStringLiteral("Принять"));
    });
}

void TMainForm::miEditFontClick() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, DialogFont_, this);
    if (!ok) return;
    DialogFont_ = chosen;
    RichEdit1->setFont(chosen);
}

void TMainForm::WordEvalItemClick() {
    const QString word = TrimControls(FirstLine(cmbWord->currentText())).left(255);
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
    if (allowed) {
        RemoveRecovery(); // saved, or discarded by the user's own answer
        // Jobs the print system has not finished go on without the program: the user is told which.
        QStringList open;
        for (const QString& job : OpenJobs_) open += job.isEmpty() ? QStringLiteral("?") : job;
        if (!open.isEmpty())
            QMessageBox::information(this, ApplicationTitle,
                                     QStringLiteral("Ещё не напечатаны задания печати: %1. Система печати напечатает "
                                                    "их и после закрытия программы.")
                                         .arg(open.join(QStringLiteral(", "))));
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace zelm
