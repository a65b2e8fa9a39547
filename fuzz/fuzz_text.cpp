// Both text splitters: a text counted in pieces gives the counts of the text counted at once.
#include "FuzzSplit.h"
#include "ru/UTextEvl.h"
#include "uk/UUkrTextEvl.h"

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
    return 0;
}
