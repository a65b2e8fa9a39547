// The help viewer: the topics of a help file with links between them, Back and Forward through
// the topics seen, the contents, and a search over every topic's title and text.
#pragma once

#include "Dialogs.h"

#include <QDialog>
#include <QList>

#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace zelm {

// The contexts a topic's links point at: every href of the form "#<context>", in order.
QList<int> HelpTopicLinks(const THelpTopic& topic);

// The contexts of the topics whose title or text holds every word of `words` (letter case
// ignored, ё read as е), those with the words in their title first, then by how often the words
// occur, then in the file's order. Empty when `words` has no word.
QList<int> FindHelpTopics(const QList<THelpTopic>& topics, const QString& words);

class THelpViewer : public QDialog {
public:
    explicit THelpViewer(const QList<THelpTopic>& topics, QWidget* parent = nullptr);

    // Opens the topic of a context (the first topic when no topic has it) and remembers it for
    // Back; the caption names the topic.
    void ShowContext(int context);
    void Back();
    void Forward();
    void Contents(); // the topic of context 10, else the first one
    // Lists the topics found for `words`; an empty search lists every topic.
    void Search(const QString& words);
    int CurrentContext() const;

    QPushButton* ContentsButton;
    QPushButton* BackButton;
    QPushButton* ForwardButton;
    QLineEdit* SearchBox;
    QListWidget* TopicList;
    QTextBrowser* Page;
    QPushButton* CloseButton;

private:
    const THelpTopic* TopicOf(int context) const;
    void Show(const THelpTopic& topic);
    void UpdateButtons();
    void SelectCurrentInList();

    QList<THelpTopic> Topics_;
    std::vector<int> History_;
    std::size_t Position_ = 0;
    QString Highlight_;
};

} // namespace zelm
