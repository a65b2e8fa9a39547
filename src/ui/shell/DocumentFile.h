// Reading and writing the editor's plain-text documents so that a file opened and saved comes
// back byte for byte, except where the user edited it: its encoding (Windows-1251, UTF-8 with or
// without a byte order mark, UTF-16 LE or BE), the line end of every line (CR LF, LF, CR, the
// Unicode paragraph separator and the two characters the editor would take for line breaks) and
// a last line without a line end are all kept. Bytes that are not UTF-8 in a UTF-8 file are kept
// as characters of their own (U+DC80 + byte) and written back as they were.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace zelm {

enum class TDocEncoding { deCp1251, deUtf8, deUtf16LE, deUtf16BE };

// How a line ends in the file.
enum class TLineEnd : std::uint8_t { leCrLf, leLf, leCr, leParagraph, leFrameStart, leFrameEnd };

// The encoding the user asks for in the open dialog.
enum class TOpenEncoding { oeAuto, oeCp1251, oeUtf8, oeUtf16 };

struct TDocument {
    // Lines separated by "\n"; Ends[i] is how line i ends in the file (one per "\n").
    QString Text;
    std::vector<TLineEnd> Ends;
    TDocEncoding Encoding = TDocEncoding::deCp1251;
    bool ByteOrderMark = false;
    // What a line break the user types becomes: the file's most common line end (CR LF for a
    // new document or a file of one line).
    TLineEnd LineEnd = TLineEnd::leCrLf;
    // A document of the program's own (a new one) ends its last line with a line end; one read
    // from a file keeps its last line as the file had it.
    bool FinalLineEnd = true;
    // Nothing in the file told its encoding (a new document, or one of ASCII alone): it is saved
    // in Windows-1251 when every character fits, else in UTF-8, which changes no byte it had.
    bool EncodingFree = true;

    // What reading found.
    bool Binary = false;        // NUL bytes in a file that is not UTF-16
    int UndecodableLine = 0;    // first line (1-based) with bytes the encoding cannot read, or 0
};

// Decodes a file's bytes in the encoding asked for (automatic: a byte order mark decides, else
// the encoding detector; well-formed UTF-8 whose Windows-1251 reading is not writing is UTF-8, and
// so is UTF-8 with a few stray bytes).
TDocument DecodeDocument(const QByteArray& bytes, TOpenEncoding encoding = TOpenEncoding::oeAuto);

// The bytes of a text in a document's encoding and line ends. When the encoding lacks one of its
// characters, nothing is returned and `missing` names it, with its line (1-based).
struct TMissingCharacter {
    QString Character;
    int Line = 0;
};
std::optional<QByteArray> EncodeDocument(const TDocument& document, TMissingCharacter* missing = nullptr);
// Whether the document encodes to exactly `bytes` (compared piece by piece, without a copy).
bool EncodesBackTo(const TDocument& document, const QByteArray& bytes);
// The same for a text given as its lines (the document's Text is not used): line i ends as
// Ends[i], the last as the document's settings say.
std::optional<QByteArray> EncodeLines(const TDocument& settings, const std::vector<QString>& lines);

// The encoding and line ends a document is in, for the status bar ("Windows-1251, CR LF").
QString DescribeEncoding(const TDocument& document);

// Where a file stands on disk, to notice when another program changes it.
struct TFileStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    std::int64_t ModifiedNs = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp StampOf(const QString& path);

// Reads a file for the editor. Refuses, with "Cannot open file <path>" and the reason on a second
// line, what the editor cannot hold: folders, pipes, sockets and devices (without ever waiting for
// them), and files larger than `limit` bytes or than the free memory can take.
bool ReadDocumentFile(const QString& path, QByteArray& bytes, TFileStamp& stamp, QString& error,
                      std::int64_t limit = std::int64_t(1) << 30);

// Writes bytes through TSafeFile; false with "Cannot create file <path>" and the reason.
bool WriteDocumentFile(const QString& path, const QByteArray& bytes, QString& error);

} // namespace zelm
