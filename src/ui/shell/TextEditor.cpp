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
// The user state of a block that the file ended with a paragraph separator.
constexpr int EndsWithParagraphSeparator = 0x2029;
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

QString TTextEditor::DocumentText() const {
    QString text;
    const QTextDocument* doc = document();
    text.reserve(doc->characterCount());
    for (QTextBlock block = doc->firstBlock(); block.isValid();) {
        text += block.text();
        const QTextBlock next = block.next();
        if (next.isValid())
            text += block.userState() == EndsWithParagraphSeparator ? QChar(QChar::ParagraphSeparator) : QChar(u'\n');
        block = next;
    }
    return text;
}

void TTextEditor::SetDocumentText(const QString& text) {
    setPlainText(text);
    if (!text.contains(QChar(QChar::ParagraphSeparator))) return;
    // Mark the blocks that a paragraph separator ended, so that saving writes it back.
    QTextBlock block = document()->firstBlock();
    for (const QChar c : text) {
        if (c != u'\n' && c != QChar::ParagraphSeparator) continue;
        if (!block.isValid()) break;
        if (c == QChar::ParagraphSeparator) block.setUserState(EndsWithParagraphSeparator);
        block = block.next();
    }
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
