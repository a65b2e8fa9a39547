#include "TextEditor.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

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

void TTextEditor::SetDocumentText(QString text, const std::vector<TLineEnd>& ends, TLineEnd usual) {
    // A big text goes in from its end, some megabytes of whole lines at a time, each piece's memory
    // given back once it is in: the text and the document's own copy are never both held whole.
    constexpr qsizetype Piece = 4 << 20;
    if (text.size() <= Piece || !text.isDetached()) {
        setPlainText(text);
    } else {
        setPlainText(QString());
        QTextDocument* doc = document();
        const bool undo = doc->isUndoRedoEnabled();
        doc->setUndoRedoEnabled(false);
        QTextCursor cursor(doc);
        while (!text.isEmpty()) {
            const qsizetype cut = text.size() - Piece;
            const qsizetype from = cut <= 0 ? 0 : text.lastIndexOf(QLatin1Char('\n'), cut) + 1; // 0: no line end before
            cursor.setPosition(0);
            cursor.insertText(QStringView(text).sliced(from).toString());
            text.truncate(from);
            text.squeeze();
        }
        doc->setUndoRedoEnabled(undo);
        setTextCursor(QTextCursor(doc));
    }
    std::size_t line = 0;
    while (line < ends.size() && ends[line] == usual) ++line;
    if (line == ends.size()) return;
    // Note the lines that end otherwise than usual, so that saving writes their line ends back.
    QTextBlock block = document()->findBlockByNumber(int(line));
    for (; line < ends.size() && block.isValid(); ++line, block = block.next())
        if (ends[line] != usual) block.setUserState(OwnLineEnd + int(ends[line]));
}

TTextSnapshot::TTextSnapshot(const TTextEditor& editor, int sliceMs) : Document_(editor.document()), SliceMs_(sliceMs) {
    Timer_.setInterval(0);
    connect(&Timer_, &QTimer::timeout, this, &TTextSnapshot::Slice);
    connect(Document_, &QTextDocument::contentsChange, this, &TTextSnapshot::Changed);
}

void TTextSnapshot::Start(TLineEnd usual, TDone done) {
    Usual_ = usual;
    Done_ = std::move(done);
    Lines_.clear();
    Ends_.clear();
    Blocks_ = Document_->blockCount();
    Timer_.start();
}

void TTextSnapshot::Stop() {
    Timer_.stop();
    Lines_ = {};
    Ends_ = {};
}

TLineEnd TTextSnapshot::EndOf(const QTextBlock& block) const {
    const int state = block.userState();
    return state >= OwnLineEnd ? TLineEnd(state - OwnLineEnd) : Usual_;
}

void TTextSnapshot::Slice() {
    QElapsedTimer clock;
    clock.start();
    for (QTextBlock block = Document_->findBlockByNumber(int(Lines_.size())); block.isValid(); block = block.next()) {
        Lines_.push_back(block.text());
        Ends_.push_back(EndOf(block));
        if (Lines_.size() % 256 == 0 && clock.elapsed() >= SliceMs_) return; // the rest after the next events
    }
    Timer_.stop();
    Ends_.pop_back(); // the last line has no line end
    TDone done = std::move(Done_);
    done(std::exchange(Lines_, {}), std::exchange(Ends_, {}));
}

// An edit replaced the lines first..oldLast with first..newLast (one contiguous change, however
// many characters): those already taken are taken again, and the rest move with them.
void TTextSnapshot::Changed(int position, int, int added) {
    if (!Running()) return;
    const int blocks = Document_->blockCount();
    const int grown = blocks - Blocks_;
    Blocks_ = blocks;
    const int taken = int(Lines_.size());
    const QTextBlock first = Document_->findBlock(position);
    const int from = first.isValid() ? first.blockNumber() : blocks - 1;
    if (from >= taken) return;
    const QTextBlock last = Document_->findBlock(position + added);
    const int newLast = last.isValid() ? last.blockNumber() : blocks - 1;
    const int oldLast = newLast - grown;
    if (oldLast >= taken - 1) { // it reaches the lines not yet taken: take them from here on
        Lines_.resize(std::size_t(from));
        Ends_.resize(std::size_t(from));
        return;
    }
    std::vector<QString> lines;
    std::vector<TLineEnd> ends;
    QTextBlock block = first;
    for (int line = from; line <= newLast && block.isValid(); ++line, block = block.next()) {
        lines.push_back(block.text());
        ends.push_back(EndOf(block));
    }
    Lines_.erase(Lines_.begin() + from, Lines_.begin() + oldLast + 1);
    Ends_.erase(Ends_.begin() + from, Ends_.begin() + oldLast + 1);
    Lines_.insert(Lines_.begin() + from, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    Ends_.insert(Ends_.begin() + from, ends.begin(), ends.end());
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
