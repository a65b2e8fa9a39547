// TMainForm: the main editor window: one plain-text document, the tool bar with the word box and
// the working language, the menus, and the document printing through the shared line printer.
#pragma once

#include "Dialogs.h"
#include "DocumentFile.h"
#include "LinePrnt.h"
#include "PrinterService.h"
#include "Recovery.h"
#include "Report.h"
#include "TextEditor.h"
#include "WordWindow.h"

#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolButton>

#include <functional>
#include <memory>
#include <optional>

namespace zelm {

// The application's title: the second half of every main-window caption.
extern const QString ApplicationTitle;

// What the open dialog answers: the file, the read-only tick and the encoding chosen.
struct TOpenChoice {
    QString Path;
    bool ReadOnly = false;
    TOpenEncoding Encoding = TOpenEncoding::oeAuto;
};

class TMainForm : public QMainWindow, public IReportHost {
public:
    explicit TMainForm(std::unique_ptr<IPrinterService> printer = nullptr);
    ~TMainForm() override;

    TTextEditor* RichEdit1;
    TWordBox* cmbWord;
    QRadioButton* rbRussian;
    QRadioButton* rbUkraine;
    QStatusBar* stBar;
    QToolButton *NewButton, *OpenButton, *SaveButton, *PrintButton, *UndoButton, *CutButton, *CopyButton,
        *PasteButton, *btnWord, *btnText;
    QAction *FileNewItem, *FileOpenItem, *FileSaveItem, *FileSaveAsItem, *PrintSetupItem, *FilePrintItem,
        *FileExitItem, *EditUndoItem, *EditCutItem, *EditCopyItem, *EditPasteItem, *miEditFont, *WordEvalItem,
        *TextEvalItem, *HelpContentsItem, *HelpAboutItem;

    // The file dialogs, replaceable (tests answer them): the chosen file, or nothing when
    // cancelled.
    std::function<std::optional<TOpenChoice>()> AskOpenFile;
    std::function<std::optional<QString>()> AskSaveFile;

    const QString& FileName() const { return FileName_; }
    const TDocument& Document() const { return Document_; }
    TLinePrinter& LinePrinter() { return *LinePrinter_; }
    IPrinterService& Printer() { return *Printer_; }

    void FileNew();
    void EditPaste();
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FilePrint();
    void PrintSetupItemClick();
    void miEditFontClick();
    void WordEvalItemClick();
    void TextEvalItemClick();
    void HelpContentsItemClick();
    void HelpAbout();
    // The print settings step before every print: millimetres, whole-millimetre margins and the
    // spacing through the print settings dialog; false when the user cancels.
    bool EditPrintSettings(TLinePrinter& printer) override;
    TLinePrinter& ReportPrinter() override { return LinePrinter(); }
    // A message box naming the file the last print went into, when it went into one.
    void TellWherePrinted(QWidget* window) override;
    // How long a job handed to the print system is followed closely (ms); after that it is asked
    // about less often, until it ends.
    int JobWatchMs = 15000;
    // Loads a file into the editor (the work of FileOpen after its dialog). A file that could not
    // be saved back unchanged (binary content, bytes the encoding cannot read) opens read-only
    // after a warning, unless the user chooses to edit it.
    bool OpenDocument(const QString& path, bool readOnly, TOpenEncoding encoding = TOpenEncoding::oeAuto);

    // Crash recovery: the unsaved text goes into this run's recovery file a few seconds after a
    // change (arriving within 30), in the first recovery folder that can be written; the first time none
    // can, a message box says why (`quiet` leaves that to the caller). SIGTERM and SIGHUP write it
    // and end the program without a question: EndSession writes it and returns the status to end
    // with, 0, or 1 after a line on standard error when the unsaved text could be kept nowhere.
    bool WriteRecoveryNow(bool quiet = false);
    // The timer's way: the text is taken in slices between events and written on a worker thread,
    // so that a big document's copy never holds up typing.
    void WriteRecoveryInBackground();
    bool RecoveryUnderWay() const;
    int EndSession();
    // Offers every text that editors which no longer run left unsaved: the first one accepted is
    // restored into the editor, later ones can be saved into files or kept for the next start.
    // True when a text was restored.
    bool OfferRecovery();
    // Offers to undo every in-place save that was killed half-way (only those of the file `path`,
    // when given): the old content back (the default) or the file kept as it is.
    void OfferRepairs(const QString& path = QString());
    // Compares the open file with what was read or saved, and asks what to do when another
    // program changed or removed it.
    void CheckFileOnDisk();
    QLabel* EncodingLabel() const { return EncodingLabel_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override; // F1 in the menus

private:
    enum class TConfirm { Continue, Abort };
    TConfirm ConfirmSaveChanges();
    void SaveTo(const QString& path); // raises the file error
    void SetDocumentName(const QString& name);
    void ShowError(const QString& message);
    void BuildToolBar();
    void BuildMenu();
    void RunHandler(const std::function<void()>& handler);
    void DocumentChanged();
    void FollowPrintJob();
    void RemoveRecovery();
    void StopRecoveryWrites(); // a snapshot under way is dropped, a write in flight waited for
    bool RecoveryWritten(const TRecoveryWrite& written, bool quiet);
    TRecoveredText RecoveryText() const; // all but the text
    void WatchFile();
    void ShowEncoding();
    void changeEvent(QEvent* event) override;

    QString FileName_;
    TDocument Document_;           // the file's settings (its text lives in the editor)
    TOpenEncoding OpenEncoding_ = TOpenEncoding::oeAuto; // what a reload reads it in
    bool Lossy_ = false;           // saving would change bytes the user did not edit
    TFileStamp DiskStamp_;         // the file as it was read or last saved
    TFileStamp ToldStamp_;         // a change of it the user has been told about
    bool CheckPending_ = false;
    QFileSystemWatcher Watcher_;
    QTimer RecoveryTimer_;
    std::unique_ptr<TTextSnapshot> Snapshot_;
    QFutureWatcher<TRecoveryWrite> RecoveryWrite_;
    quint64 RecoveryGeneration_ = 0; // a background write of an older generation is stale
    QString RecoveryFile_;          // where this run's recovery file is now, if anywhere
    bool RecoveryFailureTold_ = false;
    QString LastRecoveryError_;
    QLabel* EncodingLabel_ = nullptr;
    std::unique_ptr<IPrinterService> Printer_;
    std::unique_ptr<TLinePrinter> LinePrinter_;
    TEscapeWatcher* EscapeWatcher_;
    QFont DialogFont_; // the font dialog starts from its own last choice
    QWidget* SpeedBar_ = nullptr;
    QHash<QObject*, QString> OpenJobs_; // print jobs followed now: "number (printer)"
};

// Loads the toolkit's own Russian translations (its dialogs, context menus and buttons), so that
// nothing of the toolkit is English beside the Russian captions; the texts the program sets
// itself stay as they are. False when they are not installed (package qt6-translations-l10n).
bool InstallToolkitTranslations(QCoreApplication& application);

// The application's icon on every window: the dark-blue note of the word button over the six
// sound colours (packaging/zelm.svg is the same drawing), at 16, 24, 32, 48, 64 and 128 pixels.
QIcon ApplicationIcon();

// Draws the tool bar glyphs (16 x 16): "new", "open", "save", "print", "undo", "cut", "copy",
// "paste", "note" (one dark-blue eighth note) and "notes" (two beamed notes).
QIcon ToolGlyph(const QString& name);

} // namespace zelm
