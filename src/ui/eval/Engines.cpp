#include "Engines.h"

#include "Cp1251.h"
#include "Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

std::string ToCp1251(const QString& text, std::string_view lineEnd) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()) + std::size_t(text.count(QLatin1Char('\n'))) * lineEnd.size());
    const QChar* chars = text.constData();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const char16_t c = chars[i].unicode();
        if (c < 0x80) {
            if (c == '\n') bytes += lineEnd;
            else bytes.push_back(char(c));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(chars[i + 1].unicode())) ++i;
        const int byte = UnicodeToCp1251Fast(c);
        bytes.push_back(byte < 0 || QChar::isSurrogate(c) ? '?' : char(byte));
    }
    return bytes;
}

std::string WordToCp1251(const QString& word) {
    QString marked = word;
    return ToCp1251(marked.replace(QChar(0x0301), QLatin1Char('*')));
}

QString FromCp1251(std::string_view text) {
    QString result(qsizetype(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char c : text) *out++ = QChar(char16_t(Cp1251ToUnicode(static_cast<unsigned char>(c))));
    return result;
}

QString HelpFilePathFor(const QString& folder, QChar separator) {
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(separator)) path += separator;
    return path + QStringLiteral("Devuvodi.hlp");
}

namespace {
QStringList Names(int count, std::string_view (*name)(int)) {
    QStringList names;
    for (int k = 1; k <= count; ++k) names.push_back(FromCp1251(name(k)));
    return names;
}
} // namespace

const QString& RussianLeftName(int scale) {
    static const QStringList names = Names(ScaleCount, ScaleLeftName);
    return names[scale - 1];
}
const QString& RussianRightName(int scale) {
    static const QStringList names = Names(ScaleCount, ScaleRightName);
    return names[scale - 1];
}
const QString& UkrainianLeftName(int scale) {
    static const QStringList names = Names(UkrScaleCount, UkrScaleLeftName);
    return names[scale - 1];
}
const QString& UkrainianRightName(int scale) {
    static const QStringList names = Names(UkrScaleCount, UkrScaleRightName);
    return names[scale - 1];
}

const QString& HelpFilePath() { return HelpFile; }

QString DefaultHelpFolder() {
    const QString installed = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(ZELM_HELP_FROM_BINDIR));
    for (const QString& folder : {installed, QStringLiteral(ZELM_SOURCE_HELP_DIR)})
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Devuvodi.hlp")))) return QDir::cleanPath(folder);
    return {};
}

// The user's setting comes first; with none ("ERROR"), an installed program still finds its help.
void InitHelpFilePath() {
    QString folder = ReadUserSetting(QStringLiteral("SOFTWARE"), QStringLiteral("Zelm Ruza"), QStringLiteral("Directory"));
    if (folder == QLatin1String("ERROR"))
        if (const QString installed = DefaultHelpFolder(); !installed.isEmpty()) folder = installed;
    HelpFile = HelpFilePathFor(folder, QDir::separator());
}

} // namespace zelm
