// The editor control of the main window: a plain-text edit whose paste takes the clipboard's text
// and nothing else, however the paste is asked for (keyboard, context menu, middle button, the
// window's commands), so that a clipboard with no owner, no text or changing data cannot break it.
#pragma once

#include "DocumentFile.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

namespace zelm {

class TTextEditor : public QPlainTextEdit {
public:
    explicit TTextEditor(QWidget* parent = nullptr);

    // Inserts the clipboard's plain text at the cursor; an empty clipboard, or one without text,
    // changes nothing.
    void PasteText();

    // The document's text exactly as it stands: lines separated by "\n", no-break spaces and line
    // separators kept; `ends` gets how each line ends: as the file had it where it was loaded
    // with a line end other than `usual`, else `usual` (line breaks the user typed).
    QString DocumentText(std::vector<TLineEnd>& ends, TLineEnd usual) const;
    QString DocumentText() const;
    // Loads a text of DecodeDocument: its lines, with the line ends other than `usual` noted on
    // their lines. A text handed over whole (moved in) is consumed as it goes in.
    void SetDocumentText(QString text, const std::vector<TLineEnd>& ends = {}, TLineEnd usual = TLineEnd::leCrLf);
    // The lines a print shows: the text's lines (a line separator, U+2028, breaks one), an empty
    // last line after the final line end left out.
    QStringList Lines() const;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// The editor's lines and line ends (as DocumentText gives them) taken in slices of about
// `sliceMs` between events, so that copying a big document never holds up typing. Edits made
// while it runs are followed: lines already taken that an edit touches are taken again.
class TTextSnapshot : public QObject {
public:
    using TDone = std::function<void(std::vector<QString> lines, std::vector<TLineEnd> ends)>;
    explicit TTextSnapshot(const TTextEditor& editor, int sliceMs = 20);
    // Starts taking the text (a snapshot under way starts over); `done` gets it once whole, from
    // the event loop.
    void Start(TLineEnd usual, TDone done);
    void Stop();
    bool Running() const { return Timer_.isActive(); }

private:
    void Slice();
    void Changed(int position, int removed, int added);
    TLineEnd EndOf(const QTextBlock& block) const;

    const QTextDocument* Document_;
    const int SliceMs_;
    QTimer Timer_;
    TLineEnd Usual_ = TLineEnd::leCrLf;
    TDone Done_;
    std::vector<QString> Lines_; // the first lines of the document, taken so far
    std::vector<TLineEnd> Ends_; // how each of them ends
    int Blocks_ = 0;             // the document's lines as of the last change seen
};

} // namespace zelm
