// Both text splitters: a text counted in pieces gives the counts of the text counted at once; and
// the explanations of the text, and of its start taken as a word, add up to their values.
#include "FuzzSplit.h"
#include "engine/ExplainCheck.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

using namespace zelm;
using zelm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto split = zelm::fuzz::Split(data, size);
    static TTextEvaluator whole, pieces;
    static TUkrTextEvaluator ukrWhole, ukrPieces;

    whole.ResetTextCounts();
    whole.CountTextChunk(split.Text);
    whole.FinishText();
    pieces.ResetTextCounts();
    for (const std::string_view piece : split.Pieces) pieces.CountTextChunk(piece);
    pieces.FinishText();
    Check(whole.TextSoundCounts == pieces.TextSoundCounts);

    ukrWhole.UkrResetTextCounts();
    ukrWhole.UkrCountTextChunk(split.Text);
    ukrWhole.UkrFinishText();
    ukrPieces.UkrResetTextCounts();
    for (const std::string_view piece : split.Pieces) ukrPieces.UkrCountTextChunk(piece);
    ukrPieces.UkrFinishText();
    Check(ukrWhole.UkrTextSoundCounts == ukrPieces.UkrTextSoundCounts);

    static TWordEvaluator word;
    static TUkrWordEvaluator ukrWord;
    const std::string_view start = split.Text.substr(0, 64);
    for (const TEvalScheme scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
        whole.EvaluateText(scheme);
        Check(ExplanationAddsUp(ExplainText(whole, scheme), std::span<const float>(whole.TextProfile), false));
        ukrWhole.UkrEvaluateText(scheme);
        Check(ExplanationAddsUp(ExplainText(ukrWhole, scheme), std::span<const float>(ukrWhole.UkrTextProfile), false));
        word.EvaluateWord(start, scheme);
        Check(ExplanationAddsUp(ExplainWord(word, scheme), std::span<const double>(word.WordProfile), true));
        ukrWord.UkrEvaluateWord(start, scheme);
        Check(ExplanationAddsUp(ExplainWord(ukrWord, scheme), std::span<const double>(ukrWord.UkrWordProfile), true));
    }
    return 0;
}
