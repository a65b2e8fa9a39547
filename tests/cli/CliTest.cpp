// Runs the real zelm-cli and checks what it prints and how it exits.
#include "cli/CliRun.h"
#include "ru/UTextEvl.h"
#include "uk/UUkrTextEvl.h"

#include <cmath>
#include <filesystem>
#include <tuple>

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

// A file counted on many threads, cut after line ends, gives what one pass gives, byte for byte.
TEST_F(CliTest, TextsCountedInPiecesGiveTheBytesOfOnePass) {
    std::vector<std::string> texts = {
        "Мама мыла раму.\r\nЁлка — ёж.\r\n\r\nконец", zelm::Utf8ToCp1251("Мама мыла раму.\nЁлка — ёж.\n"),
        "Привіт, світе!\nҐанок і їжак\n", "один\rдва\rтри\n", "\n\n\nслово\n", "Сі\nРё\nда\n",
        "abc\xff\xfe\nмир\n", "\xEF\xBB\xBFмир\nмо\xCC\x81ре\n"};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZELM_FUZZ_CORPUS "/text"))
        if (entry.is_regular_file()) texts.push_back(Slurp(entry.path()));
    std::string lines;
    for (int i = 0; i < 400; ++i) lines += std::string(std::size_t(i % 37), 'a') + (i % 3 ? " сло" : " wo") + "во\n";
    texts.push_back(lines);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string path = File("text" + std::to_string(i), texts[i]);
        for (const char* options : {"", "--lang uk --algo levitsky", "--encoding cp1251", "--encoding utf-8"}) {
            const std::string args = std::string("text --format json ") + options + " '" + path + "'";
            const auto one = Run(args + " --jobs 1"), many = Run(args + " --jobs 7", "", "ZELM_TEXT_PARALLEL_FROM=1");
            EXPECT_EQ(one.Status, 0) << one.Err;
            EXPECT_EQ(one.Out, many.Out) << "text " << i << " " << options;
        }
    }
    EXPECT_EQ(Run("text --jobs 0 x").Status, 2);
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

TEST_F(CliTest, PipesNeedNoTemporaryFilesAndGiveTheResultsOfFiles) {
    // Any write into an unlinked temporary file fails: nothing may depend on one.
    const std::string faults = Faults("write", "*(deleted)*");
    std::string text;
    while (text.size() < 3 * (1u << 20)) text += "Съешь же ещё этих мягких французских булок, да выпей чаю. ";
    for (const std::string& bytes : {text, zelm::Utf8ToCp1251(text), std::string("\xD0\xB8"), std::string("")}) {
        const auto piped = Run("text --format json", bytes, faults);
        const auto file = Run("text --format json '" + File("t.txt", bytes) + "'");
        ASSERT_EQ(piped.Status, 0) << piped.Err;
        ASSERT_EQ(file.Status, 0) << file.Err;
        EXPECT_EQ(piped.Out.substr(piped.Out.find("\"profile\"")), file.Out.substr(file.Out.find("\"profile\"")));
        const auto batch = Run("batch --format csv", bytes.substr(0, 100000), faults);
        EXPECT_EQ(batch.Status, 0) << batch.Err;
    }
    // Binary input of any size is counted, not refused.
    const auto zeros = Run("text --format json", std::string(2'000'000, '\0'), faults);
    EXPECT_EQ(zeros.Status, 0) << zeros.Err;
    EXPECT_NE(zeros.Out.find("\"total\":0}"), std::string::npos);
}

TEST_F(CliTest, EncodingsAreDetectedOnTheWholeTextOrAPipesFirstMegabyte) {
    // «Рё» in Windows-1251 is well-formed UTF-8 («и») but stays Windows-1251; «да» is UTF-8.
    const auto ryo = Run("batch --format json", "\xD0\xB8\n");
    EXPECT_NE(ryo.Out.find("\"input\":\"Рё\""), std::string::npos) << ryo.Out;
    const auto da = Run("batch --format json", "да\n");
    EXPECT_NE(da.Out.find("\"input\":\"да\""), std::string::npos) << da.Out;
    // A text counted in both readings picks the detector's.
    const auto text = Run("text --format json", zelm::Utf8ToCp1251("Сі"));
    EXPECT_EQ(text.Out, Run("text --format json --encoding cp1251", zelm::Utf8ToCp1251("Сі")).Out);
    // A pipe decides on its first content beyond ASCII, however late it comes; in a UTF-8 list a
    // line that is not UTF-8 is read as Windows-1251, and the first is named once.
    std::string ascii;
    while (ascii.size() < (std::size_t(3) << 20)) ascii += "abcdefghij\n";
    const auto late = Run("batch --format csv", "", "cat '" + File("list", ascii + "\xEC\xE0\xEC\xE0\n") + "' |");
    EXPECT_EQ(late.Status, 0);
    EXPECT_NE(late.Out.find("\nмама,"), std::string::npos);
    const std::string list = "кот\n" + ascii + "\xEA\xEE\xF2\n\n\xEC\xE0\n";
    const auto mixed = Run("batch --format csv", "", "cat '" + File("list", list) + "' |");
    EXPECT_EQ(mixed.Out.find("\nкот,"), mixed.Out.find("\n") + 0); // the first row
    EXPECT_NE(mixed.Out.find("\nкот,"), mixed.Out.rfind("\nкот,")); // the Windows-1251 «кот» too
    EXPECT_NE(mixed.Out.find("\nма,"), std::string::npos);
    EXPECT_EQ(mixed.Err, "zelm-cli: note: line " + std::to_string(ascii.size() / 11 + 2) +
                             " of standard input is not UTF-8; such lines are read as Windows-1251\n");
}

TEST_F(CliTest, StandardInputIsReadFromWhereItStandsAndOnlyOnce) {
    const std::string f = File("lines.txt", "первая\nмама\nкот\n");
    const std::string group = "{ read -r first; NO_COLOR=1 '" + std::string(ZELM_CLI) + "' ";
    const auto run = [&](const std::string& arguments) {
        const std::string command = group + arguments + "; } <'" + f + "' >'" + (Dir_ / "out").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
        return Slurp(Dir_ / "out");
    };
    const std::string remainder = File("rest.txt", "мама\nкот\n");
    const auto expected = [&](const std::string& arguments) {
        return Run(arguments + " '" + remainder + "'").Out;
    };
    EXPECT_EQ(AfterFirstField(Lines(run("text --format csv"), 1, 1)),
              AfterFirstField(Lines(expected("text --format csv"), 1, 1)));
    EXPECT_EQ(run("batch --format csv"), expected("batch --format csv"));

    const auto twice = Run("text - -");
    EXPECT_EQ(twice.Status, 2);
    EXPECT_NE(twice.Err.find("standard input ('-') can be read only once"), std::string::npos);
}

TEST_F(CliTest, EveryOutputIsWellFormedUtf8) {
    const std::string bad = "к\xFFот\n\xD0\n\xE2\x82\n\xC0\xAF\n";
    for (const char* format : {"json", "csv", "table"})
        for (const char* encoding : {"utf-8", "auto", "cp1251"}) {
            const auto run = Run(std::string("batch --format ") + format + " --encoding " + encoding, bad);
            EXPECT_EQ(run.Status, 0);
            EXPECT_TRUE(IsUtf8(run.Out)) << format << " " << encoding << ": " << run.Out;
            const auto text = Run(std::string("text --format ") + format + " --encoding " + encoding, bad);
            EXPECT_TRUE(IsUtf8(text.Out)) << format << " " << encoding;
        }
    // Malformed input is shown as the word command shows it.
    const auto json = Run("batch --format json --encoding utf-8", "к\xFFот\n");
    EXPECT_NE(json.Out.find("\"input\":\"к?от\""), std::string::npos) << json.Out;
    EXPECT_NE(Run("word --format json --encoding utf-8 \"$(printf 'к\\377от')\"").Out.find("\"input\":\"к?от\""),
              std::string::npos);
}

TEST_F(CliTest, LongLinesGiveTheRowsOfShortOnes) {
    // Every line through the long-line path, against the usual one: the same bytes in every format.
    const std::string list = "мо*ре\nкот,\"x\"\n\xD0\n  ма́ма  \nxyz\nщи\nїжак\n";
    const std::string path = File("list.txt", list), cp = File("cp.txt", zelm::Utf8ToCp1251(list));
    const auto same = [&](const std::string& arguments) {
        const auto usual = Run(arguments, "", "ZELM_BATCH_LONG_LINE=1000000000000");
        const auto piecewise = Run(arguments, "", "ZELM_BATCH_LONG_LINE=1");
        ASSERT_EQ(usual.Status, 0);
        ASSERT_EQ(piecewise.Status, 0);
        EXPECT_TRUE(usual.Out == piecewise.Out) << arguments << "\n" << usual.Out << piecewise.Out;
    };
    for (const char* format : {"json", "csv", "table"})
        for (const char* lang : {"ru", "uk"})
            for (const std::string& file : {path, cp})
                same(std::string("batch --format ") + format + " --lang " + lang + " '" + file + "'");
    // A line longer than the pieces it is written in.
    std::string big;
    while (big.size() < (1u << 20) + 5000) big += "мама,\"";
    const std::string bigList = File("big.txt", "кот\n" + big + "\nщи\n");
    same("batch --format json '" + bigList + "'");
    same("batch --format csv --lang uk '" + bigList + "'");
}

TEST_F(CliTest, AnyThreadCountAndBlockSizeKeepsTheOrder) {
    std::string list;
    for (int i = 0; i < 3000; ++i) list += (i % 2 ? "мо*ре" : "кот") + std::to_string(i) + "\n";
    const std::string path = File("list.txt", list);
    const std::string expected = Run("batch --format csv '" + path + "'").Out;
    for (int threads : {1, 2, 3, 5, 8, 16})
        for (int block : {1, 7}) {
            const auto run = Run("batch --format csv '" + path + "'", "",
                                 "ZELM_BATCH_THREADS=" + std::to_string(threads) + " ZELM_BATCH_BLOCK_LINES=" + std::to_string(block));
            EXPECT_EQ(run.Status, 0) << run.Err;
            EXPECT_TRUE(run.Out == expected) << threads << " threads, blocks of " << block;
        }
}

TEST_F(CliTest, OutputErrorsStopTheCommand) {
    std::string list;
    for (int i = 0; i < 200000; ++i) list += "кот" + std::to_string(i) + "\n";
    const std::string path = File("list.txt", list);
    for (const std::string& arguments : {"batch '" + path + "'", std::string("word кот"), "text '" + path + "'"}) {
        const auto run = Run(arguments, "", "", "/dev/full");
        EXPECT_EQ(run.Status, 1) << arguments;
        EXPECT_NE(run.Err.find("No space left on device"), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    // An output that fills part-way stops the list there.
    const auto partly = Run("batch --format csv '" + path + "'", "", Faults("write", (Dir_ / "out").string(), 300000));
    EXPECT_EQ(partly.Status, 1);
    EXPECT_LE(partly.Out.size(), 300000u);
}

namespace {

// The numbers of a JSON array that follows `key` in `object`.
std::vector<double> JsonNumbers(const std::string& object, const std::string& key) {
    std::vector<double> numbers;
    std::size_t at = object.find("\"" + key + "\":[");
    if (at == std::string::npos) return numbers;
    at = object.find('[', at) + 1;
    const std::size_t end = object.find(']', at);
    while (at < end) {
        char* next = nullptr;
        numbers.push_back(std::strtod(object.c_str() + at, &next));
        at = std::size_t(next - object.c_str()) + 1;
    }
    return numbers;
}

double JsonNumber(const std::string& object, const std::string& key) {
    const std::size_t at = object.find("\"" + key + "\":");
    return at == std::string::npos ? NAN : std::strtod(object.c_str() + at + key.size() + 3, nullptr);
}

} // namespace

TEST_F(CliTest, RankScoresAreMeansOfTheWantedPoles) {
    const std::string list = File("list.txt", "мо*ре\nкот\nмама\nщи\nзло\nкот\nлес\n");
    for (const char* lang : {"ru", "uk"}) {
        const std::string want = std::string(lang) == "ru" ? "хороший,Светлый,ТЕМНЫЙ,радостный" : "большой,Мягкий";
        const auto run = Run("rank --format json --lang " + std::string(lang) + " --want '" + want + "' '" + list + "'");
        ASSERT_EQ(run.Status, 0) << run.Err;
        std::istringstream rows(run.Out);
        std::string row, previousWord;
        double previous = INFINITY;
        int rank = 0;
        std::vector<std::string> words;
        while (std::getline(rows, row)) {
            ++rank;
            EXPECT_TRUE(row.starts_with("{\"rank\":" + std::to_string(rank) + ",\"score\":")) << row;
            const double score = JsonNumber(row, "score");
            EXPECT_LE(score, previous);
            previous = score;
            // The score again, from the values `word` prints.
            const std::string word = row.substr(row.find("\"input\":\"") + 9, row.find("\",\"profile\"") - row.find("\"input\":\"") - 9);
            words.push_back(word);
            const auto profile = JsonNumbers(Run("word --format json --lang " + std::string(lang) + " '" + word + "'").Out, "profile");
            double expected = 0;
            if (std::string(lang) == "ru")
                expected = (profile[0] + profile[7] - profile[7] + profile[23]) / 4; // Хороший, светлый, темный, радостный
            else
                expected = (profile[0] - profile[6]) / 2; // Большой, Мягкий (the right pole of Твердый / Мягкий)
            EXPECT_EQ(score, expected) << word;
            const std::string object = Run("word --format json --lang " + std::string(lang) + " '" + word + "'").Out;
            EXPECT_EQ(row.substr(row.find("\"kind\"")), object.substr(1, object.size() - 2)); // the word object
        }
        EXPECT_EQ(rank, 7);
        // Ties keep the order of the list; --top keeps the best.
        const auto firstKot = std::find(words.begin(), words.end(), "кот");
        ASSERT_NE(firstKot, words.end());
        EXPECT_EQ(*(firstKot + 1), "кот");
        const auto top = Run("rank --format json --lang " + std::string(lang) + " --want '" + want + "' --top 3 '" + list + "'");
        EXPECT_EQ(top.Out, Lines(run.Out, 0, 3));
    }
    const auto csv = Run("rank --format csv --want Нежный --top 1 '" + list + "'");
    EXPECT_TRUE(Lines(csv.Out, 0, 1).starts_with("rank,score,word,Хороший/Плохой,")) << csv.Out;
    EXPECT_TRUE(Lines(csv.Out, 1, 1).starts_with("1,")) << csv.Out;
    const auto table = Run("rank --want Нежный --top 1 '" + list + "'");
    EXPECT_TRUE(table.Out.starts_with("1  ")) << table.Out;

    const auto unknown = Run("rank --want 'Хороший,нечто' '" + list + "'");
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_NE(unknown.Err.find("unknown pole 'нечто'; the poles are: Хороший, Плохой,"), std::string::npos) << unknown.Err;
    EXPECT_EQ(Run("rank --want Хороший --top 0 '" + list + "'").Status, 2);
    EXPECT_EQ(Run("rank '" + list + "'").Status, 2);
    EXPECT_EQ(Run("rank --want Хороший --format csv", "").Out, Lines(csv.Out, 0, 1));
    EXPECT_EQ(Run("rank --want Хороший /no/such/list").Status, 1);
}

TEST_F(CliTest, SoundsGiveTheCountsAndZScoresOfTheTextEvaluation) {
    const std::string text = "Мама мыла раму, а папа читал газету. Щи да каша — пища наша.";
    for (const char* lang : {"ru", "uk"}) {
        const bool russian = std::string(lang) == "ru";
        const auto run = Run("sounds --format json --lang " + std::string(lang), text);
        ASSERT_EQ(run.Status, 0) << run.Err;
        const auto counts = JsonNumbers(Run("text --format json --lang " + std::string(lang), text).Out, "counts");
        ASSERT_EQ(counts.size(), russian ? 45u : 50u);
        // The z-scores as the text evaluation has them.
        std::vector<float> z;
        const std::string cp = zelm::Utf8ToCp1251(text);
        if (russian) {
            zelm::TTextEvaluator e;
            e.CountTextWords(cp);
            e.EvaluateText(zelm::TEvalScheme::esZhuravlev);
            z.assign(e.TextZScores.begin(), e.TextZScores.end());
        } else {
            zelm::TUkrTextEvaluator e;
            e.UkrCountTextWords(cp);
            e.UkrEvaluateText(zelm::TEvalScheme::esZhuravlev);
            z.assign(e.UkrTextZScores.begin(), e.UkrTextZScores.end());
        }
        std::size_t row = 0;
        for (std::size_t at = run.Out.find("{\"label\""); at != std::string::npos; at = run.Out.find("{\"label\"", at + 1), ++row) {
            const std::string object = run.Out.substr(at, run.Out.find('}', at) - at + 1);
            ASSERT_LT(row, counts.size());
            EXPECT_EQ(JsonNumber(object, "count"), counts[row]) << object;
            EXPECT_EQ(float(JsonNumber(object, "z")), z[row]) << object;
        }
        EXPECT_EQ(row, counts.size());
        EXPECT_TRUE(run.Out.starts_with("{\"kind\":\"sounds\",\"lang\":\"" + std::string(lang) + "\",\"input\":\"-\",\"total\":"));
    }
    EXPECT_NE(Run("sounds", text).Out.find("\nа   "), std::string::npos); // a table row per unit
    EXPECT_NE(Run("sounds --lang uk --format csv", "мама").Out.find("-,м,2,0.5,"), std::string::npos);
    EXPECT_NE(Run("sounds --format csv", "").Out.find("-,а,0,0,"), std::string::npos);
    EXPECT_EQ(Run("sounds - -").Status, 2);
    const auto bad = Run("sounds /no/such/file");
    EXPECT_EQ(bad.Status, 1);
}

TEST_F(CliTest, SegmentsAreTextsOfTheirOwn) {
    // UTF-8 paragraphs and one in Windows-1251, every kind of line end, blank lines of blanks.
    const std::string cp = zelm::Utf8ToCp1251("Ещё одна строка в другой кодировке.");
    const std::string text = "Мама мыла раму.\n  \nКот ел щи,\r\nа пёс спал.\r\n\r\n\tЩи да каша\rпоследняя\n\n\n" + cp + "\n";
    const std::string path = File("poem.txt", text);
    const std::vector<std::pair<std::string, int>> paragraphs = {
        {"Мама мыла раму.", 1}, {"Кот ел щи,\r\nа пёс спал.", 3}, {"\tЩи да каша\rпоследняя", 6}, {cp, 10}};
    const std::vector<std::pair<std::string, int>> lines = {{"Мама мыла раму.", 1}, {"Кот ел щи,", 3}, {"а пёс спал.", 4},
                                                            {"\tЩи да каша", 6},    {"последняя", 7},  {cp, 10}};
    for (const char* lang : {"ru", "uk"})
        for (const auto& [by, segments] : {std::pair{"paragraph", paragraphs}, std::pair{"line", lines}}) {
            const auto run = Run(std::string("text --format json --lang ") + lang + " --by " + by + " '" + path + "'");
            ASSERT_EQ(run.Status, 0) << run.Err;
            std::istringstream rows(run.Out);
            std::string row;
            std::size_t n = 0;
            while (std::getline(rows, row)) {
                ASSERT_LT(n, segments.size()) << row;
                const auto& [bytes, line] = segments[n];
                ++n;
                EXPECT_NE(row.find("\"input\":\"" + path + "\",\"segment\":" + std::to_string(n) +
                                   ",\"line\":" + std::to_string(line) + ",\"profile\""),
                          std::string::npos)
                    << row;
                // Exactly what `text` gives for the segment's bytes alone.
                const std::string alone = Run(std::string("text --format json --lang ") + lang, bytes).Out;
                EXPECT_EQ(row.substr(row.find("\"profile\"")), alone.substr(alone.find("\"profile\""), alone.size() - alone.find("\"profile\"") - 1))
                    << lang << " " << by << " segment " << n;
            }
            EXPECT_EQ(n, segments.size()) << by;
        }
    const auto csv = Run("text --format csv --by line '" + path + "'");
    EXPECT_TRUE(Lines(csv.Out, 0, 1).starts_with("segment,line,text,Хороший/Плохой,")) << csv.Out;
    EXPECT_TRUE(Lines(csv.Out, 2, 1).starts_with("2,3," + path + ",")) << csv.Out;
    const auto table = Run("text --by paragraph '" + path + "'");
    EXPECT_TRUE(table.Out.starts_with("1  Мама мыла раму.:")) << table.Out;
    EXPECT_NE(table.Out.find("\n6  Щи да каша последняя:"), std::string::npos) << table.Out; // first line, first words
    // From a pipe, the same.
    std::string fromFile = Run("text --format json --by paragraph '" + path + "'").Out;
    for (std::size_t at; (at = fromFile.find("\"input\":\"" + path + "\"")) != std::string::npos;)
        fromFile.replace(at, path.size() + 10, "\"input\":\"-\"");
    EXPECT_EQ(Run("text --format json --by paragraph", "", "cat '" + path + "' |").Out, fromFile);
    EXPECT_EQ(Run("text --by sentence '" + path + "'").Status, 2);
    EXPECT_EQ(Run("text --by line", "").Out, "");
}

TEST_F(CliTest, SvgChartsParseAndRender) {
    struct TCase {
        std::string Arguments, Input, Title;
        std::vector<std::string> Texts;
    };
    const std::string text = File("text.txt", "Мама мыла раму, а папа читал газету.");
    const std::vector<TCase> cases = {
        {"word --format svg 'мо*ре'", "", "Слово: мо*ре (русский, Алгоритм Журавлева)",
         {">Хороший<", ">34%<", ">радостный<", ">печальный<", ">Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО<",
          ">Звуко-цветовая оценка слова<"}},
        {"word --format svg --lang uk --algo levitsky 'мо*ва'", "", "Слово: мо*ва (украинский, Алгоритм Левицкого)",
         {">Большой<", ">Мягкий<"}},
        {"text --format svg '" + text + "'", "", "Текст: " + text + " (русский, Алгоритм Журавлева, звуков: ",
         {">Хороший<", ">Звуко-цветовая оценка текста<"}},
        {"text --format svg --lang uk", "мама", "Текст: - (украинский, Алгоритм Журавлева, звуков: 4)", {">Твердый<"}},
    };
    for (const auto& c : cases) {
        const auto run = Run(c.Arguments, c.Input);
        ASSERT_EQ(run.Status, 0) << c.Arguments << ": " << run.Err;
        const std::string& svg = run.Out;
        EXPECT_TRUE(svg.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\""));
        EXPECT_NE(svg.find("viewBox=\"0 0 820 "), std::string::npos);
        EXPECT_NE(svg.find("sans-serif"), std::string::npos);
        EXPECT_NE(svg.find(c.Title), std::string::npos) << c.Arguments;
        for (const auto& t : c.Texts) EXPECT_NE(svg.find(t), std::string::npos) << c.Arguments << ": " << t;
        EXPECT_TRUE(IsUtf8(svg));
        // A well-formed document that both renderers draw.
        const std::string path = File("chart.svg", svg), png = (Dir_ / "chart.png").string();
        ASSERT_EQ(std::system(("xmllint --noout '" + path + "'").c_str()), 0) << c.Arguments;
        ASSERT_EQ(std::system(("rsvg-convert '" + path + "' -o '" + png + "'").c_str()), 0) << c.Arguments;
        EXPECT_GT(fs::file_size(png), 1000u);
        const std::string shot = (Dir_ / "chromium.png").string();
        const std::string chromium = "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                     "--disable-background-networking --disable-component-update --disable-sync "
                                     "--user-data-dir='" + (Dir_ / "profile").string() + "' --screenshot='" + shot +
                                     "' --window-size=820,700 'file://" + path + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(chromium.c_str()), 0) << c.Arguments;
        EXPECT_GT(fs::file_size(shot), 1000u);
    }
    // The colours of the grid: significant bars red and blue, the others grey.
    const auto word = Run("word --format svg 'мо*ре'").Out;
    EXPECT_NE(word.find("fill=\"#ff0000\""), std::string::npos);
    EXPECT_NE(word.find("fill=\"#808080\""), std::string::npos);
    EXPECT_NE(Run("text --format svg --lang ru", "Щи да каша — пища наша").Out.find("fill=\"#0000ff\""),
              std::string::npos);
    // One input only, and only for word and text.
    for (const char* arguments : {"word --format svg кот мама", "batch --format svg", "rank --want Хороший --format svg",
                                  "sounds --format svg", "text --by line --format svg"})
        EXPECT_EQ(Run(arguments).Status, 2) << arguments;
    EXPECT_EQ(Run("text --format svg '" + text + "' '" + text + "'").Status, 2);
    const auto escaped = Run("word --format svg --encoding cp1251 '<&>\"'").Out;
    EXPECT_NE(escaped.find("&lt;&amp;&gt;&quot;"), std::string::npos) << escaped.substr(0, 300);
}

TEST_F(CliTest, ResearchCommandsTakeBadInput) {
    std::string binary;
    for (int i = 0; i < 50000; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
    const std::string invalid = "к\xFFот\n\xD0\nмо*ре\n\xC0\xAF\n";
    for (const std::string& arguments :
         {std::string("rank --want Хороший --format json"), std::string("rank --want Хороший --format csv --top 5"),
          std::string("sounds --format json"), std::string("text --by line --format json"),
          std::string("text --by paragraph --format csv"), std::string("word --format svg кот")})
        for (const std::string& input : {binary, invalid, std::string()}) {
            const auto run = Run(arguments, input);
            EXPECT_EQ(run.Status, 0) << arguments << ": " << run.Err;
            EXPECT_TRUE(IsUtf8(run.Out)) << arguments;
        }
    const auto ranked = Run("rank --want Хороший --format json --encoding utf-8", invalid);
    EXPECT_NE(ranked.Out.find("\"input\":\"к?от\""), std::string::npos) << ranked.Out;
}

// What an input holds never reaches the terminal as a control sequence: words, word lists, texts
// and file names show their control characters as visible signs.
TEST_F(CliTest, InputCannotControlTheTerminal) {
    const std::string escape = "ма\033]0;X\007па";
    const std::string shown = "ма␛]0;X␇па";
    const std::string name = File("t\033[2Jx.txt", "кот");
    for (const auto& [arguments, input, expected] :
         {std::tuple<std::string, std::string, std::string>{"batch", escape + "\n", shown + ":"},
          {"word '" + escape + "'", "", "Слово: " + shown},
          {"text '" + name + "'", "", "t␛[2Jx.txt"},
          {"text --by line", "a\033[31mb\n", "a [31mb"},
          {"sounds '" + name + "'", "", "t␛[2Jx.txt"}}) {
        const auto run = Run(arguments, input);
        EXPECT_EQ(run.Out.find('\033'), std::string::npos) << arguments;
        EXPECT_NE(run.Out.find(expected), std::string::npos) << arguments << ": " << run.Out;
    }
    const auto missing = Run("text '" + (Dir_ / "no\033[2J.txt").string() + "'");
    EXPECT_EQ(missing.Err.find('\033'), std::string::npos);
    EXPECT_NE(missing.Err.find("no␛[2J.txt"), std::string::npos) << missing.Err;
    // Pole names in the encoding chosen for the input.
    const auto ranked = Run("rank --encoding cp1251 --want \"$(printf '\\315\\345\\346\\355\\373\\351')\" --format csv",
                            zelm::Utf8ToCp1251("кот\n"));
    EXPECT_EQ(ranked.Status, 0) << ranked.Err;
    EXPECT_NE(ranked.Out.find("1,"), std::string::npos);
}

// A UTF-16 text (with its byte order mark, either byte order) gives the results of its UTF-8 form.
TEST_F(CliTest, Utf16TextsAreReadAsTheirText) {
    const std::u16string text = u"Мама мыла раму.\r\nКот 😀 спит.\r\n";
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (const char16_t unit : text) {
        little += {char(unit & 0xFF), char(unit >> 8)};
        big += {char(unit >> 8), char(unit & 0xFF)};
    }
    const std::string utf8 = "Мама мыла раму.\r\nКот 😀 спит.\r\n";
    const auto expected = Run("text --format json -", utf8).Out;
    ASSERT_NE(expected.find("\"total\":"), std::string::npos);
    for (const std::string& bytes : {little, big}) {
        EXPECT_EQ(Run("text --format json -", bytes).Out, expected);
        EXPECT_EQ(Run("text --format json -", "", "cat '" + File("u16", bytes) + "' |").Out, expected);
        EXPECT_EQ(Run("sounds --format csv -", bytes).Out, Run("sounds --format csv -", utf8).Out);
        EXPECT_EQ(Run("text --by line --format csv -", bytes).Out, Run("text --by line --format csv -", utf8).Out);
        EXPECT_EQ(Run("batch --format csv -", bytes).Out, Run("batch --format csv -", utf8).Out);
    }
}

namespace {
// The numbers of the JSON array that follows `key` at or after `from`.
std::vector<double> JsonNumbers(const std::string& json, const std::string& key, std::size_t& from) {
    std::vector<double> numbers;
    from = json.find("\"" + key + "\":[", from);
    if (from == std::string::npos) return numbers;
    const char* p = json.c_str() + from + key.size() + 4;
    while (*p && *p != ']') {
        char* end = nullptr;
        numbers.push_back(std::strtod(p, &end));
        p = *end == ',' ? end + 1 : end;
    }
    from = std::size_t(p - json.c_str());
    return numbers;
}
} // namespace

// explain: the terms read back from the JSON add up to the profile read back; CSV has a row per
// term; the table shows one scale when asked; an unknown pole is a usage error.
TEST_F(CliTest, ExplainTakesEveryValueApart) {
    const std::string text = File("text.txt", "Мама мыла раму. Кот спит.");
    for (const std::string& arguments :
         {std::string("'мо*ре' кот"), std::string("--lang uk 'мо*ва' а"), "--text '" + text + "'",
          "--lang uk --text '" + text + "'"})
        for (const char* algo : {"zhuravlev", "levitsky"}) {
            const auto run = Run("explain --format json --algo " + std::string(algo) + " " + arguments);
            ASSERT_EQ(run.Status, 0) << run.Err;
            for (std::size_t line = 0; line < run.Out.size(); line = run.Out.find('\n', line) + 1) {
                const std::string object = run.Out.substr(line, run.Out.find('\n', line) - line);
                std::size_t at = 0;
                const std::vector<double> profile = JsonNumbers(object, "profile", at);
                std::vector<double> sums(profile.size(), 0.0), sizes(profile.size(), 0.0);
                for (std::vector<double> c; !(c = JsonNumbers(object, "contributions", at)).empty();)
                    for (std::size_t k = 0; k < c.size() && k < sums.size(); ++k) {
                        sums[k] += c[k];
                        sizes[k] += std::fabs(c[k]);
                    }
                at = 0;
                const std::vector<double> clamped = JsonNumbers(object, "clamped", at);
                for (std::size_t k = 0; k < profile.size(); ++k) {
                    if (std::find(clamped.begin(), clamped.end(), double(k + 1)) != clamped.end()) continue;
                    EXPECT_NEAR(sums[k], profile[k], 4e-6 * sizes[k] + 1e-15) << arguments << " " << algo << " " << k;
                }
            }
        }
    const auto csv = Run("explain --format csv 'мо*ре'");
    EXPECT_EQ(std::count(csv.Out.begin(), csv.Out.end(), '\n'), 5); // the header and four sounds
    EXPECT_TRUE(csv.Out.starts_with("input,sound,code,position,weight,count,expected,z,Хороший/Плохой,"));
    EXPECT_NE(csv.Out.find("\nмо*ре,о́,48,1,"), std::string::npos) << csv.Out;
    const auto table = Run("explain --scale плохой 'мо*ре'");
    EXPECT_EQ(table.Out, "Слово: мо*ре (русский, Алгоритм Журавлева)\n"
                         "Хороший / Плохой              34%:  м +13%  о́ +12%  рʹ +5%  е +4%\n");
    const auto clamp = Run("explain --lang uk --algo levitsky --scale Большой а");
    EXPECT_NE(clamp.Out.find("ограничена до ±1"), std::string::npos) << clamp.Out;
    const auto unknown = Run("explain --scale Пушистый кот");
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_NE(unknown.Err.find("Хороший, Плохой"), std::string::npos) << unknown.Err;
    EXPECT_EQ(Run("explain").Status, 2);
}

// Without its companion program, report and print name every place it was looked for.
TEST_F(CliTest, AMissingCompanionIsLookedForEverywhereAndNamed) {
    const fs::path alone = Dir_ / "bin" / "zelm-cli";
    fs::create_directories(alone.parent_path());
    fs::copy_file(ZELM_CLI, alone);
    const int raw = std::system(("'" + alone.string() + "' report --word кот --pdf '" + (Dir_ / "r.pdf").string() +
                                 "' 2>'" + (Dir_ / "err").string() + "'")
                                    .c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    const std::string err = Slurp(Dir_ / "err");
    EXPECT_NE(err.find((Dir_ / "bin").string() + "/../libexec/zelm/zelm-cli-qt"), std::string::npos) << err;
    EXPECT_NE(err.find((Dir_ / "bin").string() + "/zelm-cli-qt"), std::string::npos) << err;
}
