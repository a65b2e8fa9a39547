#include "Formats.h"

#include "ru/Utils.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zelm {

namespace {

const char* SchemeName(TEvalScheme scheme) { return scheme == TEvalScheme::esLevitsky ? "levitsky" : "zhuravlev"; }

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (b < 0x20) {
            static constexpr char Hex[] = "0123456789abcdef";
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out.push_back(Hex[b >> 4]);
                out.push_back(Hex[b & 15]);
            }
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out.push_back('"');
    for (const char c : field) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendInteger(std::string& out, long long value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

// Display width of UTF-8 text: one column per character.
std::size_t Columns(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

void Pad(std::string& out, std::size_t count) { out.append(count, ' '); }

void AppendRepeated(std::string& out, std::string_view piece, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out += piece;
}

// 24-bit terminal colour of a 0x00BBGGRR value.
void AppendTerminalColour(std::string& out, std::uint32_t colour) {
    char text[32];
    std::snprintf(text, sizeof text, "\x1b[38;2;%u;%u;%um", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    out += text;
}

constexpr std::string_view Reset = "\x1b[0m";
constexpr std::uint32_t Red = 255, Blue = 16711680;
constexpr std::size_t BarWidth = 20, NameWidth = 15;

const char* ColourName(int colourClass) {
    static const char* const names[] = {"красный", "желтый", "зеленый", "синий", "фиолетовый", "бордовый"};
    return names[colourClass - 1];
}

const char* LanguageName(TLanguage language) { return language == TLanguage::lgRussian ? "русский" : "украинский"; }
const char* SchemeTitle(TEvalScheme scheme) {
    return scheme == TEvalScheme::esLevitsky ? "Алгоритм Левицкого" : "Алгоритм Журавлева";
}

void AppendBar(std::string& out, std::size_t length, bool significant, std::uint32_t colour, bool useColour) {
    if (length == 0) return;
    if (useColour && significant) AppendTerminalColour(out, colour);
    AppendRepeated(out, significant ? "█" : "░", length);
    if (useColour && significant) out += Reset;
}

} // namespace

void AppendNumber(std::string& out, double value, bool singlePrecision) {
    char text[64];
    const auto result = singlePrecision ? std::to_chars(text, text + sizeof text, static_cast<float>(value))
                                        : std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void AppendJson(std::string& out, const TEvaluation& e) {
    out += e.IsWord ? "{\"kind\":\"word\"" : "{\"kind\":\"text\"";
    out += e.Language == TLanguage::lgRussian ? ",\"lang\":\"ru\"" : ",\"lang\":\"uk\"";
    out += ",\"algo\":\"";
    out += SchemeName(e.Scheme);
    out += "\",\"input\":";
    AppendJsonString(out, e.Input);
    out += ",\"profile\":[";
    for (std::size_t k = 0; k < e.Profile.size(); ++k) {
        if (k) out.push_back(',');
        AppendNumber(out, e.Profile[k], e.SinglePrecision);
    }
    out += "],\"scales\":[";
    const auto& names = ScaleNamesOf(e.Language);
    for (std::size_t k = 0; k < names.size(); ++k) {
        out += k ? ",{\"left\":" : "{\"left\":";
        AppendJsonString(out, names[k].Left);
        out += ",\"right\":";
        AppendJsonString(out, names[k].Right);
        out.push_back('}');
    }
    out += "],\"comment\":";
    AppendJsonString(out, e.Comment);
    out += ",\"colours\":[";
    for (std::size_t k = 0; k < e.Colours.size(); ++k) {
        out += k ? ",{\"class\":" : "{\"class\":";
        AppendInteger(out, e.Colours[k].Class);
        out += ",\"colour\":";
        AppendInteger(out, e.Colours[k].Colour);
        out += ",\"measure\":";
        AppendNumber(out, e.Colours[k].Measure, false);
        out.push_back('}');
    }
    out.push_back(']');
    if (e.IsWord) {
        out += ",\"sounds\":[";
        for (std::size_t i = 0; i < e.Sounds.size(); ++i) {
            if (i) out.push_back(',');
            AppendInteger(out, e.Sounds[i]);
        }
        out.push_back(']');
    } else {
        out += ",\"counts\":[";
        for (std::size_t i = 0; i < e.Counts.size(); ++i) {
            if (i) out.push_back(',');
            AppendInteger(out, e.Counts[i]);
        }
        out += "],\"total\":";
        AppendInteger(out, e.Total);
    }
    out += "}\n";
}

void AppendCsvHeader(std::string& out, TLanguage language, std::string_view firstColumn) {
    out += firstColumn;
    for (const auto& names : ScaleNamesOf(language)) {
        out.push_back(',');
        AppendCsvField(out, names.Left + "/" + names.Right);
    }
    out += ",comment\n";
}

void AppendCsvRow(std::string& out, const TEvaluation& e) {
    AppendCsvField(out, e.Input);
    for (const double v : e.Profile) {
        out.push_back(',');
        AppendNumber(out, v, e.SinglePrecision);
    }
    out.push_back(',');
    AppendCsvField(out, e.Comment);
    out.push_back('\n');
}

void AppendTable(std::string& out, const TEvaluation& e, bool colour) {
    out += e.IsWord ? "Слово: " : "Текст: ";
    out += e.Input;
    out += " (";
    out += LanguageName(e.Language);
    out += ", ";
    out += SchemeTitle(e.Scheme);
    if (!e.IsWord) {
        out += ", звуков: ";
        AppendInteger(out, e.Total);
    }
    out += ")\n\n";
    const auto& names = ScaleNamesOf(e.Language);
    for (std::size_t row = 0; row < names.size(); ++row) {
        const double v = e.ChartValue(row);
        const bool significant = e.Significant(row);
        const auto length = std::size_t(RoundHalfEven(std::fabs(v) * double(BarWidth) / e.BarScale));
        out += names[row].Left;
        Pad(out, NameWidth + 1 - std::min(NameWidth, Columns(names[row].Left)));
        const std::size_t left = v > 0 ? std::min(length, BarWidth) : 0;
        Pad(out, BarWidth - left);
        AppendBar(out, left, significant, Red, colour);
        const std::string value = e.ValueText(row);
        Pad(out, 7 - std::min<std::size_t>(7, value.size()));
        out += value;
        out.push_back(' ');
        const std::size_t right = v <= 0 ? std::min(length, BarWidth) : 0;
        AppendBar(out, right, significant, Blue, colour);
        Pad(out, BarWidth - right + 1);
        out += names[row].Right;
        out.push_back('\n');
    }
    out += "\n";
    out += e.Comment;
    out += "\n\n";
    out += e.IsWord ? "Звуко-цветовая оценка слова:\n" : "Звуко-цветовая оценка текста:\n";
    for (const auto& c : e.Colours) {
        const char* name = ColourName(c.Class);
        out += "  ";
        out += name;
        Pad(out, 12 - Columns(name));
        char value[48];
        std::snprintf(value, sizeof value, "%8.4f", c.Measure);
        out += value;
        // A word's block is of 100, a text's of 20: both drawn on 20 characters.
        const auto blocks = std::size_t(e.IsWord ? RoundHalfEven(c.Blocks / 5.0) : c.Blocks);
        if (c.Shown && blocks > 0) {
            out += "  ";
            if (colour) AppendTerminalColour(out, c.Colour);
            AppendRepeated(out, "█", blocks);
            if (colour) out += Reset;
        }
        out.push_back('\n');
    }
}

void AppendCompactRow(std::string& out, const TEvaluation& e, bool colour) {
    out += e.Input;
    out += ":";
    const auto& names = ScaleNamesOf(e.Language);
    bool any = false;
    for (std::size_t row = 0; row < names.size(); ++row) {
        if (!e.Significant(row)) continue;
        const bool left = e.ChartValue(row) > 0;
        out += any ? ", " : " ";
        if (colour) AppendTerminalColour(out, left ? Red : Blue);
        out += left ? names[row].Left : names[row].Right;
        if (colour) out += Reset;
        std::string value = e.ValueText(row);
        value.erase(0, value.find_first_not_of(' '));
        out.push_back(' ');
        out += value;
        any = true;
    }
    if (!any) out += " —";
    out.push_back('\n');
}

} // namespace zelm
