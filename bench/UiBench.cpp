// Desktop program timings, offscreen: opening a 10 MB Windows-1251 document into the editor and
// evaluating its text up to the filled text window (target: under 1 s), and the word window's
// live re-evaluation with its repaint (target: under 1 ms per keystroke). Each is also printed as
// a multiple of a baseline measured in the same run (reading the file's bytes; one transcription
// of the word).
#include "Cp1251.h"
#include "Engines.h"
#include "UMain.h"
#include "UMainWrd.h"
#include "FakePrinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <random>

using namespace zelm;

namespace {

QString MakeDocument(const QString& path, qint64 size) {
    const char* words[] = {"мама", "мыла", "раму", "кот", "сидел", "на", "окне", "море", "шумело", "волны",
                           "бились", "о", "камни", "солнце", "светило", "ярко", "летний", "день", "был", "тёплым"};
    std::mt19937 random(3);
    std::string text;
    while (qint64(text.size()) < size) {
        text += Utf8ToCp1251(words[random() % 20]);
        text += random() % 12 == 0 ? ".\r\n" : " ";
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.data(), qint64(text.size()));
    return path;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = MakeDocument(folder.filePath("big.txt"), 10 << 20);

    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const double baseline = double(clock.nsecsElapsed()) / 1e6;

    TMainForm form(std::make_unique<TFakePrinter>());
    double shown = 0;
    clock.restart();
    form.OpenDocument(path, false);
    const double opened = double(clock.nsecsElapsed()) / 1e6;
    QTimer::singleShot(0, [&] {
        shown = double(clock.nsecsElapsed()) / 1e6;
        if (QWidget* window = QApplication::activeModalWidget()) static_cast<QDialog*>(window)->reject();
    });
    form.TextEvalItemClick();
    std::printf("open 10 MiB document + text evaluation to the shown window: %.0f ms (target < 1000 ms); "
                "%.1f x reading the file (%.1f ms)\n",
                shown, shown / baseline, baseline);
    std::printf("  of which opening into the editor: %.0f ms\n", opened);

    WordWindowWord() = Utf8ToCp1251("мо*ре");
    TWordForm word;
    word.show();
    const QStringList typed = {"м", "мо", "мор", "море", "мо*ре", "мо*рем", "кот", "котёнок"};
    const int rounds = 300;
    clock.restart();
    for (int i = 0; i < rounds; ++i) {
        word.cmbWord->lineEdit()->setText(typed[i % typed.size()]);
        word.cmbWordChange();
        // Rendering into an image forces the full paint of what a keystroke repaints: the grid's
        // and the memo's viewports and the strip.
        word.grFon24->viewport()->grab();
        word.stBar->grab();
        word.mComments->viewport()->grab();
    }
    const double perKey = double(clock.nsecsElapsed()) / 1e6 / rounds;
    for (auto [name, widget] : {std::pair{"grid", word.grFon24->viewport()}, std::pair{"strip", (QWidget*)word.stBar},
                                std::pair{"memo", word.mComments->viewport()}}) {
        clock.restart();
        for (int i = 0; i < 100; ++i) widget->grab();
        std::printf("  rendering the %s: %.3f ms\n", name, double(clock.nsecsElapsed()) / 1e6 / 100);
    }
    clock.restart();
    for (int i = 0; i < rounds; ++i) {
        word.cmbWord->lineEdit()->setText(typed[i % typed.size()]);
        word.cmbWordChange();
    }
    std::printf("  evaluation and comment alone: %.3f ms\n", double(clock.nsecsElapsed()) / 1e6 / rounds);
    std::vector<SoundCode> sounds;
    clock.restart();
    for (int i = 0; i < 100000; ++i) TranscribeWord(WordWindowWord(), sounds);
    const double transcription = double(clock.nsecsElapsed()) / 1e6 / 100000;
    std::printf("word window keystroke (evaluation, comment, rendering grid, memo and strip): %.3f ms "
                "(target < 1 ms); %.0f x one transcription\n",
                perKey, perKey / transcription);
    return 0;
}
