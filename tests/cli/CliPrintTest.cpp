// zelm-cli print and report (through the Qt companion), run for real.
#include "SilentServer.h"
#include "cli/CliRun.h"

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

TEST_F(CliTest, ReportsAndPrintsThatCannotBeWrittenFailAndLeaveNothing) {
    EXPECT_EQ(Run("report --word 'мо*ре' --pdf /dev/full").Status, 1);
    const auto full = Run("report --word 'мо*ре' --pdf /dev/full");
    EXPECT_NE(full.Err.find("'/dev/full'"), std::string::npos) << full.Err;
    EXPECT_NE(full.Err.find("No space left on device"), std::string::npos) << full.Err;
    const std::string doc = File("doc.txt", "строка\r\n");
    EXPECT_EQ(Run("print '" + doc + "' --pdf /dev/full").Status, 1);

    // Every step of writing the file failing, or the disk filling part-way: exit 1, a message
    // naming the file, the old file as it was, no temporary file left.
    const std::string pdf = (Dir_ / "out.pdf").string();
    const std::string old = "old content";
    struct TCase {
        const char* Ops;
        long long After;
    };
    for (const TCase& fault : {TCase{"write", 0}, TCase{"write", 2000}, TCase{"fsync", 0}, TCase{"close", 0},
                               TCase{"rename", 0}}) {
        for (const std::string& command : {"report --word 'мо*ре' --pdf '" + pdf + "'", "print '" + doc + "' --pdf '" + pdf + "'"}) {
            SCOPED_TRACE(command + " / " + fault.Ops + " after " + std::to_string(fault.After));
            File("out.pdf", old);
            const auto run = Run(command, "", Faults(fault.Ops, Dir_.string() + "/[#.]*", fault.After));
            EXPECT_EQ(run.Status, 1);
            EXPECT_NE(run.Err.find("cannot print to '" + pdf + "'"), std::string::npos) << run.Err;
            EXPECT_NE(run.Err.find("No space left on device"), std::string::npos) << run.Err;
            EXPECT_EQ(Slurp(pdf), old);
            EXPECT_EQ(Entries(), (std::vector<std::string>{"doc.txt", "err", "out", "out.pdf", "stdin"}));
        }
    }
    // Without faults the same command replaces the file with a whole PDF.
    ASSERT_EQ(Run("report --word 'мо*ре' --pdf '" + pdf + "'").Status, 0);
    EXPECT_TRUE(Slurp(pdf).starts_with("%PDF"));

    // A target the user may not write is left alone: read-only for a user, immutable for root.
    const std::string locked = File("locked.pdf", old);
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(root ? std::system(("chattr +i '" + locked + "'").c_str()) : ::chmod(locked.c_str(), 0444), 0);
    for (const std::string& command : {"report --word 'мо*ре' --pdf '" + locked + "'", "print '" + doc + "' --pdf '" + locked + "'"}) {
        const auto run = Run(command);
        EXPECT_EQ(run.Status, 1) << command;
        EXPECT_NE(run.Err.find("cannot print to '" + locked + "'"), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find(std::strerror(root ? EPERM : EACCES)), std::string::npos) << run.Err;
        EXPECT_EQ(Slurp(locked), old);
    }
    if (root) std::system(("chattr -i '" + locked + "'").c_str());
}


// A UTF-16 file prints its text, as its UTF-8 form would.
TEST_F(CliTest, Utf16FilesPrintTheirText) {
    std::string utf16 = "\xFF\xFE";
    for (const char16_t unit : std::u16string(u"Мама мыла раму.\r\nВторая строка\r\n")) utf16 += {char(unit & 0xFF), char(unit >> 8)};
    const std::string pdf = (Dir_ / "u16.pdf").string();
    ASSERT_EQ(Run("print '" + File("u16.txt", utf16) + "' --pdf '" + pdf + "'").Status, 0);
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + (Dir_ / "u16.out").string() + "'").c_str()), 0);
    const std::string printed = Slurp(Dir_ / "u16.out");
    EXPECT_NE(printed.find("Мама мыла раму."), std::string::npos) << printed;
    EXPECT_NE(printed.find("Вторая строка"), std::string::npos) << printed;
}

TEST_F(CliTest, LongReportsPrintEveryPageWhole) {
    // A 1,000-letter word, and a text whose comment runs long, at a first print's settings.
    std::string word;
    for (int i = 0; i < 500; ++i) word += "ма";
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "щи ";
    const std::string textFile = File("long.txt", text);
    for (const std::string& arguments :
         {"report --word '" + word + "'", "report --text '" + textFile + "'", "report --lang uk --word '" + word + "'"}) {
        const std::string pdf = (Dir_ / "long.pdf").string();
        const auto run = Run(arguments + " --pdf '" + pdf + "'");
        ASSERT_EQ(run.Status, 0) << arguments << ": " << run.Err;
        ASSERT_EQ(std::system(("pdfinfo '" + pdf + "' > '" + (Dir_ / "info").string() + "'").c_str()), 0);
        const std::string details = Slurp(Dir_ / "info");
        const int pages = std::atoi(details.c_str() + details.find("Pages:") + 6);
        ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + (Dir_ / "long.txt.out").string() + "'").c_str()), 0);
        const std::string printed = Slurp(Dir_ / "long.txt.out");
        std::size_t headers = 0;
        for (std::size_t at = 0; (at = printed.find("Проект ЗЕЛМ", at)) != std::string::npos; ++at) ++headers;
        if (arguments.starts_with("report --word")) { // the Ukrainian word line is cut to 58 characters
            EXPECT_GE(pages, 2) << arguments;
        }
        EXPECT_EQ(headers, std::size_t(pages)) << arguments; // a header on every page
        const bool ukrainian = arguments.find("--lang uk") != std::string::npos;
        for (const char* name : ukrainian ? std::vector<const char*>{"Большой", "Твердый"}
                                          : std::vector<const char*>{"Хороший", "красивый", "радостный"})
            EXPECT_NE(printed.find(name), std::string::npos) << arguments << ": " << name;
        EXPECT_NE(printed.find(ukrainian ? "Звуко-цветовая оценка слова" : "Звуко-цветовая оценка"), std::string::npos);
    }
}

// print and report only write PDF files: a print server that takes connections and never answers
// holds neither up. A binary file is not printed; a target that cannot be written is refused before
// the pages are laid out.
TEST_F(CliTest, PrintsNeedNoPrintSystemAndRefuseWhatCannotWork) {
    const zelm::test::TSilentServer server;
    ASSERT_FALSE(server.Address().empty());
    const std::string silent = "CUPS_SERVER=" + server.Address() + " timeout 60 env";
    const std::string doc = File("doc.txt", "строка\r\n"), pdf = (Dir_ / "out.pdf").string();
    for (const std::string& command : {"print '" + doc + "' --pdf '" + pdf + "'", "report --word кот --pdf '" + pdf + "'"}) {
        const auto run = Run(command, "", silent);
        EXPECT_EQ(run.Status, 0) << command << ": " << run.Err;
        EXPECT_TRUE(Slurp(pdf).starts_with("%PDF")) << command;
    }

    const auto binary = Run("print '" + File("ls.bin", std::string("ELF\0\0\1binary", 12)) + "' --pdf '" + pdf + "'");
    EXPECT_EQ(binary.Status, 1);
    EXPECT_NE(binary.Err.find("binary file"), std::string::npos) << binary.Err;

    // 5 M characters would take seconds to lay out; the folder that cannot exist is refused first.
    std::string big;
    for (int i = 0; i < 100000; ++i) big += "строка документа, которая не будет напечатана\r\n";
    const std::string bigFile = File("big.txt", big);
    for (const std::string& command : {"print '" + bigFile + "'", "report --text '" + bigFile + "'"}) {
        const auto run = Run(command + " --pdf /no/such/folder/out.pdf");
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find("cannot print to '/no/such/folder/out.pdf'"), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find(std::strerror(ENOENT)), std::string::npos) << run.Err;
        EXPECT_EQ(Entries(), (std::vector<std::string>{"big.txt", "doc.txt", "err", "ls.bin", "out", "out.pdf", "stdin"}));
    }
}
