// Printing through a real print system: a private CUPS server with two cups-pdf queues (started
// here by cups-private.sh, stopped at the end). A document and a report from the desktop program
// go to the default queue; after the printer setup chooses the second queue, the next print goes
// there. The PDFs that arrive are checked with pdfinfo and pdftotext.
#include "FakePrinter.h"
#include "QtTestMain.h"
#include "UFonts.h"
#include "UMain.h"
#include "UMainWrd.h"

#include <QApplication>
#include <QComboBox>
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
QString NewPdf(const QDateTime& since) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        for (const QFileInfo& file : QDir(PdfFolder()).entryInfoList({"*.pdf"}, QDir::Files, QDir::Time))
            if (file.lastModified() >= since &&
                Shell("pdfinfo '" + file.filePath().toStdString() + "' 2>/dev/null").find("Pages:") != std::string::npos) {
                QThread::msleep(300); // finished once readable; let the writer close it
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

} // namespace

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
    QString pdf = NewPdf(before);
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
    EXPECT_NE(report.find(MakerAddress.toStdString()), std::string::npos) << report; // the page header
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
