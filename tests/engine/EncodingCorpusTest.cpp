// The encoding detector on real Russian and Ukrainian writing from Debian's dictionaries, fortunes
// and manual pages: every text that Windows-1251 can hold must be recognised as Windows-1251, and
// the same text in UTF-8 as UTF-8.
#include "Cp1251.h"
#include "EncodingDetector.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace zelm;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Gunzip(const fs::path& path) {
    std::string out;
    if (FILE* pipe = ::popen(("gzip -dc '" + path.string() + "'").c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// The Windows-1251 form of UTF-8 text, when the code page holds every character of it.
bool ToCp1251Exactly(const std::string& utf8, std::string& cp1251) {
    if (!IsValidUtf8(utf8)) return false;
    cp1251 = Utf8ToCp1251(utf8);
    return Cp1251ToUtf8(cp1251) == utf8;
}

std::size_t Letters(const std::string& utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

// The words of a hunspell dictionary (its first line is the count; flags follow a slash).
std::vector<std::string> DictionaryWords(const fs::path& path) {
    std::vector<std::string> words;
    std::istringstream in(Slurp(path));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const auto slash = line.find_first_of("/\t ");
        line = line.substr(0, slash);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) words.push_back(line);
    }
    return words;
}

struct TTally {
    std::size_t Checked = 0;
    std::vector<std::string> Wrong; // UTF-8 forms of the texts misread, the first few
    void Check(const std::string& bytes, const std::string& shown, bool wantUtf8) {
        ++Checked;
        const TDetectedEncoding got = DetectEncoding(bytes);
        const bool ok = got == TDetectedEncoding::deAscii ||
                        (wantUtf8 ? got == TDetectedEncoding::deUtf8 : got == TDetectedEncoding::deCp1251);
        if (!ok && Wrong.size() < 20) Wrong.push_back(shown.substr(0, 80));
        if (!ok && Wrong.size() >= 20) ++Overflow;
    }
    std::size_t Overflow = 0;
    std::string Report() const {
        std::string text = std::to_string(Wrong.size() + Overflow) + " of " + std::to_string(Checked) + " misread:";
        for (const auto& w : Wrong) text += " «" + w + "»";
        return text;
    }
};

// Windows-1251 capitals of the first `count` letters (all by default).
void UpperCase(std::string& text, std::size_t count = std::string::npos) {
    for (std::size_t i = 0; i < text.size() && i < count; ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0xE0) b = static_cast<unsigned char>(b - 0x20);
        else if (b == 0xB8) b = 0xA8;  // ё
        else if (b == 0xBA) b = 0xAA;  // є
        else if (b == 0xBF) b = 0xAF;  // ї
        else if (b == 0xB3) b = 0xB2;  // і
        else if (b == 0xB4) b = 0xA5;  // ґ
        text[i] = static_cast<char>(b);
    }
}

const fs::path Hunspell = "/usr/share/hunspell";

void NeedFile(const fs::path& path) {
    ASSERT_TRUE(fs::exists(path)) << path << " is missing: scripts/setup installs hunspell-ru, hunspell-uk, "
                                     "fortunes-ru and manpages-uk";
}

} // namespace

TEST(EncodingCorpus, EveryDictionaryWordAndWordList) {
    for (const char* name : {"ru_RU.dic", "uk_UA.dic"}) {
        NeedFile(Hunspell / name);
        const auto words = DictionaryWords(Hunspell / name);
        ASSERT_GT(words.size(), 10000u) << name;
        TTally cp, utf;
        std::string listCp, listUtf, shortCp, shortUtf;
        for (const auto& word : words) {
            std::string c;
            if (!ToCp1251Exactly(word, c)) continue;
            cp.Check(c, word, false);
            cp.Check(c + "\r\n", word, false);
            // Written in capitals, and with a capital first letter, as in headings and at the
            // start of a sentence.
            std::string upper = c, title = c;
            UpperCase(upper);
            UpperCase(title, 1);
            cp.Check(upper, Cp1251ToUtf8(upper), false);
            cp.Check(title, Cp1251ToUtf8(title), false);
            const std::size_t letters = Letters(word);
            if (letters >= 2) { // a single UTF-8 letter can be two Windows-1251 letters as well («и» = «Рё»)
                utf.Check(word, word, true);
                utf.Check(word + "\n", word, true);
                utf.Check(Cp1251ToUtf8(upper), Cp1251ToUtf8(upper), true);
                utf.Check(Cp1251ToUtf8(title), Cp1251ToUtf8(title), true);
            }
            listCp += c + "\r\n";
            listUtf += word + "\n";
            if (letters == 2 || letters == 3) {
                shortCp += c + "\r\n";
                shortUtf += word + "\n";
            }
        }
        EXPECT_TRUE(cp.Wrong.empty()) << name << " in Windows-1251: " << cp.Report();
        EXPECT_TRUE(utf.Wrong.empty()) << name << " in UTF-8: " << utf.Report();
        EXPECT_EQ(DetectEncoding(listCp), TDetectedEncoding::deCp1251) << name;
        EXPECT_EQ(DetectEncoding(listUtf), TDetectedEncoding::deUtf8) << name;
        EXPECT_EQ(DetectEncoding(shortCp), TDetectedEncoding::deCp1251) << name;
        EXPECT_EQ(DetectEncoding(shortUtf), TDetectedEncoding::deUtf8) << name;
    }
}

TEST(EncodingCorpus, FortunesAndManualPages) {
    std::vector<std::string> texts;
    const fs::path fortunes = "/usr/share/games/fortunes/ru";
    NeedFile(fortunes);
    for (const auto& entry : fs::directory_iterator(fortunes)) {
        if (entry.path().extension() != ".u8") continue;
        const std::string file = Slurp(entry.path());
        texts.push_back(file);
        std::size_t at = 0;
        while (at < file.size()) { // one text per fortune
            std::size_t end = file.find("\n%\n", at);
            if (end == std::string::npos) end = file.size();
            texts.push_back(file.substr(at, end - at));
            at = end + 3;
        }
    }
    const fs::path manuals = "/usr/share/man/uk";
    NeedFile(manuals);
    for (const auto& entry : fs::recursive_directory_iterator(manuals))
        if (entry.is_regular_file() && entry.path().extension() == ".gz") texts.push_back(Gunzip(entry.path()));
    ASSERT_GT(texts.size(), 1000u);
    TTally cp, utf;
    for (const auto& text : texts) {
        std::string c;
        if (!ToCp1251Exactly(text, c)) continue;
        cp.Check(c, text, false);
        if (Letters(text) >= 2) utf.Check(text, text, true);
    }
    EXPECT_GT(cp.Checked, 1000u);
    EXPECT_TRUE(cp.Wrong.empty()) << "in Windows-1251: " << cp.Report();
    EXPECT_TRUE(utf.Wrong.empty()) << "in UTF-8: " << utf.Report();
}
