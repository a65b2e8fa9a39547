// Reading and writing the editor's plain-text documents: Windows-1251 as the program always has,
// UTF-8 recognised on opening; saved with CR LF line ends in the document's own encoding, the old
// file replaced only once the new one is completely written.
#pragma once

#include <QString>

namespace zelm {

enum class TDocEncoding { deCp1251, deUtf8 };

struct TDocument {
    // Lines separated by "\n"; a paragraph separator (U+2029) of the file stays one. A text that
    // ends with a separator ends with a line end; one that does not gets CR LF after its last line.
    QString Text;
    TDocEncoding Encoding = TDocEncoding::deCp1251;
    bool ByteOrderMark = false;   // a UTF-8 file that began with one keeps it
};

// Reads a file; false with "Cannot open file <path>" in `error` when it cannot be read. The
// encoding is the detector's (DetectEncoding): UTF-8 when the bytes read as Russian or Ukrainian
// UTF-8, Windows-1251 otherwise. Every character is kept; CR LF and lone CR become "\n".
bool LoadDocument(const QString& path, TDocument& document, QString& error);

// The bytes a document is saved as: every line followed by CR LF (nothing for an empty text). A
// Windows-1251 document that holds characters the code page lacks is written as UTF-8 instead
// (and `document.Encoding` says so), so nothing typed is lost.
QByteArray DocumentBytes(TDocument& document);

// Writes the document through a temporary file that replaces the old one only once it is
// complete and synced. False with "Cannot create file <path>" and the system's reason on a second
// line when it cannot be written; the old file is then untouched and no temporary file is left.
bool SaveDocument(const QString& path, TDocument& document, QString& error);

// The encoding a new document is saved in: Windows-1251 when every character fits, else UTF-8.
TDocEncoding EncodingFor(const QString& text);

} // namespace zelm
