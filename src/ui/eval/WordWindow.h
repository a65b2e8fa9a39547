// Pieces the two word windows share: the word box with its sorted history, and the word rules.
#pragma once

#include "EvalWindow.h"

#include <QCollator>
#include <QComboBox>
#include <QLocale>
#include <QString>

#include <string>

namespace zelm {

// Text without the characters 0..32 at either end.
QString TrimControls(const QString& text);
// A word as the windows take it: characters 0..32 trimmed from both ends, at most 50 kept.
QString TrimmedWord(const QString& text);
// A word as the openers take it: at most 50 kept, then trimmed.
QString OpeningWord(const QString& text);
// The first line of `text` that holds more than blanks (all of it when it has no line break).
QString FirstLine(const QString& text);

// The editable word box: its list is the history, sorted, and searched ignoring letter case.
// A word box: its edit text is exactly what the user typed (no completion, no case correction),
// and its list is kept in the alphabetical order of the language, whatever the system's locale.
class TWordBox : public QComboBox {
public:
    explicit TWordBox(QWidget* parent, QLocale::Language language = QLocale::Russian);
    // Adds the word unless an entry equals it ignoring case; the list stays sorted.
    void Remember(const QString& word);

private:
    QCollator Collator_;
};

// What the two word windows do alike: the word box's evaluation, its live evaluation, the
// algorithm switch and the clearing of the box on closing. The windows give the box, the word
// they keep, and their evaluation.
class TWordWindowBase : public TEvalWindow {
public:
    void btnEvalClick();
    void mnLevitskyClick(QAction* sender);

protected:
    TWordWindowBase(int width, int height, std::string& windowWord);
    // Connects the buttons, the box and the menu; call once the controls exist.
    void ConnectControls(TWordBox* box, QPushButton* evaluate);
    void WordChange();
    virtual void Evaluate() = 0; // by the checked algorithm, then comment and repaint
    void done(int result) override;

private:
    TWordBox* Box_ = nullptr;
    std::string& WindowWord_;
};

} // namespace zelm
