#include "ru/UComment.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace zelm;
using zelm::test::Cp;
using zelm::test::Utf;

namespace {

std::string CommentOnWord(std::string_view utf8, TEvalScheme scheme) {
    TWordEvaluator e;
    e.EvaluateWord(Cp(utf8), scheme);
    return Utf(RussianWordComment(Cp(utf8), e.WordProfile));
}

std::string CommentOnText(std::string_view utf8, TEvalScheme scheme) {
    TTextEvaluator e;
    e.CountTextWords(Cp(utf8));
    e.EvaluateText(scheme);
    return Utf(RussianTextComment(e.TextProfile));
}

} // namespace

TEST(RussianComment, WordComments) {
    EXPECT_EQ(CommentOnWord("мо*ре", TEvalScheme::esZhuravlev),
              "Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО");
    EXPECT_EQ(CommentOnWord("кот", TEvalScheme::esLevitsky),
              "Слово КОТ производит впечатление чего-то  УГЛОВАТОГО,  ГРУБОГО,  ПОДВИЖНОГО,  БЫСТРОГО");
    EXPECT_EQ(CommentOnWord("cat", TEvalScheme::esZhuravlev),
              "Слово cat не обладает выраженными фоносемантическими характеристиками");
    // The word box text is taken as it stands: blanks kept, ё not raised.
    EXPECT_EQ(CommentOnWord(" ёж", TEvalScheme::esZhuravlev).substr(0, 17), "Слово  ёЖ ");
}

TEST(RussianComment, ThresholdIsStrict) {
    std::array<double, ScaleCount> profile{};
    profile[0] = 0.25;
    profile[1] = -0.25;
    EXPECT_EQ(Utf(RussianWordComment("x", profile)),
              "Слово x не обладает выраженными фоносемантическими характеристиками");
    profile[0] = 0.2501;
    profile[21] = -0.3;
    EXPECT_EQ(Utf(RussianWordComment("x", profile)),
              "Слово x производит впечатление чего-то  ХОРОШЕГО,  ПАССИВННОГО");
}

TEST(RussianComment, TextComments) {
    EXPECT_EQ(CommentOnText("кот", TEvalScheme::esZhuravlev),
              "Данный текст не обладает выраженными фоносемантическими характеристиками");
    EXPECT_EQ(CommentOnText("Мама мыла раму.", TEvalScheme::esZhuravlev),
              "Данный текст производит впечатление   МУЖЕСТВЕННОГО,  ХОЛОДНОГО,  МОГУЧЕГО,  БОЛЬШОГО");
    std::array<float, ScaleCount> profile{};
    profile[4] = 10.0f;
    EXPECT_EQ(Utf(RussianTextComment(profile)),
              "Данный текст не обладает выраженными фоносемантическими характеристиками");
    profile[4] = -10.01f;
    EXPECT_EQ(Utf(RussianTextComment(profile)), "Данный текст производит впечатление   ШЕРОХОВАТОГО");
}
