// Runs the real zelm-cli and checks what it prints and how it exits.
#include "Cp1251.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir_ = fs::temp_directory_path() / ("zelm-cli-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir_);
    }
    void TearDown() override { fs::remove_all(Dir_); }

    std::string File(const std::string& name, const std::string& bytes) {
        const fs::path path = Dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs zelm-cli with shell-quoted arguments, feeding `input` to its standard input.
    TRun Run(const std::string& arguments, const std::string& input = "") {
        const std::string in = File("stdin", input);
        const std::string command = std::string("NO_COLOR=1 '") + ZELM_CLI + "' " + arguments + " <'" + in +
                                    "' >'" + (Dir_ / "out").string() + "' 2>'" + (Dir_ / "err").string() + "'";
        TRun run;
        const int raw = std::system(command.c_str());
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Out = Slurp(Dir_ / "out");
        run.Err = Slurp(Dir_ / "err");
        return run;
    }

    fs::path Dir_;
};

std::string Lines(const std::string& text, std::size_t from, std::size_t count) {
    std::istringstream in(text);
    std::string line, out;
    for (std::size_t i = 0; std::getline(in, line); ++i)
        if (i >= from && i < from + count) out += line + "\n";
    return out;
}

// A CSV line without its first field.
std::string AfterFirstField(const std::string& line) { return line.substr(line.find(',') + 1); }

} // namespace

TEST_F(CliTest, WordTableShowsTheChartCommentAndColours) {
    const auto run = Run("word 'мо*ре'");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out, 0, 3), "Слово: мо*ре (русский, Алгоритм Журавлева)\n\n"
                                    "Хороший                      ███████    34%                      Плохой\n");
    EXPECT_NE(run.Out.find("красивый                                -6% ░                    отталкивающий\n"),
              std::string::npos);
    EXPECT_NE(run.Out.find("\nСлово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО\n"), std::string::npos);
    EXPECT_NE(run.Out.find("  желтый        0.3333  ███████\n"), std::string::npos);
}

TEST_F(CliTest, WordJsonHasEveryKeyInOrder) {
    const auto run = Run("word --format json кот");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string& out = run.Out;
    std::size_t at = 0;
    for (const char* key : {"\"kind\":\"word\"", "\"lang\":\"ru\"", "\"algo\":\"zhuravlev\"", "\"input\":\"кот\"",
                            "\"profile\":[0.0627717391", "\"scales\":[{\"left\":\"Хороший\",\"right\":\"Плохой\"}",
                            "\"comment\":\"Слово КОТ ", "\"colours\":[{\"class\":1,\"colour\":255,\"measure\":0}",
                            "{\"class\":2,\"colour\":65535,\"measure\":0.3333333333333333}", "\"sounds\":[10,14,18]}"}) {
        const auto found = out.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in " << out;
        at = found;
    }
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

TEST_F(CliTest, ValuesRoundTripToTheEngineValues) {
    const auto run = Run("word --format csv --algo levitsky кот");
    ASSERT_EQ(run.Status, 0);
    const std::string row = Lines(run.Out, 1, 1);
    EXPECT_TRUE(row.starts_with("кот,0.1864333333333333,")) << row;
    // Single-precision text values print with the digits that read back as the same float.
    const auto text = Run("text --format json", "Мама мыла раму.");
    EXPECT_NE(text.Out.find("\"profile\":[5.230259,"), std::string::npos) << text.Out;
    EXPECT_NE(text.Out.find("\"total\":12}"), std::string::npos);
}

TEST_F(CliTest, UkrainianWordsAndTexts) {
    const auto word = Run("word --lang uk --format json 'мо*ва'");
    ASSERT_EQ(word.Status, 0) << word.Err;
    EXPECT_NE(word.Out.find("\"lang\":\"uk\""), std::string::npos);
    EXPECT_NE(word.Out.find("\"profile\":[0.236035"), std::string::npos) << word.Out;
    EXPECT_NE(word.Out.find("\"sounds\":[31,54,12,0]"), std::string::npos);
    EXPECT_NE(word.Out.find("\"measure\":0.46938775510204084"), std::string::npos);

    const auto text = Run("text --lang uk --algo levitsky --format json", "мама");
    EXPECT_NE(text.Out.find("\"profile\":[30.68"), std::string::npos) << text.Out;
    const auto counts = text.Out.substr(text.Out.find("\"counts\":["));
    EXPECT_EQ(std::count(counts.begin(), counts.begin() + long(counts.find(']')), ','), 49); // 50 codes
    EXPECT_NE(text.Out.find("\"total\":4}"), std::string::npos);

    const auto table = Run("word --lang uk міст");
    EXPECT_NE(table.Out.find("Слово МІСТ "), std::string::npos);
}

TEST_F(CliTest, EncodingsOfFilesAndWordsGiveTheSameResults) {
    const std::string utf8 = "Мама мыла раму.\nКот ел щи, ёлка — зелёная.\n";
    const std::string cp1251 = zelm::Utf8ToCp1251(utf8);
    const auto a = Run("text --format csv '" + File("utf8.txt", utf8) + "'");
    const auto b = Run("text --format csv '" + File("cp.txt", cp1251) + "'");
    const auto c = Run("text --format csv --encoding cp1251 -", cp1251);
    const auto d = Run("text --format csv -", "\xEF\xBB\xBF" + utf8); // standard input, with a BOM
    ASSERT_EQ(a.Status, 0);
    EXPECT_EQ(AfterFirstField(Lines(a.Out, 1, 1)), AfterFirstField(Lines(b.Out, 1, 1)));
    EXPECT_EQ(Lines(c.Out, 1, 1), Lines(d.Out, 1, 1));
    EXPECT_EQ(AfterFirstField(Lines(c.Out, 1, 1)), AfterFirstField(Lines(b.Out, 1, 1)));

    const auto word = Run("word --format csv --encoding cp1251 '" + zelm::Utf8ToCp1251("мо*ре") + "'");
    EXPECT_EQ(Lines(word.Out, 1, 1), Lines(Run("word --format csv 'мо*ре'").Out, 1, 1));
    // A combining acute accent is the stress mark.
    EXPECT_EQ(AfterFirstField(Lines(Run("word --format csv 'мо\xCC\x81ре'").Out, 1, 1)),
              AfterFirstField(Lines(Run("word --format csv 'мо*ре'").Out, 1, 1)));
}

TEST_F(CliTest, LargeFilesAreStreamedWithTheSameCountsAsSmallOnes) {
    // Over three read pieces, with two-byte letters cut at every piece boundary somewhere.
    std::string small = "съешь же ещё этих мягких французских булок, да выпей чаю. ";
    std::string big;
    while (big.size() < 3 * (1u << 20) + 7) big += small;
    const auto bigRun = Run("text --format json '" + File("big.txt", big) + "'");
    const auto piped = Run("text --format json", big);
    ASSERT_EQ(bigRun.Status, 0) << bigRun.Err;
    const auto countsOf = [](const std::string& out) { return out.substr(out.find("\"counts\"")); };
    EXPECT_EQ(countsOf(bigRun.Out), countsOf(piped.Out));
    EXPECT_EQ(countsOf(bigRun.Out), countsOf(Run("text --format json --encoding cp1251 '" +
                                                 File("big1251.txt", zelm::Utf8ToCp1251(big)) + "'")
                                                 .Out));
}

TEST_F(CliTest, BatchSkipsEmptyLinesAndTrimsEveryLine) {
    const auto run = Run("batch --format csv", "мо*ре\r\n\n   \t\nкот,\"x\"  \r\nlast");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 4);
    EXPECT_TRUE(Lines(run.Out, 0, 1).starts_with("word,Хороший/Плохой,красивый/отталкивающий,"));
    EXPECT_TRUE(Lines(run.Out, 0, 1).ends_with(",радостный/печальный,comment\n"));
    EXPECT_TRUE(Lines(run.Out, 1, 1).starts_with("мо*ре,0.3375758341759353,"));
    EXPECT_TRUE(Lines(run.Out, 2, 1).starts_with("\"кот,\"\"x\"\"\",0.06277"));
    EXPECT_EQ(Lines(run.Out, 3, 1), "last,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,Слово last не обладает "
                                    "выраженными фоносемантическими характеристиками\n");

    const auto table = Run("batch", "мо*ре\nxyz\n");
    EXPECT_EQ(table.Out, "мо*ре: Хороший 34%, могучий 41%\nxyz: —\n");
    const auto json = Run("batch --format json --lang uk", "мо*ва\nмама\n");
    EXPECT_EQ(std::count(json.Out.begin(), json.Out.end(), '\n'), 2);
    EXPECT_EQ(json.Out.find("\"input\":\"мо*ва\""), json.Out.find("\"input\""));
}

TEST_F(CliTest, LongWordListsKeepTheirOrder) {
    // Enough lines for several rounds of blocks evaluated side by side, each line its own word.
    const char* words[] = {"мо*ре", "кот", "мама", "xyz", "щи"};
    std::string list, expected;
    for (int i = 0; i < 40000; ++i) {
        const std::string word = std::string(words[i % 5]) + std::to_string(i);
        list += word + (i % 3 == 0 ? "\r\n" : "\n");
        if (i % 1000 == 0) list += "\n   \n";
        expected += word + "\n";
    }
    const auto run = Run("batch --format csv '" + File("list.txt", list) + "'");
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::istringstream rows(run.Out);
    std::string row, firstFields;
    std::getline(rows, row); // header
    while (std::getline(rows, row)) firstFields += row.substr(0, row.find(',')) + "\n";
    EXPECT_EQ(firstFields, expected);
}

TEST_F(CliTest, UnreadableInputsAreReportedAndTheOthersStillProcessed) {
    const std::string good = File("good.txt", "кот");
    const auto run = Run("text --format csv /no/such/file '" + good + "' '" + Dir_.string() + "'");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("cannot read '/no/such/file': No such file or directory"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("Is a directory"), std::string::npos) << run.Err;
    EXPECT_EQ(std::count(run.Out.begin(), run.Out.end(), '\n'), 2); // header and the good file

    EXPECT_EQ(Run("batch /no/such/list").Status, 1);
}

TEST_F(CliTest, BadInputNeverBreaksIt) {
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
    const auto run = Run("text --format json", binary);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("\"total\":"), std::string::npos);
    const auto invalid = Run("word --format json --encoding utf-8 \"$(printf '\\377\\376')\"");
    EXPECT_EQ(invalid.Status, 0);
    EXPECT_NE(invalid.Out.find("\"input\":\"??\""), std::string::npos) << invalid.Out;
    EXPECT_EQ(Run("text --lang uk --format json", "").Status, 0);
    EXPECT_EQ(Run("word -- -то").Status, 0);
}

TEST_F(CliTest, PrintsATextFileIntoAPdf) {
    std::string text = "Первая строка документа\r\n\tс табуляцией\r\n";
    for (int i = 0; i < 120; ++i) text += "строка " + std::to_string(i) + "\r\n";
    const std::string pdf = (Dir_ / "out.pdf").string();
    const auto run = Run("print '" + File("doc.txt", zelm::Utf8ToCp1251(text)) + "' --pdf '" + pdf + "'");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Err.empty()) << run.Err;
    const std::string textFile = (Dir_ / "out.txt").string();
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + textFile + "'").c_str()), 0);
    const std::string printed = Slurp(textFile);
    EXPECT_NE(printed.find("Первая строка документа"), std::string::npos) << printed.substr(0, 300);
    EXPECT_NE(printed.find("        с табуляцией"), std::string::npos);
    EXPECT_NE(printed.find("строка 119"), std::string::npos);
    EXPECT_NE(printed.find("\f"), std::string::npos); // more than one page

    const auto bad = Run("print '" + File("doc2.txt", "x") + "' --pdf /no/such/folder/out.pdf");
    EXPECT_EQ(bad.Status, 1);
    EXPECT_NE(bad.Err.find("cannot print to '/no/such/folder/out.pdf'"), std::string::npos) << bad.Err;
    EXPECT_EQ(Run("print --pdf x.pdf").Status, 2);
    EXPECT_EQ(Run("print '" + File("doc3.txt", "x") + "'").Status, 2);
    EXPECT_EQ(Run("print /no/such/file --pdf '" + pdf + "'").Status, 1);
}

TEST_F(CliTest, ReportsIntoPdfs) {
    const auto pdfText = [&](const std::string& arguments, const char* name) {
        const std::string pdf = (Dir_ / name).string();
        const auto run = Run(arguments + " --pdf '" + pdf + "'");
        EXPECT_EQ(run.Status, 0) << run.Err;
        const std::string text = (Dir_ / (std::string(name) + ".txt")).string();
        EXPECT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + text + "'").c_str()), 0);
        return Slurp(text);
    };
    const std::string word = pdfText("report --word 'мо*ре'", "word.pdf");
    for (const char* line : {"Проект ЗЕЛМ", "ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА СЛОВА", "Русский", "Слово : мо*ре",
                             "Алгоритм А.П.Журавлева", "Хороший", "34", "Плохой", "ХОРОШЕГО", "Звуко-цветовая оценка слова"})
        EXPECT_NE(word.find(line), std::string::npos) << line;

    const std::string text = pdfText("report --lang uk --algo levitsky --text '" + File("uk.txt", "мама") + "'", "text.pdf");
    for (const char* line : {"ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА ТЕКСТА", "Язык : Украинский", "Алгоритм В.В.Левицкого", "30,7",
                             "-19,0", "Твердый", "Звуко-цветовая оценка текста"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    EXPECT_EQ(Run("report --word кот").Status, 2);                            // no --pdf
    EXPECT_EQ(Run("report --word кот --text x.txt --pdf x.pdf").Status, 2);  // both
    EXPECT_EQ(Run("report --text /no/such/file --pdf '" + (Dir_ / "x.pdf").string() + "'").Status, 1);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    for (const char* arguments : {"", "frobnicate", "word", "word --lang de кот", "word --algo", "text --format xml",
                                  "batch a b", "word --colour кот"}) {
        const auto run = Run(arguments);
        EXPECT_EQ(run.Status, 2) << arguments;
        EXPECT_NE(run.Err.find("Usage:"), std::string::npos) << arguments;
        EXPECT_TRUE(run.Out.empty()) << arguments;
    }
    const auto help = Run("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("zelm-cli word"), std::string::npos);
    EXPECT_EQ(Run("--version").Out, "zelm-cli 0.1.0\n");
}
