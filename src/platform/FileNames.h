// File names as the system stores them (bytes) and as the windows hold them (QString). A name
// that is not valid UTF-8 (from an old system's Windows-1251 folder, say) keeps its bytes: each
// byte that is not part of a UTF-8 character is held as the lone surrogate U+DC80 + (byte - 0x80),
// which no real character uses, and turned back into that byte when the name is used.
#pragma once

#include <QByteArray>
#include <QString>

class QDir;

namespace zelm {

// The name of bytes `native`, exact for any bytes.
QString PathFromNative(const QByteArray& native);
// The bytes of `path` for the system: UTF-8, with every held byte given back.
QByteArray NativePath(const QString& path);
// Whether `path` holds bytes that are not UTF-8.
bool IsForeignPath(const QString& path);
// `path` as the user reads it: a name that is not UTF-8 is read as Windows-1251 where its bytes
// are Cyrillic words in that code page («Привет.txt»), else its held bytes are shown escaped
// ("bad\377name.txt").
QString ShownPath(const QString& path);

// Whether a file or folder of that name exists (followed through links).
bool PathExists(const QString& path);

// The names in folder `folder` (bytes) that are not valid UTF-8, which the toolkit's folder
// listings leave out, sorted; empty when the folder cannot be read.
QStringList ForeignNamesIn(const QString& folder);

} // namespace zelm
