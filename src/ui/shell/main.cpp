// zelm: the desktop program.
#include "Engines.h"
#include "UMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    zelm::InitHelpFilePath();
    QApplication::setApplicationName(QStringLiteral("zelm"));
    QApplication::setApplicationDisplayName(zelm::ApplicationTitle);
    zelm::TMainForm window;
    window.showMaximized();
    return application.exec();
}
