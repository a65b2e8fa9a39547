// The editor control of the main window: a plain-text edit whose paste takes the clipboard's text
// and nothing else, however the paste is asked for (keyboard, context menu, middle button, the
// window's commands), so that a clipboard with no owner, no text or changing data cannot break it.
#pragma once

#include "DocumentFile.h"

#include <QPlainTextEdit>
#include <QStringList>

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
    // their lines.
    void SetDocumentText(const QString& text, const std::vector<TLineEnd>& ends = {},
                         TLineEnd usual = TLineEnd::leCrLf);
    // The lines a print shows: the text's lines (a line separator, U+2028, breaks one), an empty
    // last line after the final line end left out.
    QStringList Lines() const;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace zelm
