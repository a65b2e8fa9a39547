#include "HelpViewer.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace zelm {

namespace {

constexpr int ContentsContext = 10;

// The form words are compared in: lower case, ё as е.
QString Folded(const QString& text) {
    QString folded = text.toLower();
    folded.replace(QChar(0x0451), QChar(0x0435));
    return folded;
}

// The context of a link to a topic ("#60"), or -1 for any other link.
int LinkedContext(const QString& href) {
    static const QRegularExpression topicLink(QStringLiteral("^#(\\d+)$"));
    const QRegularExpressionMatch match = topicLink.match(href);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

QList<int> HelpTopicLinks(const THelpTopic& topic) {
    static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QList<int> links;
    for (auto it = href.globalMatch(topic.Body); it.hasNext();)
        if (const int context = LinkedContext(it.next().captured(1)); context >= 0) links.push_back(context);
    return links;
}

QList<int> FindHelpTopics(const QList<THelpTopic>& topics, const QString& words) {
    const QStringList wanted = Folded(words).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (wanted.isEmpty()) return {};
    struct THit {
        int Context, TitleWords, Occurrences;
    };
    std::vector<THit> hits;
    for (const THelpTopic& topic : topics) {
        const QString title = Folded(topic.Title);
        const QString text = title + QLatin1Char('\n') + Folded(QTextDocumentFragment::fromHtml(topic.Body).toPlainText());
        THit hit{topic.Context, 0, 0};
        bool all = true;
        for (const QString& word : wanted) {
            const int count = int(text.count(word));
            if (count == 0) {
                all = false;
                break;
            }
            hit.Occurrences += count;
            if (title.contains(word)) ++hit.TitleWords;
        }
        if (all) hits.push_back(hit);
    }
    // Stable: equal hits stay in the file's order.
    std::stable_sort(hits.begin(), hits.end(), [](const THit& a, const THit& b) {
        if (a.TitleWords != b.TitleWords) return a.TitleWords > b.TitleWords;
        return a.Occurrences > b.Occurrences;
    });
    QList<int> contexts;
    for (const THit& hit : hits) contexts.push_back(hit.Context);
    return contexts;
}

THelpViewer::THelpViewer(const QList<THelpTopic>& topics, QWidget* parent) : QDialog(parent), Topics_(topics) {
    resize(880, 600);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    ContentsButton = new QPushButton(QStringLiteral("Содержание"), this);
    BackButton = new QPushButton(QStringLiteral("< Назад"), this);
    ForwardButton = new QPushButton(QStringLiteral("Вперёд >"), this);
    BackButton->setToolTip(QStringLiteral("К предыдущему разделу (Alt+Влево)"));
    ForwardButton->setToolTip(QStringLiteral("К следующему разделу (Alt+Вправо)"));
    bar->addWidget(ContentsButton);
    bar->addWidget(BackButton);
    bar->addWidget(ForwardButton);
    bar->addStretch();
    auto* searchLabel = new QLabel(QStringLiteral("&Поиск:"), this);
    SearchBox = new QLineEdit(this);
    SearchBox->setPlaceholderText(QStringLiteral("слова для поиска"));
    SearchBox->setClearButtonEnabled(true);
    SearchBox->setMinimumWidth(220);
    searchLabel->setBuddy(SearchBox);
    bar->addWidget(searchLabel);
    bar->addWidget(SearchBox);
    layout->addLayout(bar);

    auto* splitter = new QSplitter(this);
    TopicList = new QListWidget(splitter);
    Page = new QTextBrowser(splitter);
    Page->setOpenLinks(false);
    splitter->addWidget(TopicList);
    splitter->addWidget(Page);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({290, 590});
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    CloseButton = new QPushButton(QStringLiteral("Закрыть"), this);
    bottom->addWidget(CloseButton);
    layout->addLayout(bottom);

    for (QPushButton* button : {ContentsButton, BackButton, ForwardButton, CloseButton}) button->setAutoDefault(false);
    connect(ContentsButton, &QPushButton::clicked, this, [this] { Contents(); });
    connect(BackButton, &QPushButton::clicked, this, [this] { Back(); });
    connect(ForwardButton, &QPushButton::clicked, this, [this] { Forward(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(QKeySequence::Back, this), &QShortcut::activated, this, [this] { Back(); });
    connect(new QShortcut(QKeySequence::Forward, this), &QShortcut::activated, this, [this] { Forward(); });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        SearchBox->setFocus();
        SearchBox->selectAll();
    });
    connect(SearchBox, &QLineEdit::textChanged, this, [this](const QString& words) { Search(words); });
    connect(SearchBox, &QLineEdit::returnPressed, this, [this] {
        if (TopicList->count() > 0 && TopicList->item(0)->data(Qt::UserRole).isValid()) {
            Highlight_ = SearchBox->text();
            ShowContext(TopicList->item(0)->data(Qt::UserRole).toInt());
        }
    });
    connect(TopicList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (!item->data(Qt::UserRole).isValid()) return;
        Highlight_ = SearchBox->text();
        ShowContext(item->data(Qt::UserRole).toInt());
    });
    connect(TopicList, &QListWidget::itemClicked, TopicList, &QListWidget::itemActivated);
    // The arrow keys show the topic they move to.
    connect(TopicList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item && item->data(Qt::UserRole).isValid() && item->data(Qt::UserRole).toInt() != CurrentContext())
            emit TopicList->itemActivated(item);
    });
    connect(Page, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (const int context = LinkedContext(url.toString()); context >= 0) {
            Highlight_.clear();
            ShowContext(context);
        } else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
            QDesktopServices::openUrl(url);
        }
    });
    Search(QString());
    UpdateButtons();
}

const THelpTopic* THelpViewer::TopicOf(int context) const {
    for (const THelpTopic& topic : Topics_)
        if (topic.Context == context) return &topic;
    return Topics_.isEmpty() ? nullptr : &Topics_.front();
}

void THelpViewer::ShowContext(int context) {
    const THelpTopic* topic = TopicOf(context);
    if (!topic) {
        setWindowTitle(QStringLiteral("Справка"));
        Page->setHtml(QStringLiteral("<p>В файле справки нет ни одного раздела.</p>"));
        return;
    }
    // A new topic drops the topics ahead of the current one, as a browser does.
    if (!History_.empty() && History_[Position_] == topic->Context) {
        Show(*topic);
        return;
    }
    if (!History_.empty()) History_.resize(Position_ + 1);
    History_.push_back(topic->Context);
    Position_ = History_.size() - 1;
    Show(*topic);
}

void THelpViewer::Back() {
    if (Position_ == 0 || History_.empty()) return;
    --Position_;
    Highlight_.clear();
    Show(*TopicOf(History_[Position_]));
}

void THelpViewer::Forward() {
    if (Position_ + 1 >= History_.size()) return;
    ++Position_;
    Highlight_.clear();
    Show(*TopicOf(History_[Position_]));
}

void THelpViewer::Contents() {
    Highlight_.clear();
    ShowContext(ContentsContext);
}

int THelpViewer::CurrentContext() const { return History_.empty() ? -1 : History_[Position_]; }

void THelpViewer::Show(const THelpTopic& topic) {
    setWindowTitle(QStringLiteral("Справка — ") + topic.Title);
    Page->setHtml(topic.Body);
    // A topic opened from the search shows the first place of the first word searched for.
    const QStringList words = Highlight_.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (!words.isEmpty()) {
        // Found as the search found it: in any letter case, ё and е alike.
        QString pattern;
        for (const QChar ch : Folded(words.front()))
            pattern += ch == QChar(0x0435) ? QStringLiteral("[\u0435\u0451]") : QRegularExpression::escape(QString(ch));
        Page->find(QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption));
    }
    UpdateButtons();
    SelectCurrentInList();
}

void THelpViewer::Search(const QString& words) {
    TopicList->clear();
    const QList<int> found = FindHelpTopics(Topics_, words);
    const bool searching = !words.trimmed().isEmpty();
    if (searching && found.isEmpty()) {
        auto* none = new QListWidgetItem(QStringLiteral("Ничего не найдено"), TopicList);
        none->setFlags(Qt::NoItemFlags);
        return;
    }
    if (searching) {
        for (const int context : found) {
            auto* item = new QListWidgetItem(TopicOf(context)->Title, TopicList);
            item->setData(Qt::UserRole, context);
        }
    } else {
        for (const THelpTopic& topic : Topics_) {
            auto* item = new QListWidgetItem(topic.Title, TopicList);
            item->setData(Qt::UserRole, topic.Context);
        }
    }
    SelectCurrentInList();
}

void THelpViewer::UpdateButtons() {
    BackButton->setEnabled(Position_ > 0);
    ForwardButton->setEnabled(Position_ + 1 < History_.size());
}

void THelpViewer::SelectCurrentInList() {
    const QSignalBlocker blocker(TopicList);
    TopicList->clearSelection();
    for (int i = 0; i < TopicList->count(); ++i)
        if (TopicList->item(i)->data(Qt::UserRole).toInt() == CurrentContext() &&
            TopicList->item(i)->data(Qt::UserRole).isValid()) {
            TopicList->setCurrentRow(i);
            break;
        }
}

} // namespace zelm
