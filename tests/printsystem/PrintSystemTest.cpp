// Printing through a real print system: a private CUPS server with two cups-pdf queues (started
// here by cups-private.sh, stopped at the end). A document and a report from the desktop program
// go to the default queue; after the printer setup chooses the second queue, the next print goes
// there. The PDFs that arrive are checked with pdfinfo and pdftotext.
#include "FakePrinter.h"
#include "LinePrnt.h"
#include "QtTestMain.h"
#include "QtPrinter.h"
#include "UFonts.h"
#include "UMain.h"
#include "UMainWrd.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPushButton>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "SilentServer.h"

#include <cups/cups.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace zelm;

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

void AnswerWhen(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [=] {
        QWidget* window = QApplication::activeModalWidget();
        if (window && wanted(window)) answer(window);
        else AnswerWhen(wanted, answer);
    });
}

void AcceptPrintSettings() {
    AnswerWhen([](QWidget* w) { return dynamic_cast<TFontForm*>(w) != nullptr; },
               [](QWidget* w) { static_cast<TFontForm*>(w)->BitBtn1->click(); });
}

// The folder cups-pdf writes the jobs of this user into.
QString PdfFolder() { return QDir::home().filePath("PDF"); }

QStringList Printed; // the PDFs this test made, removed at its end

// Waits (up to a minute) for a PDF written since `since` (cups-pdf names files after the job
// title and number, which repeat from one run to the next); its path, or empty.
std::string Text(const QString& pdf);
// With a `mark`, only a PDF whose text holds it counts (a job of an earlier test may arrive late).
QString NewPdf(const QDateTime& since, const std::string& mark = {}) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        for (const QFileInfo& file : QDir(PdfFolder()).entryInfoList({"*.pdf"}, QDir::Files, QDir::Time))
            if (file.lastModified() >= since &&
                Shell("pdfinfo '" + file.filePath().toStdString() + "' 2>/dev/null").find("Pages:") != std::string::npos &&
                (mark.empty() || Text(file.filePath()).find(mark) != std::string::npos)) {
                // Finished once readable; the writer closes it, and the program follows the job to
                // its end meanwhile.
                QElapsedTimer settle;
                settle.start();
                while (settle.elapsed() < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
                Printed.push_back(file.filePath());
                return file.filePath();
            }
        QThread::msleep(200);
    }
    return {};
}

// A moment just before a print, as file times count it.
QDateTime Now() { return QDateTime::currentDateTime().addSecs(-1); }

// The queue of the newest completed job.
std::string LastQueue() {
    const std::string jobs = Shell("lpstat -W completed -o");
    std::string last;
    std::size_t best = 0;
    for (std::size_t at = 0; at < jobs.size();) {
        const std::size_t end = std::min(jobs.find('\n', at), jobs.size());
        const std::string line = jobs.substr(at, end - at);
        const auto dash = line.find('-'), space = line.find(' ');
        if (dash != std::string::npos && space != std::string::npos && dash < space) {
            const std::size_t id = std::stoul(line.substr(dash + 1, space - dash - 1));
            if (id >= best) {
                best = id;
                last = line.substr(0, dash);
            }
        }
        at = end + 1;
    }
    return last;
}

int Pages(const QString& pdf) {
    const std::string info = Shell("pdfinfo '" + pdf.toStdString() + "'");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

std::string Text(const QString& pdf) { return Shell("pdftotext -layout '" + pdf.toStdString() + "' -"); }

QString CupsFolder; // the private print system's folder
std::string Script() { return std::string(ZELM_SOURCE_DIR) + "/tests/printsystem/cups-private.sh"; }
std::string Queue(const char* name, const std::string& ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd") {
    return "lpadmin -p " + std::string(name) + " -E -v cups-pdf:/ -P '" + ppd + "' 2>&1";
}

// While it lives, accepts the print settings and answers every message box (with `answer`, a
// button of the box, or OK), keeping their texts.
class TAnswers {
public:
    explicit TAnswers(QMessageBox::StandardButton answer = QMessageBox::Ok) {
        QObject::connect(&Timer_, &QTimer::timeout, [this, answer] {
            QWidget* window = QApplication::activeModalWidget();
            if (auto* settings = dynamic_cast<TFontForm*>(window)) settings->BitBtn1->click();
            if (auto* box = qobject_cast<QMessageBox*>(window)) {
                Texts.push_back(box->text());
                if (QAbstractButton* button = box->button(answer)) button->click();
                else box->accept();
            }
        });
        Timer_.start(20);
    }
    QString Last() const { return Texts.isEmpty() ? QString() : Texts.back(); }
    // Waits until a message box has been answered (or `ms` have passed).
    bool WaitForMessage(int ms) {
        QElapsedTimer waited;
        waited.start();
        const qsizetype seen = Texts.size();
        while (Texts.size() == seen && waited.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return Texts.size() > seen;
    }
    QStringList Texts;

private:
    QTimer Timer_;
};

// Prints the form's document; the text of the message it showed, or empty.
QString PrintDocument(TMainForm& form, QMessageBox::StandardButton answer = QMessageBox::Ok) {
    TAnswers answers(answer);
    form.PrintButton->click();
    return answers.Texts.join("|");
}

// Runs the printer setup, letting `choose` act on the dialog.
void PrinterSetup(TMainForm& form, std::function<void(QPrintDialog*)> choose) {
    AnswerWhen([](QWidget* w) { return dynamic_cast<QPrintDialog*>(w) != nullptr; },
               [choose](QWidget* w) { choose(static_cast<QPrintDialog*>(w)); });
    form.PrintSetupItem->trigger();
}

QComboBox* Printers(QPrintDialog* dialog) { return dialog->findChild<QComboBox*>(QStringLiteral("printers")); }

// Chooses a queue, or the print into a file when `queue` is empty.
void Choose(QPrintDialog* dialog, const QString& queue) {
    QComboBox* printers = Printers(dialog);
    int index = printers->findText(queue);
    if (queue.isEmpty())
        for (int i = 0; i < printers->count(); ++i)
            if (printers->itemText(i).contains("PDF") && !printers->itemText(i).startsWith("Zelm")) index = i;
    ASSERT_GE(index, 0);
    printers->setCurrentIndex(index);
}

} // namespace

// A print server that takes connections and never answers: the window is there within about two
// seconds, and a print fails soon with the reason, instead of the program freezing for minutes.
TEST(PrintSystem, ASilentPrintSystemHoldsNothingUp) {
    const zelm::test::TSilentServer server;
    ASSERT_FALSE(server.Address().empty());
    const std::string real = cupsServer();
    cupsSetServer(server.Address().c_str());
    {
        QElapsedTimer clock;
        clock.start();
        TMainForm form; // the system's default printer
        EXPECT_LT(clock.elapsed(), 3000);
        form.RichEdit1->setPlainText("a line");
        QString told;
        AcceptPrintSettings();
        AnswerWhen([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                   [&told](QWidget* w) {
                       told = static_cast<QMessageBox*>(w)->text();
                       static_cast<QMessageBox*>(w)->accept();
                   });
        clock.restart();
        form.PrintButton->click();
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(told, "Unable to begin printing.\nthe print system does not answer");
    }
    cupsSetServer(real.c_str());
}

// A job its queue holds is told at once, with the reason; followed on past the close watch, the
// same job cancelled later is told too; a job still open when the window closes is named.
TEST(PrintSystem, HeldAndLateEndedJobsAreTold) {
    Shell(Queue("ZelmHeld") + "; lpadmin -p ZelmHeld -o job-hold-until-default=indefinite; lpadmin -d ZelmHeld");
    {
        TMainForm form; // ZelmHeld is the default queue now
        form.JobWatchMs = 300;
        form.RichEdit1->setPlainText("held");
        TAnswers answers;
        form.PrintButton->click();
        ASSERT_TRUE(answers.WaitForMessage(30000)) << "no word of the held job";
        EXPECT_TRUE(answers.Last().contains("не напечатано") && answers.Last().contains("задержал")) << answers.Last().toStdString();
        EXPECT_TRUE(answers.Last().contains("ZelmHeld")) << answers.Last().toStdString();
        EXPECT_EQ(form.stBar->currentMessage(), answers.Last());
        QThread::msleep(500); // past the close watch: asked less often, still followed
        Shell("cancel -a ZelmHeld");
        ASSERT_TRUE(answers.WaitForMessage(30000)) << "no word of the job cancelled later";
        EXPECT_TRUE(answers.Last().contains("не напечатано")) << answers.Last().toStdString();

        form.PrintButton->click();
        ASSERT_TRUE(answers.WaitForMessage(30000));
        form.show();
        form.RichEdit1->document()->setModified(false);
        EXPECT_TRUE(form.close());
        EXPECT_TRUE(answers.Last().contains("Ещё не напечатаны задания печати")) << answers.Last().toStdString();
        Shell("cancel -a ZelmHeld");
    }
    Shell("lpadmin -d ZelmPDF; lpadmin -x ZelmHeld");
}

// Backends that hold a job, have it tried again later (and then aborted), or print slowly: the
// status bar says so while it lasts, and a message when the job will not print by itself.
TEST(PrintSystem, JobsTheBackendHoldsRetriesOrPrintsSlowlyAreTold) {
    const auto within30s = [](const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return done();
    };
    struct TCase {
        const char* Backend;
        const char* Status; // what the status bar says while the job is open
        const char* Box;    // the message that comes (at once or when the job ends), if any
    } const cases[] = {
        {"hold", "задержал его: the test printer holds every job", "задержал"},
        {"retry", "его не удалось передать принтеру ZelmTest: the test printer cannot be reached. Система печати попробует ещё раз.",
         "не напечатано: принтер ZelmTest сообщает: the test printer cannot be reached"},
        {"slow", "ещё не напечатано: оно печатается на принтере ZelmTest", nullptr},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Backend);
        Shell(Queue("ZelmTest") + "; lpadmin -p ZelmTest -v zelmtest:/" + test.Backend + "; lpadmin -d ZelmTest");
        {
            TMainForm form;
            form.JobWatchMs = 300;
            form.RichEdit1->setPlainText("a job for a test printer");
            TAnswers answers;
            form.PrintButton->click();
            EXPECT_TRUE(within30s([&] { return form.stBar->currentMessage().contains(test.Status); }))
                << form.stBar->currentMessage().toStdString();
            if (test.Box) {
                EXPECT_TRUE(within30s([&] { return answers.Last().contains(test.Box); })) << answers.Last().toStdString();
            } else {
                EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join("|").toStdString();
            }
            Shell("cancel -a ZelmTest");
            form.RichEdit1->document()->setModified(false);
        }
        Shell("lpadmin -d ZelmPDF; lpadmin -x ZelmTest");
    }
}

// A long print shows its progress window after a second, and its Cancel stops the job; while the
// pages are laid out the queue holds no job, so a program killed then leaves none behind.
TEST(PrintSystem, ALongPrintShowsProgressAndCanBeStopped) {
    TMainForm form;
    form.RichEdit1->setPlainText(QStringList(100000, "строка длинного документа, который печатают долго").join('\n'));
    std::string queued = "?";
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* progress = dynamic_cast<TPrntProgDlg*>(window); progress && progress->isVisible() && progress->btnStop) {
                shownAfter = clock.elapsed();
                queued = Shell("lpstat -o ZelmPDF");
                progress->btnStop->click();
            }
    });
    stopper.start(50);
    TAnswers answers;
    clock.start();
    form.PrintButton->click();
    stopper.stop();
    EXPECT_GE(shownAfter, 900) << "the window is for long prints only";
    EXPECT_EQ(queued, "") << "a job while the pages were laid out";
    EXPECT_EQ(form.stBar->currentMessage(), "Печать остановлена: задание отменено.");
    EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join("|").toStdString();
    EXPECT_EQ(Shell("lpstat -o ZelmPDF"), "");
}

// A default queue of A5 paper: the first print is laid out on it, before any setup (the page
// layout the jobs are made with; the PDF cups-pdf makes of it depends on the filters at hand).
TEST(PrintSystem, TheQueuesOwnPaperFromTheFirstPrint) {
    Shell(Queue("ZelmA5") + "; lpadmin -p ZelmA5 -o PageSize=A5; lpadmin -d ZelmA5");
    QPageSize::PageSizeId paper = QPageSize::Custom;
    {
        TMainForm form;
        paper = static_cast<TQtPrinter&>(form.Printer()).Printer().pageLayout().pageSize().id();
    }
    Shell("lpadmin -d ZelmPDF; lpadmin -x ZelmA5");
    EXPECT_EQ(paper, QPageSize::A5);
    // And its orientation: a queue that prints landscape unless told otherwise.
    Shell(Queue("ZelmWide") + "; lpadmin -p ZelmWide -o PageSize=A5 -o orientation-requested-default=4; lpadmin -d ZelmWide");
    TPrinterOrientation orientation = TPrinterOrientation::poPortrait;
    QPageLayout::Orientation layout = QPageLayout::Portrait;
    {
        TMainForm form;
        orientation = form.ReportPrinter().Orientation();
        layout = static_cast<TQtPrinter&>(form.Printer()).Printer().pageLayout().orientation();
    }
    Shell("lpadmin -d ZelmPDF; lpadmin -x ZelmWide");
    EXPECT_EQ(orientation, TPrinterOrientation::poLandscape);
    EXPECT_EQ(layout, QPageLayout::Landscape);
}

TEST(PrintSystem, TheDefaultQueueThenTheChosenOne) {
    ASSERT_EQ(QPrinterInfo::defaultPrinterName(), "ZelmPDF") << "the private print system has no default queue";
    // The toolkit in Russian, loaded before any window as the program does.
    InstallToolkitTranslations(*QCoreApplication::instance());
    QCoreApplication::sendPostedEvents();
    TMainForm form; // the system's default printer
    const QString mark = QStringLiteral("ZELM print check %1").arg(QCoreApplication::applicationPid());
    form.RichEdit1->setPlainText(mark + "\nвторая строка\nthird line");
    const std::string second = "вторая строка";

    QDateTime before = Now();
    AcceptPrintSettings();
    form.PrintButton->click();
    QString pdf = NewPdf(before, mark.toStdString());
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF arrived from ZelmPDF";
    EXPECT_NE(Text(pdf).find(mark.toStdString()), std::string::npos) << Text(pdf);
    EXPECT_NE(Text(pdf).find("third line"), std::string::npos);
    EXPECT_NE(Text(pdf).find(second), std::string::npos);
    EXPECT_EQ(Pages(pdf), 1);
    EXPECT_EQ(LastQueue(), "ZelmPDF");

    // A report from a word window, on the same printer.
    QThread::msleep(1100);
    before = Now();
    form.cmbWord->setEditText("мо*ре");
    AnswerWhen([](QWidget* w) { return dynamic_cast<TWordForm*>(w) != nullptr; }, [](QWidget* w) {
        auto* window = static_cast<TWordForm*>(w);
        AcceptPrintSettings();
        window->btnPrint->click();
        window->reject();
    });
    form.WordEvalItemClick();
    pdf = NewPdf(before);
    ASSERT_FALSE(pdf.isEmpty()) << "no report arrived from ZelmPDF";
    const std::string report = Text(pdf);
    // The page header: the maker cells (the program's name and version), the project between them.
    EXPECT_EQ(report.substr(report.find_first_not_of(" \n"), 8), "ЗЕЛМ") << report;
    // (The print system's PostScript step keeps most text searchable; a few glyphs, such as the
    // header's middle cell, arrive drawn only.)
    for (const char* text : {"ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА СЛОВА", "Слово : мо*ре", "Хороший", "радостный",
                             "ХОРОШЕГО", "Звуко-цветовая оценка слова"})
        EXPECT_NE(report.find(text), std::string::npos) << text;
    EXPECT_EQ(Pages(pdf), 1);
    EXPECT_EQ(LastQueue(), "ZelmPDF");

    // The printer setup chooses the second queue; the next print goes there.
    // Its button accepts the setup rather than printing (in Russian, as the program runs).
    bool offered = false;
    QString acceptText;
    AnswerWhen([](QWidget* w) { return dynamic_cast<QPrintDialog*>(w) != nullptr; }, [&](QWidget* w) {
        for (auto* buttons : w->findChildren<QDialogButtonBox*>())
            if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok); ok && buttons->window() == w)
                acceptText = ok->text();
        for (auto* box : w->findChildren<QComboBox*>()) {
            const int index = box->findText("ZelmPDF2");
            if (index < 0) continue;
            box->setCurrentIndex(index);
            offered = true;
        }
        static_cast<QDialog*>(w)->accept();
    });
    form.PrintSetupItem->trigger();
    EXPECT_TRUE(offered) << "the printer setup did not offer ZelmPDF2";
    EXPECT_EQ(acceptText, "Принять");
    QThread::msleep(1100);
    before = Now();
    AcceptPrintSettings();
    form.PrintButton->click();
    pdf = NewPdf(before);
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF arrived from ZelmPDF2";
    EXPECT_NE(Text(pdf).find(mark.toStdString()), std::string::npos);
    EXPECT_EQ(LastQueue(), "ZelmPDF2");
    for (const QString& file : Printed) QFile::remove(file);
}

// Every way the print system can refuse a job is reported with its reason, and the next print
// works once the cause is gone.
TEST(PrintSystem, EveryRefusalIsReported) {
    TMainForm form;
    form.RichEdit1->setPlainText("refused");
    Shell("cupsreject ZelmPDF");
    QString message = PrintDocument(form);
    EXPECT_TRUE(message.startsWith("Unable to begin printing.\n")) << message.toStdString();
    EXPECT_TRUE(message.contains("not accepting")) << message.toStdString();
    Shell("cupsaccept ZelmPDF");
    QDateTime before = Now();
    EXPECT_TRUE(PrintDocument(form).isEmpty());
    EXPECT_FALSE(NewPdf(before).isEmpty());

    // A queue deleted before the job, and one deleted while the job is printed.
    Shell(Queue("ZelmGone") + "; lpadmin -d ZelmGone");
    {
        TMainForm gone;
        gone.RichEdit1->setPlainText("gone");
        Shell("lpadmin -x ZelmGone");
        message = PrintDocument(gone);
        EXPECT_EQ(message, "Unable to begin printing.\nthe printer ZelmGone no longer exists");
        Shell(Queue("ZelmGone"));
        bool removed = false;
        gone.LinePrinter().OnNewLine = [&](TLinePrinter&) {
            if (!removed) Shell("lpadmin -x ZelmGone");
            removed = true;
        };
        message = PrintDocument(gone);
        EXPECT_TRUE(message.startsWith("Unable to finish printing.\n")) << message.toStdString();
        gone.LinePrinter().OnNewLine = nullptr;
    }
    Shell("lpadmin -d ZelmPDF");

    // The print server stopped, then started again.
    Shell("'" + Script() + "' stop '" + CupsFolder.toStdString() + "'");
    message = PrintDocument(form);
    EXPECT_TRUE(message.startsWith("Unable to begin printing.\n")) << message.toStdString();
    ASSERT_EQ(std::system(("'" + Script() + "' start '" + CupsFolder.toStdString() + "'").c_str()), 0);
    QThread::msleep(1100);
    before = Now();
    EXPECT_TRUE(PrintDocument(form).isEmpty());
    EXPECT_FALSE(NewPdf(before).isEmpty());

    // A job the print system accepts and then cannot print (its filter fails): the user is told.
    const QString fail = CupsFolder + "/fail";
    QDir().mkpath(fail);
    QFile filter(fail + "/fail-filter");
    ASSERT_TRUE(filter.open(QIODevice::WriteOnly));
    filter.write("#!/bin/sh\necho 'ERROR: this filter always fails' >&2\nexit 1\n");
    filter.close();
    QFile ppd(fail + "/fail.ppd");
    ASSERT_TRUE(ppd.open(QIODevice::WriteOnly));
    QByteArray text = Shell("cat /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd").c_str();
    text.replace("*cupsFilter", "*%cupsFilter");
    text.replace("*PPD-Adobe: \"4.3\"\n", "*PPD-Adobe: \"4.3\"\n*cupsFilter: \"application/pdf 0 " +
                                             (fail + "/fail-filter").toUtf8() + "\"\n");
    ppd.write(text);
    ppd.close();
    Shell("chmod 755 '" + fail.toStdString() + "' '" + fail.toStdString() + "/fail-filter'; " +
          Queue("ZelmFail", (fail + "/fail.ppd").toStdString()) + "; lpadmin -d ZelmFail");
    {
        TMainForm failing;
        failing.RichEdit1->setPlainText("never printed");
        TAnswers answers;
        failing.PrintButton->click();
        EXPECT_TRUE(answers.Texts.isEmpty()) << answers.Texts.join("|").toStdString();
        EXPECT_TRUE(answers.WaitForMessage(30000)) << "no word of the failed job";
        EXPECT_TRUE(answers.Last().contains("не напечатано")) << answers.Last().toStdString();
        EXPECT_TRUE(failing.stBar->currentMessage().contains("не напечатано"));
    }
    Shell("cancel -a ZelmFail; lpadmin -x ZelmFail; lpadmin -d ZelmPDF");
    for (const QString& file : Printed) QFile::remove(file);
}

// The printer setup changes nothing when cancelled; printing into a chosen file asks before
// replacing it, every time; the setup shows what is in force.
TEST(PrintSystem, ThePrinterSetupAndPrintsIntoFiles) {
    TMainForm form;
    form.RichEdit1->setPlainText("setup");
    for (const QString& pick : {QString("ZelmPDF2"), QString()})
        for (const bool escape : {false, true})
            PrinterSetup(form, [&](QPrintDialog* dialog) {
                Choose(dialog, pick);
                if (escape) {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                    QApplication::sendEvent(dialog, &press);
                } else {
                    dialog->reject();
                }
            });
    QDateTime before = Now();
    EXPECT_TRUE(PrintDocument(form).isEmpty());
    EXPECT_FALSE(NewPdf(before).isEmpty());
    EXPECT_EQ(LastQueue(), "ZelmPDF");
    QString shown;
    PrinterSetup(form, [&](QPrintDialog* dialog) {
        shown = Printers(dialog)->currentText();
        EXPECT_FALSE(dialog->findChild<QWidget*>("tabs")->isVisible()); // no copies or page ranges
        dialog->reject();
    });
    EXPECT_EQ(shown, "ZelmPDF");

    // Into a file the setup names.
    QTemporaryDir folder;
    const QString file = folder.filePath("document.pdf");
    PrinterSetup(form, [&](QPrintDialog* dialog) {
        Choose(dialog, {});
        dialog->findChild<QLineEdit*>("filename")->setText(file);
        dialog->accept();
    });
    EXPECT_TRUE(PrintDocument(form).contains("document.pdf")); // where the print went
    ASSERT_TRUE(QFileInfo::exists(file));
    QFile first(file);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray printed = first.readAll();
    first.close();
    form.RichEdit1->setPlainText("another text");
    QString asked = PrintDocument(form, QMessageBox::No);
    EXPECT_EQ(asked, "Файл " + file + " уже существует. Заменить его?");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), printed);
    first.close();
    asked = PrintDocument(form, QMessageBox::Yes);
    EXPECT_TRUE(asked.startsWith("Файл " + file + " уже существует. Заменить его?")) << asked.toStdString();
    EXPECT_NE(Text(file).find("another text"), std::string::npos);
    PrinterSetup(form, [&](QPrintDialog* dialog) {
        shown = dialog->findChild<QLineEdit*>("filename")->text();
        dialog->reject();
    });
    EXPECT_EQ(shown, file);
    for (const QString& pdf : Printed) QFile::remove(pdf);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The print system of this test alone.
    QTemporaryDir cups;
    const std::string script = std::string(ZELM_SOURCE_DIR) + "/tests/printsystem/cups-private.sh";
    if (std::system(("'" + script + "' start '" + cups.path().toStdString() + "'").c_str()) != 0) {
        std::fprintf(stderr, "The private CUPS server could not be started (see above): the print-system tests need "
                             "the packages cups and printer-driver-cups-pdf, which scripts/setup installs.\n");
        return 1;
    }
    ::setenv("CUPS_SERVER", (cups.path() + "/run/cups.sock").toLocal8Bit().constData(), 1);
    CupsFolder = cups.path();
    int status = 0;
    {
        QApplication app(argc, argv);
        zelm::InstallFontSubstitutes();
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    std::system(("'" + script + "' stop '" + cups.path().toStdString() + "'").c_str());
    return status;
}
