#include "Sounds.h"

#include "Cp1251.h"
#include "Formats.h"
#include "Output.h"
#include "InputFile.h"
#include "ru/UTextEvl.h"
#include "uk/UUkrTextEvl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zelm {

namespace {

// The rating columns of the Russian tables, and the Ukrainian sound codes 0..49.
constexpr const char* RussianLabels[RatingColumnCount] = {
    "а", "б", "в", "г", "д", "е", "ж", "з", "и", "й", "к", "л", "м", "н", "о", "п", "р", "с", "т", "у", "ф", "х", "ц",
    "ч", "ш", "щ", "ы", "э", "ю", "я", "бʹ", "вʹ", "гʹ", "дʹ", "зʹ", "кʹ", "лʹ", "мʹ", "нʹ", "пʹ", "рʹ", "сʹ", "тʹ", "фʹ", "хʹ"};
constexpr const char* UkrainianLabels[UkrSoundCount] = {
    "а", "е", "и", "і", "о", "у", "я", "є", "ьо", "ю", "б", "бʹ", "в", "вʹ", "г", "гʹ", "ч", "д", "дʹ", "дж", "дз", "дзʹ", "ж",
    "жʹ", "з", "зʹ", "й", "к", "кʹ", "л", "лʹ", "м", "мʹ", "н", "нʹ", "п", "пʹ", "р", "рʹ", "с", "сʹ", "т", "тʹ", "ф", "фʹ", "х",
    "хʹ", "ц", "цʹ", "ш"};

std::vector<TSoundRow> Rows(const std::vector<std::int64_t>& counts, std::int64_t total, const char* const* labels,
                            float (*norm)(int), float (*z)(int, std::int64_t, std::int64_t)) {
    std::vector<TSoundRow> rows;
    for (std::size_t c = 0; c < counts.size(); ++c)
        rows.push_back({labels[c], counts[c], total > 0 ? double(counts[c]) / double(total) : 0, norm(int(c)),
                        z(int(c), counts[c], total)});
    return rows;
}


} // namespace

std::string SoundLabel(TLanguage language, bool word, int code) {
    const bool russian = language == TLanguage::lgRussian;
    if (!word) return russian ? RussianLabels[code] : UkrainianLabels[code];
    const int unit = russian ? RatingColumn(SoundCode(code)) : UkrFoldStress(SoundCode(code));
    std::string label = russian ? RussianLabels[unit] : UkrainianLabels[unit];
    if (unit != code) label += "\u0301"; // a stressed vowel
    return label;
}

std::vector<TSoundRow> RussianSoundRows(const std::vector<std::int64_t>& counts, std::int64_t total) {
    return Rows(
        counts, total, RussianLabels, [](int c) { return static_cast<float>(FrequencyByColumn[std::size_t(c)]); },
        TTextEvaluator::SoundZScore);
}

std::vector<TSoundRow> UkrainianSoundRows(const std::vector<std::int64_t>& counts, std::int64_t total) {
    return Rows(
        counts, total, UkrainianLabels, [](int c) { return static_cast<float>(UkrFrequencyByCode[std::size_t(c)]); },
        TUkrTextEvaluator::UkrSoundZScore);
}

int RunSounds(const TCliOptions& options, TOutput& output) {
    const bool russian = options.Language == TLanguage::lgRussian;
    if (options.Format == TOutputFormat::ofCsv) output.Buffer += "input,label,count,share,norm,z\n";
    int status = 0;
    bool first = true;
    for (const std::string& path : options.Arguments) {
        auto file = OpenOrComplain(path, status);
        if (!file) continue;
        std::string error;
        // Counted in both readings side by side, as the text command does.
        TTextEvaluator ru[2];
        TUkrTextEvaluator uk[2];
        bool utf8 = false;
        const auto feed = [&](int reading) {
            return [&, reading](std::string_view piece) {
                if (russian) ru[reading].CountTextChunk(piece);
                else uk[reading].UkrCountTextChunk(piece);
            };
        };
        if (!ReadTextBothWays(*file, options.Encoding, feed(0), feed(1), utf8, error)) {
            Complain(error);
            status = 1;
            continue;
        }
        const int chosen = utf8 ? 1 : 0;
        std::vector<std::int64_t> counts;
        std::int64_t total = 0;
        if (russian) {
            ru[chosen].FinishText();
            counts.assign(ru[chosen].TextSoundCounts.begin(), ru[chosen].TextSoundCounts.end());
            total = ru[chosen].TextSoundTotal();
        } else {
            uk[chosen].UkrFinishText();
            counts.assign(uk[chosen].UkrTextSoundCounts.begin(), uk[chosen].UkrTextSoundCounts.end());
            total = uk[chosen].UkrTextSoundTotal();
        }
        const auto rows = russian ? RussianSoundRows(counts, total) : UkrainianSoundRows(counts, total);
        const std::string input = AsUtf8(path, TInputEncoding::ieAuto);
        std::string& out = output.Buffer;
        switch (options.Format) {
        case TOutputFormat::ofJson:
            out += "{\"kind\":\"sounds\",\"lang\":\"";
            out += russian ? "ru" : "uk";
            out += "\",\"input\":";
            AppendJsonString(out, input);
            out += ",\"total\":" + std::to_string(total) + ",\"rows\":[";
            for (std::size_t i = 0; i < rows.size(); ++i) {
                out += i ? ",{\"label\":" : "{\"label\":";
                AppendJsonString(out, rows[i].Label);
                out += ",\"count\":" + std::to_string(rows[i].Count) + ",\"share\":";
                AppendNumber(out, rows[i].Share, false);
                out += ",\"norm\":";
                AppendNumber(out, rows[i].Norm, true);
                out += ",\"z\":";
                AppendNumber(out, rows[i].Z, true);
                out.push_back('}');
            }
            out += "]}\n";
            break;
        case TOutputFormat::ofCsv:
            for (const auto& row : rows) {
                AppendCsvField(out, input);
                out += "," + row.Label + "," + std::to_string(row.Count) + ",";
                AppendNumber(out, row.Share, false);
                out.push_back(',');
                AppendNumber(out, row.Norm, true);
                out.push_back(',');
                AppendNumber(out, row.Z, true);
                out.push_back('\n');
            }
            break;
        case TOutputFormat::ofTable:
        case TOutputFormat::ofSvg: { // refused for sounds by the command line
            if (!first) out.push_back('\n');
            out += "Звуки: " + Visible(input) + " (" + (russian ? "русский" : "украинский") + ", звуков: " +
                   std::to_string(total) + ")\n\n";
            out += "звук      число     доля    норма        z\n";
            for (const auto& row : rows) {
                char line[96];
                std::snprintf(line, sizeof line, "%8lld %8.4f %8.4f %8.3f%s\n", static_cast<long long>(row.Count),
                              row.Share, double(row.Norm), double(row.Z), std::fabs(row.Z) >= 2 ? "  *" : "");
                out += row.Label + std::string(4 - std::min<std::size_t>(4, Columns(row.Label)), ' ') + line;
            }
            break;
        }
        }
        first = false;
        output.MaybeFlush();
        if (output.Failed) return 1;
    }
    return status;
}

} // namespace zelm
