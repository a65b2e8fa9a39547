#include "FileNames.h"

#include "Cp1251.h"

#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <memory>

namespace zelm {
namespace {

constexpr char16_t HeldByte = 0xDC00; // a held byte b is U+DC00 + b, b from 0x80 to 0xFF

bool IsHeld(QChar c) { return c.unicode() >= HeldByte + 0x80 && c.unicode() <= HeldByte + 0xFF; }

// The length of the valid UTF-8 character at `at`, or 0 when its bytes are not one.
int Utf8Length(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
    const unsigned lead = byte(at);
    if (lead < 0x80) return 1;
    int length = 0;
    char32_t code = 0, least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07, least = 0x10000;
    else return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned next = byte(at + i);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// Windows-1251 letters of Russian and Ukrainian: what a name from an old system is written in.
bool IsCp1251Letter(unsigned char byte) {
    return byte >= 0xC0 || byte == 0xA8 || byte == 0xB8 || byte == 0xAA || byte == 0xBA || byte == 0xAF ||
           byte == 0xBF || byte == 0xB2 || byte == 0xB3 || byte == 0xA5 || byte == 0xB4;
}

} // namespace

QString PathFromNative(const QByteArray& native) {
    QString path;
    path.reserve(native.size());
    for (qsizetype at = 0; at < native.size();) {
        if (const int length = Utf8Length(native, at)) {
            path += QString::fromUtf8(native.constData() + at, length);
            at += length;
        } else {
            path += QChar(char16_t(HeldByte + static_cast<unsigned char>(native[at])));
            ++at;
        }
    }
    return path;
}

QByteArray NativePath(const QString& path) {
    if (!IsForeignPath(path)) return path.toUtf8();
    QByteArray native;
    qsizetype from = 0;
    for (qsizetype at = 0; at <= path.size(); ++at) {
        if (at < path.size() && !IsHeld(path[at])) continue;
        native += QStringView(path).sliced(from, at - from).toUtf8();
        if (at < path.size()) native += char(path[at].unicode() - HeldByte);
        from = at + 1;
    }
    return native;
}

bool IsForeignPath(const QString& path) { return std::any_of(path.begin(), path.end(), IsHeld); }

QString ShownPath(const QString& path) {
    if (!IsForeignPath(path)) return path;
    // Read as Windows-1251 when every run of held bytes is a Cyrillic word of two letters or more.
    bool cyrillic = true;
    for (qsizetype at = 0; at < path.size() && cyrillic;) {
        if (!IsHeld(path[at])) {
            ++at;
            continue;
        }
        qsizetype end = at;
        for (; end < path.size() && IsHeld(path[end]); ++end)
            cyrillic = cyrillic && IsCp1251Letter(static_cast<unsigned char>(path[end].unicode() - HeldByte));
        cyrillic = cyrillic && end - at >= 2;
        at = end;
    }
    QString shown;
    for (const QChar c : path) {
        if (!IsHeld(c)) shown += c;
        else if (cyrillic) shown += QChar(char16_t(Cp1251ToUnicode(static_cast<unsigned char>(c.unicode() - HeldByte))));
        else shown += QStringLiteral("\\%1").arg(c.unicode() - HeldByte, 3, 8, QLatin1Char('0'));
    }
    return shown;
}

bool PathExists(const QString& path) {
    struct stat info {};
    return ::stat(NativePath(path).constData(), &info) == 0;
}

QStringList ForeignNamesIn(const QString& folder) {
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(NativePath(folder).constData()), ::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_type == DT_DIR) continue; // the dialog opens files
        const QString name = PathFromNative(QByteArray(entry->d_name));
        if (IsForeignPath(name)) names += name;
    }
    names.sort();
    return names;
}

} // namespace zelm
