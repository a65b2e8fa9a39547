// zelm: the desktop program.
#include "Engines.h"
#include "Look.h"
#include "UMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    zelm::InstallFontSubstitutes();
    zelm::InitHelpFilePath();
    zelm::InstallToolkitTranslations(application);
    QApplication::setApplicationName(QStringLiteral("zelm"));
    // The application title is the second half of the main window's caption only: no display
    // name is set, which the toolkit would append to every other window's caption.
    QApplication::setWindowIcon(zelm::ApplicationIcon()); // every window's
    zelm::TMainForm window;
    window.showMaximized();
    return application.exec();
}
