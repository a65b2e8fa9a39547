// The editor's files as a user meets them: every kind of text file opened and saved back byte for
// byte, what cannot be kept asked first, special files refused, unsaved text recovered after a
// crash, and changes by other programs noticed.
#include "Cp1251.h"
#include "FileNames.h"
#include "Recovery.h"
#include "SafeFile.h"
#include "faults/Faults.h"
#include "ui/MainWindowRig.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QElapsedTimer>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QTextBlock>

#include <cstring>
#include <fstream>
#include <random>
#include <iterator>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Utf16(const QString& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// A pid that no process has now: a child that has ended.
qint64 EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A recovery file of another run, named by its id, whose lock a child process holds while it
// runs (as a crashed editor's, once the child is killed).
struct TOtherRun {
    pid_t Child = -1;
    QString File;
    TOtherRun(const QString& id, const QString& text) {
        QDir().mkpath(RecoveryFolder());
        File = RecoveryFolder() + "/recovery-" + id + ".txt";
        TRecoveredText recovered;
        recovered.FileName = "/nowhere/" + id + ".txt";
        recovered.Document.Text = text;
        recovered.Written = QDateTime::currentDateTime();
        QString error;
        EXPECT_TRUE(WriteRecovery(File, recovered, error)) << error.toStdString();
        const QByteArray lock = QFile::encodeName(RecoveryFolder() + "/recovery-" + id + ".lock");
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        Child = ::fork();
        if (Child == 0) {
            const int fd = ::open(lock.constData(), O_RDWR | O_CREAT, 0600);
            ::flock(fd, LOCK_EX);
            [[maybe_unused]] const auto n = ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char byte;
        EXPECT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    void Crash() {
        ::kill(Child, SIGKILL);
        ::waitpid(Child, nullptr, 0);
    }
    ~TOtherRun() { Crash(); }
};

// Answers whatever modal window shows within `ms` milliseconds with its last button, noting its text.
QStringList QuestionsWithin(int ms) {
    QStringList asked;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QTest::qWait(20);
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked += box->text();
            box->buttons().last()->click();
        }
    }
    return asked;
}

} // namespace

// Opened and saved without an edit, every file comes back byte for byte; files that the editor
// cannot show as they are (binary ones) are announced when they open, read-only.
TEST(DocumentFiles, EveryKindOfTextFileSavesBackByteForByte) {
    struct TFile {
        const char* Name;
        std::string Bytes;
        QString Shown;   // the editor's text, when it matters
        bool Warned;     // opens with a warning, read-only
    };
    std::string ls;
    {
        QFile program("/bin/ls");
        if (program.open(QIODevice::ReadOnly)) ls = program.readAll().toStdString();
    }
    const std::vector<TFile> files = {
        {"cp1251-crlf", Utf8ToCp1251("Мама мыла раму.\r\nЁлка — ёж.\r\n"), "Мама мыла раму.\nЁлка — ёж.\n", false},
        {"utf8-lf", "Привіт, світе!\nҐанок і їжак\n", "Привіт, світе!\nҐанок і їжак\n", false},
        {"utf8-cr", "один\rдва\r", "один\nдва\n", false},
        {"greek", "Καλημέρα κόσμε\n", "Καλημέρα κόσμε\n", false},
        {"emoji", "кот 😀 и 🐈\r\nконец", "кот 😀 и 🐈\nконец", false},
        {"utf8-bom", "\xEF\xBB\xBFмир\n", "мир\n", false},
        {"utf16le", Utf16("Мова\r\nрідна\r\n", false), "Мова\nрідна\n", false},
        {"utf16be", Utf16("Мова\nрідна", true), "Мова\nрідна", false},
        {"mixed", "a\r\nb\nc\rd", "a\nb\nc\nd", false},
        {"no-final", Utf8ToCp1251("без конца"), "без конца", false},
        {"empty", "", "", false},
        {"frames", "раз\xEF\xB7\x90два\xEF\xB7\x91три\xE2\x80\xA9", {}, false}, // U+FDD0, U+FDD1, U+2029
        {"nul", std::string("ab\0cd\r\n", 7), {}, true},
        {"ls", ls, {}, true},
    };
    TRig rig;
    for (const TFile& file : files) {
        SCOPED_TRACE(file.Name);
        const QString path = rig.Path(file.Name);
        Write(path, file.Bytes);
        QString warning;
        if (file.Warned) AnswerDialogs({Click("Открыть для правки", &warning)});
        ASSERT_TRUE(rig.Form.OpenDocument(path, false));
        EXPECT_EQ(!warning.isEmpty(), file.Warned) << warning.toStdString();
        if (!file.Shown.isNull()) {
            EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), file.Shown);
        }
        if (file.Name == std::string("no-final")) {
            EXPECT_EQ(rig.Form.EncodingLabel()->text(), "Windows-1251, без концов строк");
        }
        rig.Form.RichEdit1->document()->setModified(true);
        rig.Form.FileSave();
        EXPECT_TRUE(Slurp(path) == file.Bytes);
        EXPECT_FALSE(rig.Form.RichEdit1->document()->isModified());
    }
    // The status bar names the encoding and line ends.
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("utf16be"), false));
    EXPECT_EQ(rig.Form.EncodingLabel()->text(), "UTF-16 BE, LF");
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("utf8-lf"), false));
    EXPECT_EQ(rig.Form.EncodingLabel()->text(), "UTF-8, LF");
    // A binary file opens read-only unless the user chooses otherwise.
    AnswerDialogs({Click("Только для чтения")});
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("nul"), false));
    EXPECT_TRUE(rig.Form.RichEdit1->isReadOnly());
}

// Edits change only what was edited: a line typed into an LF file ends with LF, UTF-16 stays
// UTF-16, the stray byte of a UTF-8 file stays, and a character the encoding lacks is asked about
// before anything is written.
TEST(DocumentFiles, EditsChangeOnlyWhatWasEditedAndLossesAreAskedFirst) {
    TRig rig;
    const auto append = [&](const QString& text) {
        rig.Form.RichEdit1->moveCursor(QTextCursor::End);
        rig.Form.RichEdit1->insertPlainText(text);
    };
    const QString lf = rig.Path("lf.txt"), utf16 = rig.Path("utf16.txt"), stray = rig.Path("stray.txt");
    Write(lf, "one\ntwo\n");
    ASSERT_TRUE(rig.Form.OpenDocument(lf, false));
    append("three\nfour");
    rig.Form.FileSave();
    EXPECT_EQ(Slurp(lf), "one\ntwo\nthree\nfour");

    Write(utf16, Utf16("Слово\r\n", false));
    ASSERT_TRUE(rig.Form.OpenDocument(utf16, false));
    append("ї");
    rig.Form.FileSave();
    EXPECT_EQ(Slurp(utf16), Utf16("Слово\r\nї", false));

    // UTF-8 with one stray byte: read as UTF-8, the byte kept, after a warning.
    const std::string strayBytes = "Мама мыла раму.\r\nПапа читал \xFF книгу.\r\n";
    Write(stray, strayBytes);
    QString warning;
    AnswerDialogs({Click("Открыть для правки", &warning)});
    ASSERT_TRUE(rig.Form.OpenDocument(stray, false));
    EXPECT_TRUE(warning.contains("строке 2")) << warning.toStdString();
    EXPECT_TRUE(rig.Form.RichEdit1->toPlainText().startsWith("Мама мыла раму.\nПапа читал "));
    append("≈");
    rig.Form.FileSave();
    EXPECT_EQ(Slurp(stray), strayBytes + "≈");

    // A Windows-1251 file and a character it lacks: Cancel keeps the file, UTF-8 is the choice.
    const QString cp = rig.Path("cp.txt");
    const std::string cpBytes = Utf8ToCp1251("Кот\r\n");
    Write(cp, cpBytes);
    ASSERT_TRUE(rig.Form.OpenDocument(cp, false));
    append("≈");
    QString question;
    AnswerDialogs({Click("Отмена", &question)});
    rig.Form.SaveButton->click();
    EXPECT_TRUE(question.contains("«≈» в строке 2")) << question.toStdString();
    EXPECT_EQ(Slurp(cp), cpBytes);
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
    AnswerDialogs({Click("Сохранить в UTF-8")});
    rig.Form.SaveButton->click();
    EXPECT_EQ(Slurp(cp), "Кот\r\n≈");
    EXPECT_EQ(rig.Form.EncodingLabel()->text(), "UTF-8, CR LF");
}

TEST(DocumentFiles, SpecialAndHugeFilesAreRefusedWithoutWaiting) {
    TRig rig;
    const QString fifo = rig.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    rig.Form.RichEdit1->setPlainText("kept");
    for (const auto& [path, reason] : {std::pair<QString, QString>{fifo, "канал"}, {"/dev/zero", "устройство"},
                                       {rig.Folder.path(), "папка"}}) {
        QString message;
        AnswerDialogs({Click("OK", &message)});
        EXPECT_FALSE(rig.Form.OpenDocument(path, false));
        EXPECT_TRUE(message.startsWith("Cannot open file " + path + "\n")) << message.toStdString();
        EXPECT_TRUE(message.contains(reason)) << message.toStdString();
        EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "kept");
    }
    Write(rig.Path("big.txt"), std::string(2048, 'x'));
    QByteArray bytes;
    TFileStamp stamp;
    QString error;
    EXPECT_FALSE(ReadDocumentFile(rig.Path("big.txt"), bytes, stamp, error, 1024));
    EXPECT_TRUE(error.contains(QStringLiteral("2\u00A0048 байт"))) << error.toStdString();
}

// Unsaved text reaches the recovery file within the delay; the next start offers it, with the
// file it belonged to; a clean close, a save or a refusal leaves no recovery file.
TEST(DocumentFiles, UnsavedTextIsRecoveredAfterACrash) {
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    qputenv("ZELM_RECOVERY_DELAY_MS", "20");
    const QString orphan = RecoveryFolder() + QStringLiteral("/recovery-%1.txt").arg(EndedProcess());
    QString document;
    {
        TRig rig;
        // Beside the state folder, which outlives this editor: a document that stays on disk (one
        // gone when its text comes back is rightly reported as removed, at the next change in a
        // folder above it).
        document = state.filePath("doc.txt");
        Write(document, "first\nsecond\n");
        ASSERT_TRUE(rig.Form.OpenDocument(document, false));
        rig.Form.RichEdit1->moveCursor(QTextCursor::End);
        rig.Form.RichEdit1->insertPlainText("typed ≈");
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Form.RecoveryUnderWay(), 10000);
        ASSERT_TRUE(QFileInfo::exists(OwnRecoveryFile()));
        // As a crash leaves it: the file of a process that no longer runs.
        ASSERT_TRUE(QFile::rename(OwnRecoveryFile(), orphan));
        rig.Form.RichEdit1->document()->setModified(false);
    }
    TRig rig;
    QString offer;
    AnswerDialogs({Click("Восстановить", &offer)});
    ASSERT_TRUE(rig.Form.OfferRecovery());
    EXPECT_TRUE(offer.contains(document)) << offer.toStdString();
    EXPECT_EQ(rig.Form.FileName(), document);
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "first\nsecond\ntyped ≈");
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
    EXPECT_EQ(rig.Form.EncodingLabel()->text(), "Windows-1251, LF");
    EXPECT_FALSE(QFileInfo::exists(orphan));
    EXPECT_TRUE(QFileInfo::exists(OwnRecoveryFile())); // kept by this editor now

    // Declined: removed.
    ASSERT_TRUE(QFile::rename(OwnRecoveryFile(), orphan));
    AnswerDialogs({Click("Не восстанавливать")});
    EXPECT_FALSE(rig.Form.OfferRecovery());
    EXPECT_FALSE(QFileInfo::exists(orphan));

    // A save removes it; so does a close after the user's answer.
    rig.Form.RichEdit1->insertPlainText("more");
    QTRY_VERIFY_WITH_TIMEOUT(!rig.Form.RecoveryUnderWay(), 10000);
    ASSERT_TRUE(QFileInfo::exists(OwnRecoveryFile()));
    rig.SaveAnswer = rig.Path("saved.txt");
    rig.Form.FileSaveAs();
    EXPECT_FALSE(QFileInfo::exists(OwnRecoveryFile()));
    rig.Form.RichEdit1->insertPlainText("again");
    QTest::qWait(200);
    AnswerDialogs({Click("&No")});
    rig.Form.show();
    EXPECT_TRUE(rig.Form.close());
    EXPECT_FALSE(QFileInfo::exists(OwnRecoveryFile()));
    qunsetenv("ZELM_RECOVERY_DELAY_MS");
    qunsetenv("XDG_STATE_HOME");
}

// A text of many megabytes goes into the editor in pieces from its end: it holds every line and
// line end as given, a line longer than a piece included, with nothing to undo.
TEST(DocumentFiles, BigTextsGoIntoTheEditorWhole) {
    QString text;
    std::vector<TLineEnd> ends;
    for (int i = 0; text.size() < (9 << 20); ++i) {
        text += i == 700 ? QString(5 << 20, QLatin1Char('a')) : QStringLiteral("строка %1").arg(i);
        text += QLatin1Char('\n');
        ends.push_back(i % 5 == 0 ? TLineEnd::leLf : TLineEnd::leCrLf);
    }
    TTextEditor editor;
    const QString expected = text;
    editor.SetDocumentText(std::move(text), ends, TLineEnd::leCrLf);
    std::vector<TLineEnd> held;
    EXPECT_TRUE(editor.DocumentText(held, TLineEnd::leCrLf) == expected);
    EXPECT_EQ(held, ends);
    EXPECT_FALSE(editor.document()->isUndoAvailable());
    EXPECT_EQ(editor.textCursor().position(), 0);
}

// A copy of the text taken in slices while it is edited (lines typed, broken, joined, pasted,
// removed and undone, before, inside and after the part already taken) ends equal to the text as
// it then stands, line ends from the file included.
TEST(DocumentFiles, SnapshotsTakenInSlicesFollowEveryEdit) {
    TTextEditor editor;
    QStringList lines;
    std::vector<TLineEnd> fileEnds;
    for (int i = 0; i < 3000; ++i) {
        lines += QStringLiteral("строка %1").arg(i);
        fileEnds.push_back(i % 7 == 0 ? TLineEnd::leLf : i % 11 == 0 ? TLineEnd::leCr : TLineEnd::leCrLf);
    }
    fileEnds.pop_back();
    editor.SetDocumentText(lines.join('\n'), fileEnds, TLineEnd::leCrLf);
    std::mt19937 random(7);
    TTextSnapshot snapshot(editor, 0); // 256 lines a slice
    for (int round = 0; round < 30; ++round) {
        bool done = false;
        std::vector<QString> taken;
        std::vector<TLineEnd> takenEnds;
        snapshot.Start(TLineEnd::leCrLf, [&](std::vector<QString> l, std::vector<TLineEnd> e) {
            taken = std::move(l);
            takenEnds = std::move(e);
            done = true;
        });
        for (int slices = 0; !done && slices < 10000; ++slices) {
            QCoreApplication::processEvents();
            if (done) break;
            QTextCursor cursor(editor.document());
            const int size = editor.document()->characterCount() - 1;
            const int at = int(random() % unsigned(size + 1));
            cursor.setPosition(at);
            switch (random() % 6) {
            case 0: cursor.insertText("ы"); break;
            case 1: cursor.insertText("\n"); break;
            case 2: cursor.insertText("вставка\nв три\nстроки"); break;
            case 3:
                cursor.setPosition(std::min(size, at + int(random() % 300)), QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            case 4: editor.undo(); break;
            default: break; // a slice without an edit
            }
        }
        ASSERT_TRUE(done);
        std::vector<TLineEnd> ends;
        const QString text = editor.DocumentText(ends, TLineEnd::leCrLf);
        EXPECT_EQ(QStringList(taken.begin(), taken.end()).join('\n'), text) << "round " << round;
        EXPECT_EQ(takenEnds, ends) << "round " << round;
    }
}

// Another program changes or removes the open file: the user is told and chooses; a save over a
// changed file asks first.
TEST(DocumentFiles, ChangesByAnotherProgramAreNoticed) {
    TRig rig;
    const QString path = rig.Path("shared.txt");
    Write(path, "mine\n");
    ASSERT_TRUE(rig.Form.OpenDocument(path, false));
    rig.Form.RichEdit1->moveCursor(QTextCursor::End);
    rig.Form.RichEdit1->insertPlainText("typed");
    QTest::qWait(50);
    Write(path, "mine\ntheirs\n");
    QString told;
    AnswerDialogs({Click("Оставить мой текст", &told)});
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 5000);
    EXPECT_TRUE(told.contains("изменён другой программой")) << told.toStdString();
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "mine\ntyped");

    QString asked;
    AnswerDialogs({Click("Отмена", &asked)});
    rig.Form.SaveButton->click();
    EXPECT_TRUE(asked.contains("после того, как был прочитан")) << asked.toStdString();
    EXPECT_EQ(Slurp(path), "mine\ntheirs\n");
    AnswerDialogs({Click("Заменить")});
    rig.Form.SaveButton->click();
    EXPECT_EQ(Slurp(path), "mine\ntyped");

    // Reloaded on request.
    QTest::qWait(50);
    Write(path, "reloaded\n");
    told.clear();
    AnswerDialogs({Click("Перечитать", &told)});
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 5000);
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "reloaded\n");

    // Removed: the text stays, marked as unsaved.
    told.clear();
    AnswerDialogs({Click("OK", &told)});
    QFile::remove(path);
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 5000);
    EXPECT_TRUE(told.contains("удалён")) << told.toStdString();
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "reloaded\n");
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
    rig.Form.RichEdit1->document()->setModified(false);
}

// A file the user may not write is never written by Save: the message says why and the text
// stays unsaved (a read-only file for a user, an immutable one for root).
TEST(DocumentFiles, FilesTheUserMayNotWriteAreNeverWritten) {
    TRig rig;
    const QString path = rig.Path("locked.txt");
    Write(path, "old\n");
    const bool root = ::geteuid() == 0;
    if (root && std::system(("chattr +i '" + path.toStdString() + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "the file system here has no immutable attribute";
    }
    if (!root) {
        ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0444), 0);
    }
    ASSERT_TRUE(rig.Form.OpenDocument(path, false));
    rig.Form.RichEdit1->moveCursor(QTextCursor::End);
    rig.Form.RichEdit1->insertPlainText("new");
    QString message;
    AnswerDialogs({Click("OK", &message)});
    rig.Form.SaveButton->click();
    if (root) std::system(("chattr -i '" + path.toStdString() + "'").c_str());
    EXPECT_EQ(message, "Cannot create file " + path + "\n" + QString::fromLocal8Bit(std::strerror(root ? EPERM : EACCES)));
    EXPECT_EQ(Slurp(path), "old\n");
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());
}

// Recovery files belong to one run: a running editor's file is never offered, whatever its
// process id; once it is gone every orphan is offered in one start, the first restored, the next
// saved into a file of the user's choice.
TEST(DocumentFiles, EveryOrphanedRecoveryIsOfferedAndNoRunnersIsTaken) {
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    {
        TOtherRun first("1111111111111111", "first lost text"), second("2222222222222222", "second lost text");
        TRig rig;
        EXPECT_TRUE(OrphanedRecoveries().isEmpty()); // both still run
        first.Crash();
        second.Crash();
        ASSERT_EQ(OrphanedRecoveries().size(), 2);
        QString restoredText, savedQuestion;
        rig.SaveAnswer = rig.Path("second.txt");
        AnswerDialogs({Click("Восстановить", &restoredText), Click("Сохранить в файл...", &savedQuestion)});
        ASSERT_TRUE(rig.Form.OfferRecovery());
        const bool firstRestored = rig.Form.RichEdit1->toPlainText() == "first lost text";
        EXPECT_TRUE(firstRestored || rig.Form.RichEdit1->toPlainText() == "second lost text");
        EXPECT_EQ(Slurp(rig.Path("second.txt")), firstRestored ? "second lost text\r\n" : "first lost text\r\n");
        EXPECT_TRUE(savedQuestion.contains("Сохранить этот текст в файл")) << savedQuestion.toStdString();
        EXPECT_FALSE(QFileInfo::exists(first.File));
        EXPECT_FALSE(QFileInfo::exists(second.File));
        EXPECT_TRUE(QFileInfo::exists(OwnRecoveryFile())); // the restored text, kept by this run
        rig.Form.RichEdit1->document()->setModified(false);
    }
    qunsetenv("XDG_STATE_HOME");
}

// A recovery folder that cannot be written sends the text to the next one; when none can be
// written, a message box says why, once, and SIGTERM's way out reports the loss.
TEST(DocumentFiles, UnwritableRecoveryFoldersAreSaidAndAvoided) {
    QTemporaryDir home;
    const QString blocker = home.filePath("blocker"); // a file where folders should be
    Write(blocker, "");
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("XDG_STATE_HOME", blocker.toUtf8());
    qputenv("XDG_CACHE_HOME", home.path().toUtf8());
    qputenv("ZELM_RECOVERY_DELAY_MS", "20");
    TRig rig;
    rig.Form.RichEdit1->insertPlainText("kept elsewhere");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(OwnRecoveryFile(home.filePath("zelm/recovery"))), 5000);
    // The message comes when the writing thread has reported back, a moment after the file.
    QTRY_VERIFY_WITH_TIMEOUT(rig.Form.stBar->currentMessage().contains(home.filePath("zelm/recovery")), 5000);

    for (const char* variable : {"XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) qputenv(variable, blocker.toUtf8());
    QString told;
    AnswerDialogs({Click("OK", &told)});
    rig.Form.RichEdit1->insertPlainText(" and more");
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 5000);
    EXPECT_TRUE(told.contains("Не удалось записать копию") && told.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR))))
        << told.toStdString();
    rig.Form.RichEdit1->insertPlainText(" still");
    EXPECT_TRUE(QuestionsWithin(300).isEmpty()); // said once, not at every keystroke
    EXPECT_EQ(rig.Form.EndSession(), 1);
    rig.Form.RichEdit1->document()->setModified(false);
    qunsetenv("XDG_STATE_HOME");
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("ZELM_RECOVERY_DELAY_MS");
    if (tmp.isNull()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", tmp);
}

// A save in place killed half-way is offered for repair before its file opens: the default puts
// the old content back. A save that failed and restored the file asks nothing about "another
// program". A renamed folder of the open file is reported.
TEST(DocumentFiles, HalfWrittenFilesAreRepairedAndOwnWritesAreNoChange) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    TRig rig;
    const QString path = rig.Path("linked.txt");
    const std::string old(50000, 'o');
    Write(path, old);
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(rig.Path("other.txt")).constData()), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        TSafeFile file(QFile::encodeName(path).toStdString());
        file.Open();
        file.Write(std::string(20000, 'n'));
        ::raise(SIGKILL);
    }
    ::waitpid(child, nullptr, 0);
    QString asked;
    AnswerDialogs({Click("Вернуть прежнее", &asked)});
    ASSERT_TRUE(rig.Form.OpenDocument(path, false));
    EXPECT_TRUE(asked.contains(path) && asked.contains("было прервано")) << asked.toStdString();
    EXPECT_TRUE(Slurp(path) == old);
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText().size(), 50000);
    EXPECT_TRUE(QDir(cache.filePath("zelm")).isEmpty());

    rig.Form.RichEdit1->moveCursor(QTextCursor::End);
    rig.Form.RichEdit1->insertPlainText("new");
    QString message;
    {
        zelm::test::TFaults faults("write", path.toStdString(), "ENOSPC", 20000, 1);
        AnswerDialogs({Click("OK", &message)});
        rig.Form.SaveButton->click();
    }
    EXPECT_TRUE(message.startsWith("Cannot create file")) << message.toStdString();
    EXPECT_TRUE(Slurp(path) == old);
    EXPECT_EQ(QuestionsWithin(500), QStringList());
    EXPECT_TRUE(rig.Form.RichEdit1->document()->isModified());

    // The folder renamed: told like a removed file.
    QDir().mkpath(rig.Path("a/b"));
    Write(rig.Path("a/b/deep.txt"), "deep\n");
    ASSERT_TRUE(rig.Form.OpenDocument(rig.Path("a/b/deep.txt"), false));
    QString told;
    AnswerDialogs({Click("OK", &told)});
    ASSERT_TRUE(QDir().rename(rig.Path("a"), rig.Path("c")));
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 5000);
    EXPECT_TRUE(told.contains("удалён или переименован")) << told.toStdString();
    rig.Form.RichEdit1->document()->setModified(false);
    qunsetenv("XDG_CACHE_HOME");
}

// Names from an old system's Windows-1251 folder, or with a stray byte: listed in the open dialog
// as a user reads them, opened, and saved back under their own bytes.
TEST(DocumentFiles, FilesWhoseNamesAreNotUtf8OpenAndSave) {
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    TRig rig;
    const QByteArray folder = QFile::encodeName(rig.Folder.path());
    const QByteArray hello = folder + "/\xCF\xF0\xE8\xE2\xE5\xF2.txt", stray = folder + "/bad\377name.txt";
    std::ofstream(hello.toStdString(), std::ios::binary) << "old";
    std::ofstream(stray.toStdString(), std::ios::binary) << "stray";
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(rig.Folder.path()); // where the dialog opens
    rig.Form.AskOpenFile = rig.RealAskOpenFile;
    QStringList listed;
    AnswerWhen([](QWidget* w) { return w->inherits("QFileDialog"); }, [&](QWidget* dialog) {
        auto* list = dialog->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i) listed += list->item(i)->text();
        const auto found = list->findItems("Привет.txt", Qt::MatchExactly);
        if (found.size() == 1) emit list->itemActivated(found.front());
        else static_cast<QDialog*>(dialog)->reject();
    });
    rig.Form.FileOpen();
    QDir::setCurrent(cwd);
    EXPECT_EQ(listed, QStringList({"bad\\377name.txt", "Привет.txt"}));
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "old");
    EXPECT_EQ(rig.Form.windowTitle(), "Привет.txt - " + ApplicationTitle);
    rig.Form.RichEdit1->setPlainText("new");
    rig.Form.FileSave();
    std::ifstream in(hello.toStdString(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
    // A name given on the command line is read the same way.
    ASSERT_TRUE(rig.Form.OpenDocument(PathFromNative(stray), false));
    EXPECT_EQ(rig.Form.RichEdit1->toPlainText(), "stray");
    // Its unsaved text is kept for recovery under the name's own bytes.
    rig.Form.RichEdit1->insertPlainText("typed");
    ASSERT_TRUE(rig.Form.WriteRecoveryNow(true));
    const auto recovered = ReadRecovery(OwnRecoveryFile());
    ASSERT_TRUE(recovered.has_value());
    EXPECT_EQ(NativePath(recovered->FileName), stray);
    rig.Form.RichEdit1->document()->setModified(false);
    RemoveRecoveryFile(OwnRecoveryFile());
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(QDir(rig.Folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 0) << "no stray copies";
    ::unlink(hello.constData()); // the toolkit's clean-up does not see these names
    ::unlink(stray.constData());
}
