#include "DocumentFile.h"

#include "Cp1251.h"
#include "Engines.h"

#include <QFile>
#include <QSaveFile>

namespace zelm {

namespace {
bool HasNonAscii(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}
} // namespace

TDocEncoding EncodingFor(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80 && UnicodeToCp1251Fast(c.unicode()) < 0) return TDocEncoding::deUtf8;
    return TDocEncoding::deCp1251;
}

bool LoadDocument(const QString& path, TDocument& document, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot open file %1").arg(path);
        return false;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Cannot open file %1").arg(path);
        return false;
    }
    TDocument loaded;
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    if (HasNonAscii(bytes) && IsValidUtf8(view)) {
        loaded.Encoding = TDocEncoding::deUtf8;
        loaded.ByteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
        if (loaded.ByteOrderMark) bytes.remove(0, 3);
        loaded.Text = QString::fromUtf8(bytes);
        loaded.Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        loaded.Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        loaded.Text = FromCp1251Lines(view);
    }
    // The editor holds lines: the break after the last line is not a line of its own.
    if (loaded.Text.endsWith(QLatin1Char('\n'))) loaded.Text.chop(1);
    document = loaded;
    return true;
}

bool SaveDocument(const QString& path, TDocument& document, QString& error) {
    if (document.Encoding == TDocEncoding::deCp1251 && EncodingFor(document.Text) == TDocEncoding::deUtf8)
        document.Encoding = TDocEncoding::deUtf8;
    QByteArray bytes;
    if (document.Encoding == TDocEncoding::deUtf8) {
        QString text = document.Text;
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        text += QStringLiteral("\r\n");
        if (document.ByteOrderMark) bytes = "\xEF\xBB\xBF";
        bytes += text.toUtf8();
    } else {
        const std::string encoded = ToCp1251(document.Text, "\r\n") + "\r\n";
        bytes = QByteArray(encoded.data(), qsizetype(encoded.size()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Cannot create file %1").arg(path);
        return false;
    }
    return true;
}

} // namespace zelm
