#include "WordWindow.h"

#include <QLineEdit>

namespace zelm {

namespace {
QString Trim(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}
} // namespace

QString TrimmedWord(const QString& text) { return Trim(text).left(50); }

QString OpeningWord(const QString& text) { return Trim(text.left(50)); }

TWordBox::TWordBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
}

void TWordBox::Remember(const QString& word) {
    if (findText(word, Qt::MatchFixedString) >= 0) return; // case-insensitive
    int at = 0;
    while (at < count() && QString::localeAwareCompare(itemText(at), word) < 0) ++at;
    const QString text = currentText();
    insertItem(at, word);
    setEditText(text);
}

} // namespace zelm
