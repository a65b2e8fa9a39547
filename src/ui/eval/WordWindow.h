// Pieces the two word windows share: the word box with its sorted history, and the word rules.
#pragma once

#include "EvalWindow.h"

#include <QComboBox>
#include <QString>

namespace zelm {

// A word as the windows take it: characters 0..32 trimmed from both ends, at most 50 kept.
QString TrimmedWord(const QString& text);
// A word as the openers take it: at most 50 kept, then trimmed.
QString OpeningWord(const QString& text);

// The editable word box: its list is the history, sorted, and searched ignoring letter case.
class TWordBox : public QComboBox {
public:
    explicit TWordBox(QWidget* parent);
    // Adds the word unless an entry equals it ignoring case; the list stays sorted.
    void Remember(const QString& word);
};

} // namespace zelm
