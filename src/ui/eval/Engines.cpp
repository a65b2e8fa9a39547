#include "Engines.h"

#include "Cp1251.h"
#include "Dialogs.h"

#include <QDir>

namespace zelm {

namespace {
QString HelpFile;
}

TRussianEngine& RussianEngine() {
    static TRussianEngine engine;
    return engine;
}

TUkrainianEngine& UkrainianEngine() {
    static TUkrainianEngine engine;
    return engine;
}

std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

QString FromCp1251(std::string_view text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

QString HelpFilePathFor(const QString& folder, QChar separator) {
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(separator)) path += separator;
    return path + QStringLiteral("Devuvodi.hlp");
}

const QString& HelpFilePath() { return HelpFile; }

void InitHelpFilePath() {
    HelpFile = HelpFilePathFor(ReadUserSetting(QStringLiteral("SOFTWARE"), QStringLiteral("Zelm Ruza"),
                                               QStringLiteral("Directory")),
                               QDir::separator());
}

} // namespace zelm
