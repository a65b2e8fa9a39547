// zelm: the desktop program.
#include "Engines.h"
#include "FileNames.h"
#include "Look.h"
#include "Recovery.h"
#include "UMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <utility>

int main(int argc, char** argv) {
    QApplication application(argc, argv); // takes the toolkit's own options out of argv
    // `zelm FILE` opens FILE, under its own bytes whatever they are.
    const QString file = argc > 1 ? QFileInfo(zelm::PathFromNative(QByteArray(argv[1]))).absoluteFilePath() : QString();
    zelm::InstallFontSubstitutes();
    zelm::InitHelpFilePath();
    zelm::InstallToolkitTranslations(application);
    QApplication::setApplicationName(QStringLiteral("zelm"));
    // The desktop entry the windows belong to, so that shells match them with the menu's entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.zelm"));
    // The application title is the second half of the main window's caption only: no display
    // name is set, which the toolkit would append to every other window's caption.
    QApplication::setWindowIcon(zelm::ApplicationIcon()); // every window's
    zelm::TMainForm window;
    window.showMaximized();
    // A kill or a logout keeps the unsaved text for the next start, which offers it back.
    zelm::OnTerminationSignal([&window] { QCoreApplication::exit(window.EndSession()); });
    // Saves killed half-way are offered for repair first, then the texts of editors that crashed,
    // then FILE is opened: once the window stands on the screen in its final size (its geometry
    // the same for a tenth of a second, at most three seconds), so that the questions are centred on it.
    auto* settle = new QTimer(&window);
    settle->setInterval(50);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    auto last = std::make_shared<std::pair<QRect, int>>(QRect(), 0);
    QObject::connect(settle, &QTimer::timeout, &window, [&window, file, settle, started, last] {
        const bool exposed = window.windowHandle() && window.windowHandle()->isExposed();
        last->second = exposed && window.frameGeometry() == last->first ? last->second + 1 : 0;
        last->first = window.frameGeometry();
        if (last->second < 2 && started->elapsed() < 3000) return;
        settle->stop();
        settle->deleteLater();
        window.OfferRepairs();
        window.OfferRecovery();
        if (!file.isEmpty()) window.OpenDocument(file, false);
    });
    settle->start();
    return application.exec();
}
