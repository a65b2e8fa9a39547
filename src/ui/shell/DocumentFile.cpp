#include "DocumentFile.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Engines.h"
#include "FileNames.h"
#include "SafeFile.h"

#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zelm {

namespace {

// A byte that is no part of a well-formed UTF-8 sequence is kept as this code unit plus the byte
// (a lone low surrogate, which no well-formed text holds), and written back as the byte.
constexpr char16_t KeptByteBase = 0xDC00;

bool IsKeptByte(char16_t unit) { return unit >= KeptByteBase + 0x80 && unit <= KeptByteBase + 0xFF; }

// The length of the well-formed UTF-8 sequence at `at`, or 0.
std::size_t SequenceLength(const unsigned char* p, std::size_t at, std::size_t n) {
    const unsigned char b = p[at];
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) length = 2;
    else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else return 0;
    if (at + length > n) return 0;
    if (p[at + 1] < low || p[at + 1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (p[at + k] < 0x80 || p[at + k] > 0xBF) return 0;
    return length;
}

// UTF-8 with every stray byte kept; counts the well-formed sequences beyond ASCII and the bytes kept.
// Without `text`, only counts, and only as far as the choice below needs them.
void ReadUtf8Keeping(std::string_view bytes, std::size_t& sequences, std::size_t& kept, QString* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    if (text) *text = QString(qsizetype(n), Qt::Uninitialized); // a unit a byte at most
    char16_t* const begin = text ? reinterpret_cast<char16_t*>(text->data()) : nullptr;
    char16_t* out = begin;
    sequences = kept = 0;
    for (std::size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            const std::size_t end = AsciiRunEnd(bytes, i);
            if (out)
                for (; i < end; ++i) *out++ = char16_t(p[i]);
            i = end;
            continue;
        }
        const std::size_t length = SequenceLength(p, i, n);
        if (length == 0) {
            if (out) *out++ = char16_t(KeptByteBase + p[i]);
            ++kept;
            ++i;
            // Counting only, for the choice "at least four sequences a kept byte": stop once the
            // rest could not bring it about.
            if (!out && sequences + (n - i) / 2 < 4 * kept) return;
            continue;
        }
        if (out) {
            char32_t code = p[i] & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (p[i + k] & 0x3F);
            if (QChar::requiresSurrogates(code)) {
                *out++ = QChar::highSurrogate(code);
                *out++ = QChar::lowSurrogate(code);
            } else {
                *out++ = char16_t(code);
            }
        }
        ++sequences;
        i += length;
    }
    if (text) text->truncate(qsizetype(out - begin));
}

QString DecodeUtf8Keeping(std::string_view bytes, std::size_t& sequences, std::size_t& kept) {
    QString text;
    ReadUtf8Keeping(bytes, sequences, kept, &text);
    return text;
}

QString DecodeUtf16(std::string_view bytes, bool bigEndian) {
    const std::size_t units = bytes.size() / 2;
    QString text(qsizetype(units + bytes.size() % 2), Qt::Uninitialized);
    QChar* out = text.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < units; ++i)
        *out++ = QChar(char16_t(bigEndian ? (p[2 * i] << 8) | p[2 * i + 1] : (p[2 * i + 1] << 8) | p[2 * i]));
    if (bytes.size() % 2) *out = QChar(char16_t(KeptByteBase + p[bytes.size() - 1])); // an odd last byte
    return text;
}

// Cuts a decoded text into lines at every character the editor takes for a line break, noting how
// each line ended; the most common of CR LF, LF and CR becomes the document's line end.
void SplitLines(QString decoded, TDocument& document) {
    document.Ends.clear();
    std::size_t counts[3] = {0, 0, 0};
    QChar* p = decoded.data();
    const qsizetype n = decoded.size();
    qsizetype kept = 0; // the text is cut in place: it only ever shrinks
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        TLineEnd end;
        if (c == u'\n') end = TLineEnd::leLf;
        else if (c == u'\r') end = i + 1 < n && p[i + 1] == u'\n' ? TLineEnd::leCrLf : TLineEnd::leCr;
        else if (c == 0x2029) end = TLineEnd::leParagraph;
        else if (c == 0xFDD0) end = TLineEnd::leFrameStart;
        else if (c == 0xFDD1) end = TLineEnd::leFrameEnd;
        else {
            p[kept++] = p[i];
            continue;
        }
        p[kept++] = QLatin1Char('\n');
        document.Ends.push_back(end);
        if (end <= TLineEnd::leCr) ++counts[int(end)];
        if (end == TLineEnd::leCrLf) ++i;
    }
    decoded.truncate(kept);
    document.Text = std::move(decoded);
    document.LineEnd = TLineEnd::leCrLf;
    if (counts[1] > counts[0] && counts[1] >= counts[2]) document.LineEnd = TLineEnd::leLf;
    else if (counts[2] > counts[0] && counts[2] > counts[1]) document.LineEnd = TLineEnd::leCr;
}

int LineOfFirstKeptByte(const QString& text) {
    int line = 1;
    for (const QChar c : text) {
        if (c == u'\n') ++line;
        else if (IsKeptByte(c.unicode())) return line;
    }
    return 0;
}

char16_t LineEndCharacter(TLineEnd end) {
    switch (end) {
    case TLineEnd::leParagraph: return 0x2029;
    case TLineEnd::leFrameStart: return 0xFDD0;
    case TLineEnd::leFrameEnd: return 0xFDD1;
    default: return 0;
    }
}

// Appends one code unit sequence (a character, or a kept byte) in the document's encoding; false
// when a Windows-1251 document cannot hold it.
class TEncoder {
public:
    TEncoder(TDocEncoding encoding, QByteArray& out) : Encoding_(encoding), Out_(out) {}

    bool Append(const QChar* p, qsizetype n, qsizetype& bad) {
        const qsizetype at = Out_.size();
        switch (Encoding_) {
        case TDocEncoding::deCp1251: {
            Out_.resize(at + n);
            char* out = Out_.data() + at;
            for (qsizetype i = 0; i < n; ++i) {
                const int byte = UnicodeToCp1251Fast(p[i].unicode());
                if (byte < 0 || p[i].isSurrogate()) {
                    Out_.resize(at + i);
                    bad = i;
                    return false;
                }
                out[i] = char(byte);
            }
            return true;
        }
        case TDocEncoding::deUtf8: {
            Out_.resize(at + 3 * n); // at most three bytes a unit (four for a pair of two)
            char* const begin = Out_.data() + at;
            char* out = begin;
            for (qsizetype i = 0; i < n; ++i) {
                const char16_t c = p[i].unicode();
                if (c < 0x80) {
                    *out++ = char(c);
                } else if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
                    out = Utf8(out, QChar::surrogateToUcs4(c, p[i + 1].unicode()));
                    ++i;
                } else if (IsKeptByte(c)) {
                    *out++ = char(c - KeptByteBase);
                } else {
                    out = Utf8(out, QChar::isSurrogate(c) ? char32_t(0xFFFD) : char32_t(c));
                }
            }
            Out_.resize(at + (out - begin));
            return true;
        }
        case TDocEncoding::deUtf16LE:
        case TDocEncoding::deUtf16BE: {
            Out_.resize(at + 2 * n);
            char* out = Out_.data() + at;
            const bool big = Encoding_ == TDocEncoding::deUtf16BE;
            for (qsizetype i = 0; i < n; ++i) {
                const char16_t unit = p[i].unicode();
                out[2 * i + (big ? 0 : 1)] = char(unit >> 8);
                out[2 * i + (big ? 1 : 0)] = char(unit & 0xFF);
            }
            return true;
        }
        }
        return true;
    }

    void LineEnd(TLineEnd end) {
        qsizetype bad = 0;
        const auto ascii = [&](const char* s) {
            for (; *s; ++s) {
                const QChar c = QLatin1Char(*s);
                Append(&c, 1, bad);
            }
        };
        switch (end) {
        case TLineEnd::leCrLf: ascii("\r\n"); break;
        case TLineEnd::leLf: ascii("\n"); break;
        case TLineEnd::leCr: ascii("\r"); break;
        default: {
            const QChar c(LineEndCharacter(end));
            if (Encoding_ == TDocEncoding::deCp1251) ascii("\r\n"); // the code page has none of them
            else Append(&c, 1, bad);
        }
        }
    }

    void ByteOrderMark() {
        const QChar mark(char16_t(0xFEFF));
        qsizetype bad = 0;
        Append(&mark, 1, bad);
    }

private:
    static char* Utf8(char* out, char32_t code) {
        if (code < 0x800) {
            *out++ = char(0xC0 | (code >> 6));
        } else if (code < 0x10000) {
            *out++ = char(0xE0 | (code >> 12));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
        } else {
            *out++ = char(0xF0 | (code >> 18));
            *out++ = char(0x80 | ((code >> 12) & 0x3F));
            *out++ = char(0x80 | ((code >> 6) & 0x3F));
        }
        *out++ = char(0x80 | (code & 0x3F));
        return out;
    }
    TDocEncoding Encoding_;
    QByteArray& Out_;
};

std::int64_t AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::int64_t value = 0;
    std::string unit;
    while (meminfo >> key >> value >> unit)
        if (key == "MemAvailable:") return value * 1024;
    return -1;
}

QString Bytes(std::int64_t count) {
    return QLocale(QLocale::Russian, QLocale::Russia).toString(qlonglong(count)) + QStringLiteral(" байт");
}

} // namespace

TDocument DecodeDocument(const QByteArray& bytes, TOpenEncoding encoding) {
    TDocument document;
    document.FinalLineEnd = false;
    document.EncodingFree = false;
    std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    QString decoded;
    const bool utf8Mark = view.starts_with("\xEF\xBB\xBF");
    const bool littleMark = view.starts_with("\xFF\xFE"), bigMark = view.starts_with("\xFE\xFF");

    if (encoding == TOpenEncoding::oeAuto && (littleMark || bigMark)) encoding = TOpenEncoding::oeUtf16;
    if (encoding == TOpenEncoding::oeAuto && utf8Mark) encoding = TOpenEncoding::oeUtf8;
    document.Binary = encoding != TOpenEncoding::oeUtf16 && view.find('\0') != std::string_view::npos;

    std::size_t sequences = 0, kept = 0;
    switch (encoding) {
    case TOpenEncoding::oeUtf16:
        document.Encoding = bigMark ? TDocEncoding::deUtf16BE : TDocEncoding::deUtf16LE;
        document.ByteOrderMark = littleMark || bigMark;
        if (document.ByteOrderMark) view.remove_prefix(2);
        decoded = DecodeUtf16(view, bigMark);
        break;
    case TOpenEncoding::oeUtf8:
        document.Encoding = TDocEncoding::deUtf8;
        document.ByteOrderMark = utf8Mark;
        if (utf8Mark) view.remove_prefix(3);
        decoded = DecodeUtf8Keeping(view, sequences, kept);
        break;
    case TOpenEncoding::oeCp1251: decoded = FromCp1251(view); break;
    case TOpenEncoding::oeAuto: {
        TEncodingDetector detector;
        detector.Feed(view);
        const TDetectedEncoding detected = detector.Result();
        if (detected == TDetectedEncoding::deAscii) {
            decoded = FromCp1251(view);
            document.EncodingFree = true;
        } else if (detected == TDetectedEncoding::deUtf8 ||
                   (IsValidUtf8(view) && !detector.Cp1251LooksLikeWriting())) {
            document.Encoding = TDocEncoding::deUtf8;
            decoded = DecodeUtf8Keeping(view, sequences, kept);
        } else if (!IsValidUtf8(view)) {
            // Mostly UTF-8 with a few stray bytes stays UTF-8 (the bytes kept); anything else is
            // Windows-1251, which reads every byte.
            ReadUtf8Keeping(view, sequences, kept, nullptr);
            if (sequences > 0 && sequences >= 4 * kept) {
                document.Encoding = TDocEncoding::deUtf8;
                decoded = DecodeUtf8Keeping(view, sequences, kept);
            } else {
                decoded = FromCp1251(view);
            }
        } else {
            decoded = FromCp1251(view);
        }
        break;
    }
    }
    SplitLines(std::move(decoded), document);
    if (document.Encoding != TDocEncoding::deCp1251) document.UndecodableLine = LineOfFirstKeptByte(document.Text);
    return document;
}

namespace {

// Encodes the document line by line into `out`, calling `flush` with it after each line (it may
// take and empty it; false stops). False where the encoding cannot hold a character (`missing`
// says which) or `flush` stopped.
template <class TFlush>
bool EncodeInto(const TDocument& document, QByteArray& out, TFlush&& flush, TMissingCharacter* missing) {
    TEncoder encoder(document.Encoding, out);
    if (document.ByteOrderMark && document.Encoding != TDocEncoding::deCp1251) encoder.ByteOrderMark();
    const QChar* p = document.Text.constData();
    const qsizetype n = document.Text.size();
    qsizetype start = 0;
    std::size_t line = 0;
    for (;;) {
        const qsizetype found = QStringView(p + start, n - start).indexOf(u'\n');
        const qsizetype end = found < 0 ? n : start + found;
        qsizetype bad = 0;
        if (!encoder.Append(p + start, end - start, bad)) {
            if (missing) {
                const qsizetype at = start + bad;
                missing->Character = p[at].isHighSurrogate() && at + 1 < n ? QString(p + at, 2) : QString(p[at]);
                missing->Line = int(line + 1);
            }
            return false;
        }
        if (end == n) {
            if (document.FinalLineEnd && end > start) encoder.LineEnd(document.LineEnd);
            return flush(out);
        }
        encoder.LineEnd(line < document.Ends.size() ? document.Ends[line] : document.LineEnd);
        if (!flush(out)) return false;
        ++line;
        start = end + 1;
    }
}

} // namespace

std::optional<QByteArray> EncodeDocument(const TDocument& document, TMissingCharacter* missing) {
    QByteArray out;
    out.reserve(document.Text.size() + document.Text.size() / 4 + 16);
    if (!EncodeInto(document, out, [](QByteArray&) { return true; }, missing)) return std::nullopt;
    return out;
}

bool EncodesBackTo(const TDocument& document, const QByteArray& bytes) {
    qsizetype matched = 0;
    const auto compare = [&](QByteArray& piece) {
        if (piece.size() > bytes.size() - matched || std::memcmp(piece.constData(), bytes.constData() + matched, std::size_t(piece.size())) != 0)
            return false;
        matched += piece.size();
        piece.clear();
        return true;
    };
    QByteArray piece;
    return EncodeInto(document, piece, [&](QByteArray& out) { return out.size() < (1 << 16) || compare(out); }, nullptr) &&
           compare(piece) && matched == bytes.size();
}

std::optional<QByteArray> EncodeLines(const TDocument& settings, const std::vector<QString>& lines) {
    qsizetype size = 16;
    for (const QString& line : lines) size += line.size() + 2;
    QByteArray out;
    out.reserve(size + size / 4);
    TEncoder encoder(settings.Encoding, out);
    if (settings.ByteOrderMark && settings.Encoding != TDocEncoding::deCp1251) encoder.ByteOrderMark();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        qsizetype bad = 0;
        if (!encoder.Append(lines[line].constData(), lines[line].size(), bad)) return std::nullopt;
        if (line + 1 < lines.size()) encoder.LineEnd(line < settings.Ends.size() ? settings.Ends[line] : settings.LineEnd);
        else if (settings.FinalLineEnd && !lines[line].isEmpty()) encoder.LineEnd(settings.LineEnd);
    }
    return out;
}

QString DescribeEncoding(const TDocument& document) {
    QString name;
    switch (document.Encoding) {
    case TDocEncoding::deCp1251: name = QStringLiteral("Windows-1251"); break;
    case TDocEncoding::deUtf8: name = document.ByteOrderMark ? QStringLiteral("UTF-8 с BOM") : QStringLiteral("UTF-8"); break;
    case TDocEncoding::deUtf16LE: name = QStringLiteral("UTF-16 LE"); break;
    case TDocEncoding::deUtf16BE: name = QStringLiteral("UTF-16 BE"); break;
    }
    // A file of one line without a line end has none to name.
    if (document.Ends.empty() && !document.FinalLineEnd) return name + QStringLiteral(", без концов строк");
    const char* ends[] = {"CR LF", "LF", "CR"};
    return name + QStringLiteral(", ") + QLatin1String(ends[int(document.LineEnd) <= 2 ? int(document.LineEnd) : 0]);
}

namespace {
TFileStamp StampFrom(const struct stat& info) {
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Device = info.st_dev;
    stamp.Inode = info.st_ino;
    stamp.Size = info.st_size;
    stamp.ModifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}
} // namespace

TFileStamp StampOf(const QString& path) {
    struct stat info {};
    if (::stat(NativePath(path).constData(), &info) != 0) return {};
    return StampFrom(info);
}

bool ReadDocumentFile(const QString& path, QByteArray& bytes, TFileStamp& stamp, QString& error,
                      std::int64_t limit) {
    const QByteArray name = NativePath(path);
    const auto refuse = [&](const QString& reason) {
        error = QStringLiteral("Cannot open file %1\n%2").arg(ShownPath(path), reason);
        return false;
    };
    const auto kind = [&](mode_t mode) -> QString {
        if (S_ISDIR(mode)) return QStringLiteral("Это папка, а не файл.");
        if (S_ISFIFO(mode)) return QStringLiteral("Это именованный канал, а не файл: редактор открывает только обычные файлы.");
        if (S_ISSOCK(mode)) return QStringLiteral("Это сокет, а не файл: редактор открывает только обычные файлы.");
        if (!S_ISREG(mode)) return QStringLiteral("Это устройство, а не файл: редактор открывает только обычные файлы.");
        return {};
    };
    // Looked at before opening, so that opening never waits for a pipe's writer or starts a device.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (const QString reason = kind(info.st_mode); !reason.isEmpty()) return refuse(reason);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    struct TCloser {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } closer{fd};
    if (::fstat(fd, &info) != 0) return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (const QString reason = kind(info.st_mode); !reason.isEmpty()) return refuse(reason);
    const auto tooLarge = [&](std::int64_t size) {
        return refuse(QStringLiteral("Файл слишком велик для редактора: %1 (редактор открывает файлы до %2).")
                          .arg(Bytes(size), Bytes(limit)));
    };
    if (info.st_size > limit) return tooLarge(info.st_size);
    // The editor holds about ten bytes of memory for every byte of text.
    if (const std::int64_t free = AvailableMemory(); free >= 0 && std::int64_t(info.st_size) * 10 > free)
        return refuse(QStringLiteral("Файл слишком велик: %1, а свободной памяти %2 — его текст в ней не поместится.")
                          .arg(Bytes(info.st_size), Bytes(free)));
    QByteArray read;
    try {
        read.reserve(qsizetype(info.st_size));
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) break;
            if (n < 0) {
                if (errno == EINTR) continue;
                return refuse(QString::fromLocal8Bit(std::strerror(errno)));
            }
            if (read.size() + n > limit) return tooLarge(read.size() + n);
            read.append(buffer, qsizetype(n));
        }
    } catch (const std::bad_alloc&) {
        return refuse(QStringLiteral("Недостаточно памяти, чтобы прочитать файл (%1).").arg(Bytes(info.st_size)));
    }
    bytes = std::move(read);
    stamp = StampFrom(info); // as it was before reading: a change meanwhile shows later
    return true;
}

bool WriteDocumentFile(const QString& path, const QByteArray& bytes, QString& error) {
    std::string reason;
    if (WriteFileSafely(NativePath(path).toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())),
                        reason))
        return true;
    error = QStringLiteral("Cannot create file %1\n%2").arg(ShownPath(path), QString::fromLocal8Bit(reason.c_str()));
    return false;
}

} // namespace zelm
