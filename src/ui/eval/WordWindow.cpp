#include "WordWindow.h"

#include "Engines.h"

#include <QLineEdit>

#include <algorithm>

namespace zelm {

QString TrimControls(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

QString TrimmedWord(const QString& text) { return TrimControls(text).left(50); }

QString FirstLine(const QString& text) {
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) || c == QChar(0x2029); };
    if (std::none_of(text.begin(), text.end(), isBreak)) return text;
    for (qsizetype begin = 0; begin < text.size();) {
        qsizetype end = begin;
        while (end < text.size() && !isBreak(text[end])) ++end;
        if (!TrimControls(text.mid(begin, end - begin)).isEmpty()) return text.mid(begin, end - begin);
        begin = end + 1;
    }
    return {};
}

QString OpeningWord(const QString& text) { return TrimControls(FirstLine(text).left(50)); }

TWordBox::TWordBox(QWidget* parent, QLocale::Language language)
    : QComboBox(parent), Collator_(QLocale(language, language == QLocale::Ukrainian ? QLocale::Ukraine : QLocale::Russia)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    // The toolkit would complete the typed text inline from the list and correct its case.
    setCompleter(nullptr);
    Collator_.setCaseSensitivity(Qt::CaseInsensitive);
    // A word box holds one word: text of several lines pasted into it becomes its first line.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (const QString line = FirstLine(text); line.size() != text.size()) lineEdit()->setText(line);
    });
}

void TWordBox::Remember(const QString& word) {
    if (findText(word, Qt::MatchFixedString) >= 0) return; // case-insensitive
    int at = 0;
    while (at < count() && Collator_.compare(itemText(at), word) < 0) ++at;
    const QString text = currentText();
    insertItem(at, word);
    setEditText(text);
}

TWordWindowBase::TWordWindowBase(int width, int height, std::string& windowWord)
    : TEvalWindow(width, height, 50, QStringLiteral("Фоносемантическая оценка слова  (проект ЗЕЛМ)  ") + MakerNotice),
      WindowWord_(windowWord) {}

void TWordWindowBase::ConnectControls(TWordBox* box, QPushButton* evaluate) {
    Box_ = box;
    connect(evaluate, &QPushButton::clicked, this, [this] { btnEvalClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { ShowHelp(); });
    connect(btnExit, &QPushButton::clicked, this, &QDialog::reject); // also Esc
    // Every change the user makes, by typing or by picking from the list.
    connect(box->lineEdit(), &QLineEdit::textEdited, this, [this] { WordChange(); });
    connect(box, &QComboBox::textActivated, this, [this] { WordChange(); });
    connect(mnLevitsky, &QAction::triggered, this, [this] { mnLevitskyClick(mnLevitsky); });
    connect(mnZhuravlev, &QAction::triggered, this, [this] { mnLevitskyClick(mnZhuravlev); });
}

void TWordWindowBase::btnEvalClick() {
    const QString word = TrimmedWord(FirstLine(Box_->currentText()));
    WindowWord_ = WordToCp1251(word);
    Box_->setEditText(word);
    Box_->Remember(word);
    Evaluate();
}

void TWordWindowBase::WordChange() {
    WindowWord_ = WordToCp1251(TrimmedWord(FirstLine(Box_->currentText())));
    Evaluate();
}

void TWordWindowBase::mnLevitskyClick(QAction* sender) {
    (sender == mnLevitsky ? mnLevitsky : mnZhuravlev)->setChecked(true);
    btnEvalClick();
}

// Closing clears the word box: its text and its history.
void TWordWindowBase::done(int result) {
    Box_->clear();
    Box_->setEditText({});
    TEvalWindow::done(result);
}

} // namespace zelm
