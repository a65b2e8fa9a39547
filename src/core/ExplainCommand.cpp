#include "ExplainCommand.h"

#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"
#include "Sounds.h"
#include "TextCount.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace zelm {

namespace {

// A contribution as the chart shows values: a Russian word's in percent, a Ukrainian word's times
// 100, a text's as it is; with a sign, and a digit more when it would round to nothing.
std::string Shown(const TEvaluation& e, double value) {
    const double v = e.IsWord ? value * 100 : value;
    const bool percent = e.IsWord && e.Language == TLanguage::lgRussian;
    const int digits = (percent ? 0 : 1) + (std::fabs(v) < (percent ? 0.5 : 0.05) && v != 0 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%+.*f%s", digits, v, percent ? "%" : "");
    return text;
}

std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

class TExplainPrinter {
public:
    TExplainPrinter(const TCliOptions& options, TOutput& output) : Options_(options), Output_(output) {
        if (options.Format != TOutputFormat::ofCsv) return;
        std::string& out = output.Buffer;
        out += "input,sound,code,position,weight,count,expected,z";
        for (const TScaleNames& names : ScaleNamesOf(options.Language)) {
            out.push_back(',');
            AppendCsvField(out, names.Left + "/" + names.Right);
        }
        out.push_back('\n');
    }

    void Print(const TEvaluation& e, const TExplanation& x) {
        switch (Options_.Format) {
        case TOutputFormat::ofJson: AppendExplanationJson(Output_.Buffer, e, x); break;
        case TOutputFormat::ofCsv: Csv(e, x); break;
        default: Table(e, x); break;
        }
        ++Count_;
        Output_.MaybeFlush();
    }

private:
    std::string Label(const TEvaluation& e, const TExplainTerm& term) const {
        // A word's Levitsky counts of a Ukrainian vowel are kept under its unstressed code.
        return SoundLabel(e.Language, e.IsWord, term.Code);
    }


    void Csv(const TEvaluation& e, const TExplanation& x) {
        std::string& out = Output_.Buffer;
        const bool zhuravlevWord = e.IsWord && e.Scheme == TEvalScheme::esZhuravlev;
        for (const TExplainTerm& term : x.Terms) {
            AppendCsvField(out, e.Input);
            out.push_back(',');
            AppendCsvField(out, Label(e, term));
            out += "," + std::to_string(term.Code) + ",";
            if (zhuravlevWord) {
                out += std::to_string(term.Position) + ",";
                AppendNumber(out, term.Weight, false);
                out += ",,,";
            } else {
                out += ",,";
                AppendNumber(out, term.Count, false);
                out.push_back(',');
                AppendNumber(out, term.Expected, false);
                out.push_back(',');
                if (!e.IsWord) AppendNumber(out, term.Z, true);
            }
            for (const double c : term.Contributions) {
                out.push_back(',');
                AppendNumber(out, c, false);
            }
            out.push_back('\n');
        }
    }

    // Per scale, its value and the terms that make up 90 % of the absolute sum, largest first;
    // the rest as one entry.
    void Table(const TEvaluation& e, const TExplanation& x) {
        std::string& out = Output_.Buffer;
        if (Count_ > 0) out.push_back('\n');
        out += e.IsWord ? "Слово: " : "Текст: ";
        AppendVisible(out, e.Input);
        out += e.Language == TLanguage::lgRussian ? " (русский, " : " (украинский, ";
        out += e.Scheme == TEvalScheme::esLevitsky ? "Алгоритм Левицкого)\n" : "Алгоритм Журавлева)\n";
        const auto& names = ScaleNamesOf(e.Language);
        std::size_t width = 0;
        for (const TScaleNames& n : names) width = std::max(width, Columns(n.Left) + Columns(n.Right) + 3);
        for (std::size_t row = 0; row < names.size(); ++row) {
            if (Options_.Scale && *Options_.Scale != row) continue;
            const std::string poles = names[row].Left + " / " + names[row].Right;
            out += poles;
            out.append(width + 1 - Columns(poles), ' ');
            const std::string value = Trimmed(e.ValueText(row));
            out.append(value.size() < 6 ? 6 - value.size() : 0, ' ');
            out += value + ":";
            std::vector<std::size_t> order(x.Terms.size());
            std::iota(order.begin(), order.end(), std::size_t(0));
            const auto size = [&](std::size_t i) { return std::fabs(x.Terms[i].Contributions[row]); };
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return size(a) > size(b); });
            double total = 0;
            for (const std::size_t i : order) total += size(i);
            double shown = 0, rest = 0;
            bool restAny = false;
            for (const std::size_t i : order) {
                if (size(i) == 0) break;
                if (shown < 0.9 * total) {
                    out += "  " + Label(e, x.Terms[i]) + " " + Shown(e, x.Terms[i].Contributions[row]);
                    shown += size(i);
                } else {
                    rest += x.Terms[i].Contributions[row];
                    restAny = true;
                }
            }
            if (restAny) out += "  прочие " + Shown(e, rest);
            if (std::find(x.Clamped.begin(), x.Clamped.end(), int(row + 1)) != x.Clamped.end())
                out += "  (сумма " + Shown(e, x.Sum(int(row + 1))) + " ограничена до ±1)";
            out.push_back('\n');
        }
    }

    const TCliOptions& Options_;
    TOutput& Output_;
    std::size_t Count_ = 0;
};

} // namespace

int RunExplain(const TCliOptions& options, TOutput& output) {
    TExplainPrinter printer(options, output);
    TEvaluation result;
    if (options.ReportText.empty()) {
        TEvaluator evaluator(options.Language, options.Scheme);
        for (const std::string& arg : options.Arguments) {
            evaluator.EvaluateWord(ArgumentWord(arg, options.Encoding), AsUtf8(arg, options.Encoding), result);
            printer.Print(result, evaluator.ExplainLast(true));
            if (output.Failed) return 1;
        }
        return 0;
    }
    // A text, counted as the text command counts it.
    int status = 0;
    auto file = OpenOrComplain(options.ReportText, status);
    if (!file) return status;
    TTextCount count(options);
    if (!count.Evaluate(*file, options.ReportText, result)) return 1;
    TEvaluator& chosen = count.Chosen();
    printer.Print(result, chosen.ExplainLast(false));
    return output.Failed ? 1 : 0;
}

} // namespace zelm
