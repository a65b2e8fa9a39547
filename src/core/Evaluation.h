// One evaluation of a word or a text in either language, in the form the command line prints:
// values as the engine stores them, UTF-8 texts, and the bipolar chart rules of the result windows.
#pragma once

#include "EngineTypes.h"
#include "Explain.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelm {

enum class TLanguage { lgRussian, lgUkrainian };

struct TScaleNames {
    std::string Left, Right; // UTF-8
};

// Pole names of the language's scales, in UTF-8.
const std::vector<TScaleNames>& ScaleNamesOf(TLanguage language);

struct TColourMeasure {
    int Class = 0;
    std::uint32_t Colour = 0;
    double Measure = 0; // word: share of the class; text: z-score
    bool Shown = false; // whether the result window's colour strip shows the class
    int Blocks = 0;     // length of the class's block in the printed report (of 100 for a word, 20 for a text)
};

struct TEvaluation {
    bool IsWord = true;
    TLanguage Language = TLanguage::lgRussian;
    TEvalScheme Scheme = TEvalScheme::esZhuravlev;
    std::string Input;               // the word as given, or the file name; UTF-8
    std::vector<double> Profile;     // the engine's values as stored
    bool SinglePrecision = false;    // text profiles are single-precision values
    std::string Comment;             // UTF-8
    std::string CommentTail;         // a long word's comment after the word (Windows-1251)
    std::array<TColourMeasure, ColourClassCount> Colours{};
    std::vector<SoundCode> Sounds;   // word only
    std::vector<std::int64_t> Counts; // text only: per rating column (ru) or sound code (uk)
    std::int64_t Total = 0;
    std::int64_t Segment = 0, Line = 0; // text --by: the segment's number and its first line (0: none)

    // The chart as the result window draws it: the value of each row, the bar scale, and
    // whether a row's bar is significant.
    double ChartValue(std::size_t row) const;
    double BarScale = 1;
    bool Significant(std::size_t row) const;
    // The value text of the window's centre column.
    std::string ValueText(std::size_t row) const;
};

// Evaluates words and texts with engines of its own; several can work side by side.
class TEvaluator {
public:
    TEvaluator(TLanguage language, TEvalScheme scheme) : Language_(language), Scheme_(scheme) {}

    // Whether word evaluations also fill Sounds and Colours (a CSV row needs neither).
    bool WordDetails = true;

    // `word` is Windows-1251; `input` is what to report as the word given (UTF-8).
    void EvaluateWord(std::string_view word, std::string_view input, TEvaluation& out);
    // The same for a word too long to copy: `out` gets no Input, no Sounds and as its Comment only
    // what follows the word in it (CommentTail, Windows-1251); the sounds stay in the evaluator.
    void EvaluateLongWord(std::string_view word, TEvaluation& out);
    std::span<const SoundCode> LastSounds() const;
    // Only the profile of a word, as stored (the fast path of rank).
    std::span<const double> WordProfileOf(std::string_view word);

    // A text fed in Windows-1251 pieces.
    void BeginText();
    void FeedText(std::string_view piece);
    void EndText(std::string_view input, TEvaluation& out);
    // Ends the text fed and gives its sound counts alone (Russian: per rating column; Ukrainian:
    // per sound code), which add up over texts cut at line ends.
    std::vector<std::int64_t> EndTextCounts();
    // Evaluates a text from its sound counts, as EndText evaluates the text they were counted of.
    void EvaluateTextCounts(std::span<const std::int64_t> counts, std::string_view input, TEvaluation& out);
    // How many counts a text of the language has.
    static std::size_t TextCountSize(TLanguage language);

    // The per-sound terms of the last word or text evaluated.
    TExplanation ExplainLast(bool word) const;

private:
    void WordValues(std::string_view word, TEvaluation& out);
    void FinishCommon(TEvaluation& out) const;
    void EvaluateCounted(std::string_view input, TEvaluation& out);
    std::string Capitals_; // the word upper-cased for its comment
    TLanguage Language_;
    TEvalScheme Scheme_;
    TWordEvaluator Word_;
    TTextEvaluator Text_;
    TUkrWordEvaluator UkrWord_;
    TUkrTextEvaluator UkrText_;
};

} // namespace zelm
