#include "TextEditor.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

namespace zelm {

namespace {
// The user state of a line that the file ended otherwise than usual: this plus its line end.
// Lines the user breaks get the state -1 of a new block, and so the document's usual line end.
constexpr int OwnLineEnd = 0x100;
} // namespace

TTextEditor::TTextEditor(QWidget* parent) : QPlainTextEdit(parent) {}

void TTextEditor::PasteText() {
    if (isReadOnly()) return;
    // QClipboard::text() looks at the clipboard's data only through its own null checks.
    const QString text = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (text.isEmpty()) return;
    insertPlainText(text);
    ensureCursorVisible();
}

bool TTextEditor::canInsertFromMimeData(const QMimeData* source) const { return source != nullptr; }

// Drops and the middle button hand over data of their own; only its text is taken.
void TTextEditor::insertFromMimeData(const QMimeData* source) {
    if (!source || isReadOnly()) return;
    const QString text = source->text();
    if (!text.isEmpty()) insertPlainText(text);
}

void TTextEditor::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteText();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TTextEditor::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu(event->pos());
    for (QAction* action : menu->actions())
        if (action->objectName() == QLatin1String("edit-paste")) {
            action->disconnect();
            action->setEnabled(!isReadOnly());
            connect(action, &QAction::triggered, this, &TTextEditor::PasteText);
        }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QString TTextEditor::DocumentText(std::vector<TLineEnd>& ends, TLineEnd usual) const {
    QString text;
    ends.clear();
    const QTextDocument* doc = document();
    text.reserve(doc->characterCount());
    for (QTextBlock block = doc->firstBlock(); block.isValid();) {
        text += block.text();
        const QTextBlock next = block.next();
        if (next.isValid()) {
            text += QLatin1Char('\n');
            const int state = block.userState();
            ends.push_back(state >= OwnLineEnd ? TLineEnd(state - OwnLineEnd) : usual);
        }
        block = next;
    }
    return text;
}

QString TTextEditor::DocumentText() const {
    std::vector<TLineEnd> ends;
    return DocumentText(ends, TLineEnd::leCrLf);
}

void TTextEditor::SetDocumentText(const QString& text, const std::vector<TLineEnd>& ends, TLineEnd usual) {
    setPlainText(text);
    std::size_t line = 0;
    while (line < ends.size() && ends[line] == usual) ++line;
    if (line == ends.size()) return;
    // Note the lines that end otherwise than usual, so that saving writes their line ends back.
    QTextBlock block = document()->findBlockByNumber(int(line));
    for (; line < ends.size() && block.isValid(); ++line, block = block.next())
        if (ends[line] != usual) block.setUserState(OwnLineEnd + int(ends[line]));
}

QStringList TTextEditor::Lines() const {
    QStringList lines;
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->firstBlock(); block.isValid(); block = block.next()) {
        if (!block.next().isValid() && block.length() <= 1) break; // after the last line end
        lines += block.text().split(QChar(QChar::LineSeparator)); // a line separator breaks the line too
    }
    return lines;
}

} // namespace zelm
