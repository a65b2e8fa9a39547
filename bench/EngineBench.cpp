// Engine benchmarks: text counting and word evaluation in both languages, and the number
// formatting of the command line. Each family is also
// printed as a ratio to a baseline measured in the same run (a plain byte sum over the same text,
// or the transcription alone for words), so figures compare across machines.
#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace zelm;

namespace {

const std::vector<std::string> RussianWords = {
    "мама", "мыла", "раму", "кот", "сидел", "на", "окне", "мо*ре", "шумело", "волны", "бились", "о", "камни",
    "солнце", "светило", "ярко", "летний", "день", "был", "тёплым", "достопримечательность", "щи", "ель"};
const std::vector<std::string> UkrainianWords = {
    "мама", "мила", "раму", "кіт", "сидів", "на", "вікні", "мо*ва", "джміль", "гудів", "у", "квітах", "ґанок",
    "щука", "дзвін", "сьо*го", "їжак", "м'ясо", "серце", "билося", "швидше", "любов", "дружба"};

// About 8 MiB of Windows-1251 text made of the words, with punctuation and line breaks.
std::string MakeText(const std::vector<std::string>& words) {
    std::mt19937 random(7);
    std::string text;
    while (text.size() < (std::size_t(8) << 20)) {
        text += Utf8ToCp1251(words[random() % words.size()]);
        const auto r = random() % 16;
        text += r == 0 ? ". " : r == 1 ? ",\r\n" : " ";
    }
    return text;
}

std::vector<std::string> MakeWordList(const std::vector<std::string>& words) {
    std::vector<std::string> list;
    for (const auto& w : words) list.push_back(Utf8ToCp1251(w, TAcuteAccent::amStressMark));
    return list;
}

const std::string& RussianText() {
    static const std::string text = MakeText(RussianWords);
    return text;
}
const std::string& UkrainianText() {
    static const std::string text = MakeText(UkrainianWords);
    return text;
}

void Baseline_ByteSum(benchmark::State& state) {
    const std::string& text = RussianText();
    for (auto _ : state) {
        unsigned sum = 0;
        for (const char c : text) sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void Text_RussianCount(benchmark::State& state) {
    const std::string& text = RussianText();
    TTextEvaluator e;
    for (auto _ : state) {
        e.ResetTextCounts();
        e.CountTextWords(text);
        benchmark::DoNotOptimize(e.TextSoundCounts);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void Text_UkrainianCount(benchmark::State& state) {
    const std::string& text = UkrainianText();
    TUkrTextEvaluator e;
    for (auto _ : state) {
        e.UkrResetTextCounts();
        e.UkrCountTextWords(text);
        benchmark::DoNotOptimize(e.UkrTextSoundCounts);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void Baseline_RussianTranscription(benchmark::State& state) {
    const auto words = MakeWordList(RussianWords);
    std::vector<SoundCode> sounds;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TranscribeWord(words[i++ % words.size()], sounds));
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

// One evaluation per iteration, cycling through the language's words.
template <class TEvaluator, void (TEvaluator::*Evaluate)(std::string_view)>
void WordBenchmark(benchmark::State& state, const std::vector<std::string>& words) {
    const auto list = MakeWordList(words);
    TEvaluator e;
    std::size_t i = 0;
    for (auto _ : state) {
        (e.*Evaluate)(list[i++ % list.size()]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

void Word_RussianZhuravlev(benchmark::State& state) {
    WordBenchmark<TWordEvaluator, &TWordEvaluator::EvaluateWordZhuravlev>(state, RussianWords);
}
void Word_RussianLevitsky(benchmark::State& state) {
    WordBenchmark<TWordEvaluator, &TWordEvaluator::EvaluateWordLevitsky>(state, RussianWords);
}
void Word_UkrainianZhuravlev(benchmark::State& state) {
    WordBenchmark<TUkrWordEvaluator, &TUkrWordEvaluator::UkrEvaluateWordZhuravlev>(state, UkrainianWords);
}
void Word_UkrainianLevitsky(benchmark::State& state) {
    WordBenchmark<TUkrWordEvaluator, &TUkrWordEvaluator::UkrEvaluateWordLevitsky>(state, UkrainianWords);
}

// Word values as the command line prints them, against the standard library's shortest form:
// the profiles of the Russian dictionary's words when it is installed (a word list's values vary
// as theirs do; a few words repeated would let the processor learn them), in CSV rows.
std::vector<double> SampleValues() {
    std::vector<std::string> words = MakeWordList(RussianWords);
    std::ifstream dic("/usr/share/hunspell/ru_RU.dic");
    std::string line;
    std::getline(dic, line); // the number of words
    while (words.size() < 20000 && std::getline(dic, line)) words.push_back(Utf8ToCp1251(line.substr(0, line.find('/'))));
    std::vector<double> values;
    TWordEvaluator e;
    for (const auto& word : words) {
        e.EvaluateWordZhuravlev(word);
        values.insert(values.end(), e.WordProfile.begin(), e.WordProfile.end());
    }
    return values;
}

void Baseline_StdToChars(benchmark::State& state) {
    const auto values = SampleValues();
    char text[64];
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(std::to_chars(text, text + sizeof text, values[i++ % values.size()]));
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

// A CSV row of a word's 24 values (its word and comment left empty); items are values.
void Format_WordValue(benchmark::State& state) {
    const auto values = SampleValues();
    TEvaluation e;
    std::string out;
    std::size_t at = 0;
    for (auto _ : state) {
        e.Profile.assign(values.begin() + std::ptrdiff_t(at), values.begin() + std::ptrdiff_t(at + ScaleCount));
        at = (at + ScaleCount) % values.size();
        out.clear();
        AppendCsvRow(out, e);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * ScaleCount);
}

// The writer the WebAssembly builds use (their library has no floating-point to_chars).
void Format_PortableWordValue(benchmark::State& state) {
    const auto values = SampleValues();
    char text[64];
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(WriteShortestPortable(text, values[i++ % values.size()], false));
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

// The same for a text's values (single precision): the per-line profiles the page writes. The
// values of texts of a few hundred to a few thousand sounds: the word values times 10 to 1000.
void Format_PortableTextValue(benchmark::State& state) {
    auto values = SampleValues();
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = double(float(values[i] * double(std::size_t(10) << (i % 7))));
    char text[64];
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(WriteShortestPortable(text, values[i++ % values.size()], true));
    state.SetItemsProcessed(std::int64_t(state.iterations()));
}

BENCHMARK(Baseline_StdToChars);
BENCHMARK(Format_WordValue);
BENCHMARK(Format_PortableWordValue);
BENCHMARK(Format_PortableTextValue);
BENCHMARK(Baseline_ByteSum);
BENCHMARK(Text_RussianCount);
BENCHMARK(Text_UkrainianCount);
BENCHMARK(Baseline_RussianTranscription);
BENCHMARK(Word_RussianZhuravlev);
BENCHMARK(Word_RussianLevitsky);
BENCHMARK(Word_UkrainianZhuravlev);
BENCHMARK(Word_UkrainianLevitsky);

// Prints the usual table, then each benchmark's time as a multiple of its family's baseline.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // Per item where items are counted (a row of values is many), else per iteration.
        for (const auto& run : runs) {
            const auto items = run.counters.find("items_per_second");
            Times_[run.benchmark_name()] = items != run.counters.end() && items->second.value > 0
                                               ? 1e9 / items->second.value
                                               : run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nTime per unit as a multiple of the baseline measured in this run:\n");
        for (const auto& [name, time] : Times_) {
            const char* baseline = name.rfind("Text_", 0) == 0     ? "Baseline_ByteSum"
                                   : name.rfind("Word_", 0) == 0   ? "Baseline_RussianTranscription"
                                   : name.rfind("Format_", 0) == 0 ? "Baseline_StdToChars"
                                                                   : nullptr;
            if (baseline && Times_.count(baseline))
                std::printf("  %-28s %6.2f x %s\n", name.c_str(), time / Times_[baseline], baseline);
        }
    }

private:
    std::map<std::string, double> Times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
