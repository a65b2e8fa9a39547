// zelm: the desktop program.
#include "Engines.h"
#include "FileNames.h"
#include "Look.h"
#include "Recovery.h"
#include "UMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

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
    // Saves killed half-way are offered for repair first, then the texts of editors that crashed.
    QTimer::singleShot(0, &window, [&window, file] {
        window.OfferRepairs();
        window.OfferRecovery();
        if (!file.isEmpty()) window.OpenDocument(file, false);
    });
    return application.exec();
}
