// The editor control of the main window: a plain-text edit whose paste takes the clipboard's text
// and nothing else, however the paste is asked for (keyboard, context menu, middle button, the
// window's commands), so that a clipboard with no owner, no text or changing data cannot break it.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>

namespace zelm {

class TTextEditor : public QPlainTextEdit {
public:
    explicit TTextEditor(QWidget* parent = nullptr);

    // Inserts the clipboard's plain text at the cursor; an empty clipboard, or one without text,
    // changes nothing.
    void PasteText();

    // The document's text exactly as it stands: lines separated by "\n" (or by U+2029 where the
    // loaded file had one), no-break spaces and line separators kept.
    QString DocumentText() const;
    // Loads a text made by LoadDocument (the "\n" and U+2029 separators become lines).
    void SetDocumentText(const QString& text);
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
