// Reading and writing the editor's plain-text documents: Windows-1251 as the program always has,
// UTF-8 recognised on opening; saved with CR LF line ends in the document's own encoding, the old
// file replaced only once the new one is completely written.
#pragma once

#include <QString>

namespace zelm {

enum class TDocEncoding { deCp1251, deUtf8 };

struct TDocument {
    QString Text;                 // lines separated by "\n"
    TDocEncoding Encoding = TDocEncoding::deCp1251;
    bool ByteOrderMark = false;   // a UTF-8 file that began with one keeps it
};

// Reads a file; false with "Cannot open file <path>" in `error` when it cannot be read. A file
// that is well-formed UTF-8 and holds something beyond ASCII is UTF-8; anything else is
// Windows-1251.
bool LoadDocument(const QString& path, TDocument& document, QString& error);

// Writes every line followed by CR LF. A Windows-1251 document that holds characters the code
// page lacks is written as UTF-8 instead (and `document.Encoding` says so), so nothing typed is
// lost. False with "Cannot create file <path>" when it cannot be written; the old file is then
// untouched.
bool SaveDocument(const QString& path, TDocument& document, QString& error);

// The encoding a new document is saved in: Windows-1251 when every character fits, else UTF-8.
TDocEncoding EncodingFor(const QString& text);

} // namespace zelm
