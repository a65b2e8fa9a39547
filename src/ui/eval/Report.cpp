#include "Report.h"
#include "Version.h"

#include "Engines.h"
#include "ru/UComment.h"
#include "ru/Utils.h"
#include "uk/UUkrComment.h"

#include <algorithm>
#include <cmath>

namespace zelm {

const QString MakerAddress = QStringLiteral("ЗЕЛМ " ZELM_VERSION);

namespace {

IReportHost* Host = nullptr;
constexpr int ReportWidth = 160; // millimetres: the report's table and header

bool IsWord(TReportKind kind) { return kind == TReportKind::rkRussianWord || kind == TReportKind::rkUkrainianWord; }
bool IsRussian(TReportKind kind) { return kind == TReportKind::rkRussianWord || kind == TReportKind::rkRussianText; }

int Round(double value) { return int(RoundHalfEven(value)); }

// Text reports: classes whose z passes 0.999 get min(z, 3) / 3 of 20 mm.
void SetTextColours(TReportData& data, const std::function<std::pair<double, std::uint32_t>(int)>& colourZ) {
    for (int i = 0; i < 6; ++i) {
        const auto [z, colour] = colourZ(i + 1);
        data.Colours[std::size_t(i)] = {z, colour};
        data.Qualifies[std::size_t(i)] = z > 0.999;
        data.SegmentWidth[std::size_t(i)] = Round(std::min(z, 3.0) / 3 * 20);
    }
}

} // namespace

TReportData RussianWordReport(const QString& wordBoxText, const std::string& windowWord, const TWordEvaluator& word,
                              bool levitsky, const QString& comment) {
    TReportData data;
    data.Kind = TReportKind::rkRussianWord;
    data.Subject = wordBoxText;
    data.Levitsky = levitsky;
    data.Values.assign(word.WordProfile.begin(), word.WordProfile.end());
    data.Comment = comment.split(QLatin1Char('\n'));
    for (int i = 0; i < 6; ++i) {
        const auto share = WordColourShare(windowWord, i + 1);
        data.Colours[std::size_t(i)] = {share.Count / share.Denominator, share.Colour};
        data.Qualifies[std::size_t(i)] = share.Count > 0;
        data.SegmentWidth[std::size_t(i)] = Round(share.Count / share.Denominator * 100);
    }
    return data;
}

TReportData RussianTextReport(const QString& documentName, const TTextEvaluator& text, double scale, bool levitsky,
                              const QString& comment) {
    TReportData data;
    data.Kind = TReportKind::rkRussianText;
    data.Subject = documentName;
    data.Levitsky = levitsky;
    data.Values.assign(text.TextProfile.begin(), text.TextProfile.end());
    data.Scale = scale;
    data.Comment = comment.split(QLatin1Char('\n'));
    SetTextColours(data, [&](int k) {
        const auto colour = TextColourZ(text, k);
        return std::pair{colour.Z, colour.Colour};
    });
    return data;
}

TReportData UkrainianWordReport(const QString& windowWord, const TUkrWordEvaluator& word, bool levitsky,
                                const QString& comment) {
    TReportData data;
    data.Kind = TReportKind::rkUkrainianWord;
    data.Subject = windowWord;
    data.Levitsky = levitsky;
    for (const double v : word.UkrWordProfile) data.Values.push_back(v * 100);
    data.Comment = comment.split(QLatin1Char('\n'));
    for (int i = 0; i < 6; ++i) {
        const auto share = word.UkrWordColourShare(i + 1);
        data.Colours[std::size_t(i)] = {share.Share, share.Colour};
        data.Qualifies[std::size_t(i)] = share.Share > 0;
        data.SegmentWidth[std::size_t(i)] = Round(share.Share * 100);
    }
    return data;
}

TReportData UkrainianTextReport(const QString& documentName, const TUkrTextEvaluator& text, bool levitsky,
                                const QString& comment) {
    TReportData data;
    data.Kind = TReportKind::rkUkrainianText;
    data.Subject = documentName;
    data.Levitsky = levitsky;
    data.Values.assign(text.UkrTextProfile.begin(), text.UkrTextProfile.end());
    data.Scale = text.UkrTextProfileScale;
    data.Comment = comment.split(QLatin1Char('\n'));
    SetTextColours(data, [&](int k) {
        const auto colour = text.UkrTextColourZ(k);
        return std::pair{colour.Z, colour.Colour};
    });
    return data;
}

void PrintEvaluationReport(TLinePrinter& lp, const TReportData& data) {
    const bool word = IsWord(data.Kind), russian = IsRussian(data.Kind);
    // The report is laid out 160 mm wide; narrower paper gets it scaled as a whole, widths and
    // type alike, down to half its size. Narrower than that is said before any job begins.
    float width = 0, height = 0;
    lp.HasRoomForText(width, height);
    const double fit = width > ReportWidth - 1 ? 1.0 : double(width) / ReportWidth; // a pixel short of it is A4
    if (fit < 0.5)
        throw ELinePrinter(QStringLiteral("Отчёт не помещается на бумаге: ширина строки %1 мм, а отчёту нужно не меньше %2 мм. "
                                          "Выберите бумагу шире, альбомную ориентацию или поля меньше.")
                               .arg(Round(width))
                               .arg(ReportWidth / 2)
                               .toStdString());
    const auto scaled = [fit](int mm) { return int(std::floor(mm * fit)); };
    struct TFontRestorer { // the document's font is the user's: the report's scaling is undone after it
        TLinePrinter& Lp;
        double Size;
        ~TFontRestorer() { Lp.Font().SizePoints = Size; }
    } restorer{lp, lp.Font().SizePoints};
    lp.Font().SizePoints *= fit;
    lp.Lines = data.Comment;
    lp.PageBorders = BorderBit(pbTop);
    lp.TableFormat = QStringLiteral("<T0:%1|^T0:%2|>T0:%1").arg(scaled(55)).arg(scaled(50));
    lp.Header = MakerAddress + QStringLiteral("|Проект ЗЕЛМ|") + MakerAddress;
    const TPrintJobGuard guard(lp);
    lp.BeginDoc();
    lp.PrintLine(word ? QStringLiteral("ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА СЛОВА") : QStringLiteral("ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА ТЕКСТА"));
    lp.PrintLine({});
    const QString language = russian ? QStringLiteral("Русский") : QStringLiteral("Украинский");
    lp.PrintLine((word ? QStringLiteral("Язык  : ") : QStringLiteral("Язык : ")) + language);
    if (word) {
        QString line = QStringLiteral("Слово : ") + data.Subject;
        if (!russian) line.truncate(58);
        lp.PrintLine(line);
    } else {
        lp.PrintLine(QStringLiteral("Файл : ") + data.Subject);
    }
    lp.PrintLine(data.Levitsky ? QStringLiteral("Алгоритм В.В.Левицкого") : QStringLiteral("Алгоритм А.П.Журавлева"));
    lp.PrintLine({});

    // Column widths from samples measured in bold: names, bars, number, bars, names.
    lp.Font().Bold = true;
    const QString numberSample = word ? QStringLiteral("-99 ") : QStringLiteral("-999,9");
    const QString nameSample =
        data.Kind == TReportKind::rkUkrainianWord ? QStringLiteral("Неприятный ") : QStringLiteral("величественный ");
    const int n = Round(lp.TextWidthInUnits(numberSample));
    const int p = Round(lp.TextWidthInUnits(nameSample));
    const int b = std::max(0, (scaled(ReportWidth) - n - 2 * p) / 2); // a font too wide for the page leaves no bars
    const double threshold = data.Kind == TReportKind::rkRussianWord     ? WordThreshold
                             : data.Kind == TReportKind::rkUkrainianWord ? UkrWordThreshold
                                                                         : TextThreshold;
    const QString names = QString::number(p), bars = QString::number(b), number = QString::number(n);
    for (std::size_t i = 0; i < data.Values.size(); ++i) {
        const double v = data.Values[i];
        const bool marked = v > threshold || v < -threshold;
        lp.Font().Bold = marked;
        const QString plus = marked ? QStringLiteral("255") : QStringLiteral("8421504");
        const QString minus = marked ? QStringLiteral("16711680") : QStringLiteral("8421504");
        lp.TableFormat = QStringLiteral("<T0:") + names + QStringLiteral("|>G") + plus + QLatin1Char(':') + bars +
                         QStringLiteral("|>T0:") + number + QStringLiteral("|<G") + minus + QLatin1Char(':') + bars +
                         QStringLiteral("|>T0:") + names;
        const double magnitude = std::fabs(v);
        int bar = 0;
        QString text;
        switch (data.Kind) {
        case TReportKind::rkRussianWord:
            bar = Round(magnitude * 100);
            text = QString::number(Round(v * 100));
            break;
        case TReportKind::rkUkrainianWord:
            bar = Round(magnitude);
            text = QString::number(Round(v));
            break;
        default:
            bar = Round(magnitude / data.Scale * 100);
            text = QString::fromStdString(FormatWithComma(v, 3, 1));
            break;
        }
        const int scale = int(i + 1);
        const QString& left = russian ? RussianLeftName(scale) : UkrainianLeftName(scale);
        const QString& right = russian ? RussianRightName(scale) : UkrainianRightName(scale);
        const QString a = QString::number(bar);
        lp.PrintTableRow(v > 0 ? left + QLatin1Char('|') + a + QLatin1Char('|') + text + QStringLiteral("|0|") + right
                               : left + QStringLiteral("|0|") + text + QLatin1Char('|') + a + QLatin1Char('|') + right);
    }
    lp.PrintLine({});
    lp.PrintLine({});
    lp.Font().Bold = false;
    lp.PrintLines();
    lp.PrintLine({});
    lp.PrintLine(word ? QStringLiteral("Звуко-цветовая оценка слова") : QStringLiteral("Звуко-цветовая оценка текста"));
    lp.PrintLine({});
    QString specs, cells;
    for (std::size_t i = 0; i < 6; ++i) {
        if (!data.Qualifies[i]) continue;
        if (!specs.isEmpty()) {
            specs += QLatin1Char('|');
            cells += QLatin1Char('|');
        }
        specs += QStringLiteral("<G") + QString::number(data.Colours[i].second) + QLatin1Char(':') +
                 QString::number(scaled(data.SegmentWidth[i]));
        cells += QStringLiteral("100");
    }
    lp.TableFormat = specs;
    lp.PrintTableRow(cells);
    lp.EndDoc();
}

void SetReportHost(IReportHost* host) { Host = host; }
IReportHost* ReportHost() { return Host; }

bool PrintReportThroughHost(const TReportData& data) {
    if (!Host) return false;
    TLinePrinter& printer = Host->ReportPrinter();
    if (!Host->EditPrintSettings(printer)) return false;
    PrintEvaluationReport(printer, data);
    return true;
}

} // namespace zelm
