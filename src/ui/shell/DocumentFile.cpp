#include "DocumentFile.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Engines.h"
#include "SafeFile.h"

#include <QFile>

namespace zelm {

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
    if (DetectEncoding(view) == TDetectedEncoding::deUtf8) {
        loaded.Encoding = TDocEncoding::deUtf8;
        loaded.ByteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
        if (loaded.ByteOrderMark) bytes.remove(0, 3);
        loaded.Text = QString::fromUtf8(bytes);
        loaded.Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        loaded.Text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        loaded.Text = FromCp1251Lines(view);
    }
    document = loaded;
    return true;
}

QByteArray DocumentBytes(TDocument& document) {
    if (document.Encoding == TDocEncoding::deCp1251 && EncodingFor(document.Text) == TDocEncoding::deUtf8)
        document.Encoding = TDocEncoding::deUtf8;
    const QString& text = document.Text;
    const bool endsWithLineEnd =
        text.isEmpty() || text.endsWith(QLatin1Char('\n')) || text.endsWith(QChar(QChar::ParagraphSeparator));
    QByteArray bytes;
    if (document.Encoding == TDocEncoding::deUtf8) {
        QString lines = text;
        lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        if (!endsWithLineEnd) lines += QStringLiteral("\r\n");
        if (document.ByteOrderMark) bytes = "\xEF\xBB\xBF";
        bytes += lines.toUtf8();
    } else {
        std::string encoded = ToCp1251(text, "\r\n");
        if (!endsWithLineEnd) encoded += "\r\n";
        bytes = QByteArray(encoded.data(), qsizetype(encoded.size()));
    }
    return bytes;
}

bool SaveDocument(const QString& path, TDocument& document, QString& error) {
    TDocument saved = document;
    const QByteArray bytes = DocumentBytes(saved);
    std::string reason;
    if (!WriteFileSafely(QFile::encodeName(path).toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())),
                         reason)) {
        error = QStringLiteral("Cannot create file %1\n%2").arg(path, QString::fromLocal8Bit(reason.c_str()));
        return false;
    }
    document.Encoding = saved.Encoding;
    return true;
}

} // namespace zelm
