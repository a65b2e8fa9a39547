// The help viewer (links, Back and Forward, contents, search) and the user guide it shows.
#include "Cp1251.h"
#include "HelpViewer.h"
#include "QtTestMain.h"
#include "ru/UEmData.h"
#include "uk/UEmUkrData.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

using namespace zelm;

namespace {

const QList<THelpTopic>& Guide() {
    static const QList<THelpTopic> topics = [] {
        bool readable = false;
        auto read = ReadHelpFile(QStringLiteral(ZELM_HELP_FILE), &readable);
        EXPECT_TRUE(readable) << ZELM_HELP_FILE;
        return read;
    }();
    return topics;
}

const THelpTopic* GuideTopic(int context) {
    for (const THelpTopic& topic : Guide())
        if (topic.Context == context) return &topic;
    return nullptr;
}

QString PlainText(const THelpTopic& topic) { return QTextDocumentFragment::fromHtml(topic.Body).toPlainText(); }

QList<THelpTopic> SmallHelp() {
    return {{10, "Содержание", "<p><a href=\"#50\">Слово</a>, <a href=\"#60\">Текст</a></p>"},
            {50, "Оценка слова", "<p>Ударение ставят звёздочкой. <a href=\"#60\">Текст</a></p>"},
            {60, "Оценка текста", "<p>Текст делится на слова; ударение не учитывается.</p>"},
            {80, "Ёлка и ударение", "<p>ёлка</p>"}};
}

// Clicks the link of the page whose text is `text`, as the user does.
void ClickLink(THelpViewer& viewer, const QString& href) {
    emit viewer.Page->anchorClicked(QUrl(href));
}

} // namespace

TEST(UserGuide, EveryLinkLeadsToATopicAndEveryTopicIsReachedFromTheContents) {
    ASSERT_GE(Guide().size(), 15);
    QSet<int> contexts;
    for (const THelpTopic& topic : Guide()) {
        EXPECT_FALSE(contexts.contains(topic.Context)) << "twice: " << topic.Context;
        contexts.insert(topic.Context);
        EXPECT_FALSE(topic.Title.isEmpty()) << topic.Context;
        EXPECT_GT(PlainText(topic).size(), 200) << topic.Context << " is too short to help";
    }
    for (const THelpTopic& topic : Guide())
        for (const int link : HelpTopicLinks(topic))
            EXPECT_TRUE(contexts.contains(link)) << "topic " << topic.Context << " links to the missing " << link;
    // Every topic but the contents has a link to it, and all are reached from the contents.
    QSet<int> reached{10};
    std::deque<int> next{10};
    while (!next.empty()) {
        for (const int link : HelpTopicLinks(*GuideTopic(next.front())))
            if (!reached.contains(link)) {
                reached.insert(link);
                next.push_back(link);
            }
        next.pop_front();
    }
    EXPECT_EQ(reached, contexts);
}

TEST(UserGuide, TheProgramsContextsOpenTheirTopics) {
    // Context -> a word its topic must be about.
    const std::vector<std::pair<int, QString>> expected{
        {10, "Содержание"}, {50, "Окно оценки слова"}, {60, "Окно оценки текста"},
        {80, "Кнопки окон оценки"}, {120, "Эмоциональная оценка слова"}, {140, "Эмоциональная оценка текста"}};
    for (const auto& [context, title] : expected) {
        THelpViewer viewer(Guide());
        viewer.ShowContext(context);
        EXPECT_EQ(viewer.CurrentContext(), context);
        EXPECT_EQ(viewer.windowTitle(), "Справка — " + title) << context;
        EXPECT_TRUE(viewer.Page->toPlainText().contains(PlainText(*GuideTopic(context)).left(40))) << context;
    }
}

TEST(UserGuide, NamesEveryScaleAndTheProgramsOwnTexts) {
    const QString russian = PlainText(*GuideTopic(210)), ukrainian = PlainText(*GuideTopic(220));
    for (int scale = 1; scale <= 24; ++scale)
        for (const auto name : {ScaleLeftName(scale), ScaleRightName(scale)})
            EXPECT_TRUE(russian.contains(QString::fromStdString(Cp1251ToUtf8(name)))) << scale;
    for (int scale = 1; scale <= 7; ++scale)
        for (const auto name : {UkrScaleLeftName(scale), UkrScaleRightName(scale)})
            EXPECT_TRUE(ukrainian.contains(QString::fromStdString(Cp1251ToUtf8(name)))) << scale;
    // The menu, button and dialog texts the guide quotes are the program's.
    QString all;
    for (const THelpTopic& topic : Guide()) all += PlainText(topic) + QLatin1Char('\n');
    all = all.simplified(); // as a page shows them: runs of blanks as one
    for (const char* text : {"«Эмоциональная оценка слова»", "«Эмоциональная оценка текста»", "«Параметры печати...»",
                             "«Оценить»", "«Выход»", "«Принять»", "«Отказ»", "«Только для чтения»", "«Алгоритм  Журавлева»",
                             "«Алгоритм Левицкого»", "«Межстрочный интервал»", "«Поля (мм)»", "«О системе...»"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(text).simplified())) << text;
}

TEST(HelpViewer, LinksBackForwardAndContents) {
    // The arrow keys in the topic list show the topic they move to.
    THelpViewer arrows(SmallHelp());
    arrows.ShowContext(10);
    QTest::keyClick(arrows.TopicList, Qt::Key_Down);
    EXPECT_EQ(arrows.CurrentContext(), arrows.TopicList->currentItem()->data(Qt::UserRole).toInt());
    EXPECT_NE(arrows.CurrentContext(), 10);

    THelpViewer viewer(SmallHelp());
    viewer.ShowContext(60);
    EXPECT_FALSE(viewer.BackButton->isEnabled());
    viewer.ContentsButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 10);
    ClickLink(viewer, "#50");
    EXPECT_EQ(viewer.CurrentContext(), 50);
    EXPECT_EQ(viewer.windowTitle(), "Справка — Оценка слова");
    ClickLink(viewer, "#60");
    EXPECT_EQ(viewer.CurrentContext(), 60);
    viewer.BackButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 50);
    viewer.BackButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 10);
    viewer.BackButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 60);
    EXPECT_FALSE(viewer.BackButton->isEnabled());
    EXPECT_TRUE(viewer.ForwardButton->isEnabled());
    viewer.ForwardButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 10);
    // A new topic after going back drops the topics ahead.
    ClickLink(viewer, "#60");
    EXPECT_FALSE(viewer.ForwardButton->isEnabled());
    viewer.BackButton->click();
    EXPECT_EQ(viewer.CurrentContext(), 10);
    // A link to no topic, or of another kind, leaves the page as it is.
    ClickLink(viewer, "#999");
    EXPECT_EQ(viewer.CurrentContext(), 10);
    ClickLink(viewer, "mailto:x@example.org");
    EXPECT_EQ(viewer.CurrentContext(), 10);
    // A context no topic has opens the first topic.
    viewer.ShowContext(12345);
    EXPECT_EQ(viewer.CurrentContext(), 10);
    // The list beside the page has every topic, the current one selected.
    EXPECT_EQ(viewer.TopicList->count(), 4);
    EXPECT_EQ(viewer.TopicList->currentItem()->text(), "Содержание");
    viewer.TopicList->item(2)->setSelected(true);
    emit viewer.TopicList->itemActivated(viewer.TopicList->item(2));
    EXPECT_EQ(viewer.CurrentContext(), 60);
}

TEST(HelpViewer, SearchFindsEveryWordIgnoringCaseAndYo) {
    const auto topics = SmallHelp();
    EXPECT_EQ(FindHelpTopics(topics, "ударение"), (QList<int>{80, 50, 60})); // in a title first
    EXPECT_EQ(FindHelpTopics(topics, "УДАРЕНИЕ текст"), (QList<int>{60, 50}));
    EXPECT_EQ(FindHelpTopics(topics, "звездочкой"), (QList<int>{50}));
    EXPECT_EQ(FindHelpTopics(topics, "елка"), (QList<int>{80}));
    EXPECT_TRUE(FindHelpTopics(topics, "   ").isEmpty());
    EXPECT_TRUE(FindHelpTopics(topics, "href").isEmpty()); // the markup is not searched

    THelpViewer viewer(topics);
    viewer.ShowContext(10);
    for (const QChar ch : QStringLiteral("Звездочкой"))
        QTest::sendKeyEvent(QTest::Click, viewer.SearchBox, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    ASSERT_GE(viewer.TopicList->count(), 1);
    EXPECT_EQ(viewer.TopicList->item(0)->text(), "Оценка слова");
    QTest::keyClick(viewer.SearchBox, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentContext(), 50);
    EXPECT_EQ(viewer.Page->textCursor().selectedText(), "звёздочкой"); // the place found is shown
    viewer.SearchBox->setText("нет такого");
    ASSERT_EQ(viewer.TopicList->count(), 1);
    EXPECT_EQ(viewer.TopicList->item(0)->text(), "Ничего не найдено");
    QTest::keyClick(viewer.SearchBox, Qt::Key_Return);
    EXPECT_EQ(viewer.CurrentContext(), 50);
    viewer.SearchBox->clear();
    EXPECT_EQ(viewer.TopicList->count(), 4);

    // The real guide: the words a user looks for find their topics.
    EXPECT_EQ(FindHelpTopics(Guide(), "ударение").value(0), 55);
    EXPECT_TRUE(FindHelpTopics(Guide(), "zelm-cli rank").contains(310));
    EXPECT_TRUE(FindHelpTopics(Guide(), "кодировка").contains(30));
}

TEST(HelpViewer, AMissingHelpFileIsReportedInRussianWithItsPath) {
    QString text, caption;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            caption = box->windowTitle();
            box->close();
        }
    });
    ShowHelpTopic(nullptr, "/no/such/ERROR/Devuvodi.hlp", 50);
    EXPECT_EQ(text, "Не удаётся открыть файл справки «/no/such/ERROR/Devuvodi.hlp».");
    EXPECT_EQ(caption, "Справка");
}

ZELM_QT_TEST_MAIN
