// A long print job with the progress window on, to look at the window while it prints (run it
// under an X server with a window manager and take a screenshot from another process):
//   zelm_progress_demo [LINES] [OUT.pdf]      (200,000 lines into /tmp/zelm-progress.pdf by default)
#include "LinePrnt.h"
#include "QtPrinter.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    const QString pdf = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp/zelm-progress.pdf");
    auto printer = zelm::TQtPrinter::Pdf(pdf);
    zelm::TLinePrinter lp(*printer);
    lp.SetTitle(QStringLiteral("Длинный документ"));
    lp.ShowProgress = true;
    try {
        const zelm::TPrintJobGuard guard(lp);
        lp.BeginDoc();
        for (int i = 1; i <= lines; ++i) lp.PrintLine(QStringLiteral("Строка %1 длинного документа").arg(i));
        lp.EndDoc();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
