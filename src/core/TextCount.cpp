#include "TextCount.h"

#include "Formats.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zelm {

bool TTextCount::Evaluate(TInputFile& file, const std::string& path, TEvaluation& out) {
    std::string error;
    Cp1251_.BeginText();
    Utf8_.BeginText();
    if (!ReadTextBothWays(file, Encoding_, [&](std::string_view piece) { Cp1251_.FeedText(piece); },
                          [&](std::string_view piece) { Utf8_.FeedText(piece); }, IsUtf8_, error)) {
        Complain(error);
        return false;
    }
    Chosen().EndText(AsUtf8(path, TInputEncoding::ieAuto), out);
    return true;
}

TTextCounts::TTextCounts(TLanguage language)
    : Language(language), Cp1251(TEvaluator::TextCountSize(language)), Utf8(TEvaluator::TextCountSize(language)) {}

TTextCounts& TTextCounts::operator+=(const TTextCounts& other) {
    if (other.Language != Language) throw std::invalid_argument("counts of Russian and Ukrainian texts do not add");
    if (other.Empty) return *this;
    if (Empty) return *this = other;
    if (other.Encoding != Encoding) throw std::invalid_argument("counts made in different encodings do not add");
    for (std::size_t i = 0; i < Cp1251.size(); ++i) {
        Cp1251[i] += other.Cp1251[i];
        Utf8[i] += other.Utf8[i];
    }
    Evidence += other.Evidence;
    Utf16 = Utf16 || other.Utf16;
    return *this;
}

bool TTextCounts::IsUtf8() const {
    if (Encoding != TInputEncoding::ieAuto) return Encoding == TInputEncoding::ieUtf8;
    return !Empty && (Utf16 || Evidence.Decision() != TDetectedEncoding::deCp1251);
}

void TTextCounts::Evaluate(TEvalScheme scheme, std::string_view input, TEvaluation& out) const {
    TEvaluator evaluator(Language, scheme);
    evaluator.EvaluateTextCounts(IsUtf8() ? Utf8 : Cp1251, input, out);
}

namespace {

// The size from which a file is counted in pieces: 4 MiB (below it one pass is as fast), or
// ZELM_TEXT_PARALLEL_FROM bytes when set (the tests cut small texts into many pieces).
std::uint64_t ParallelFrom() {
    if (const char* forced = std::getenv("ZELM_TEXT_PARALLEL_FROM"))
        if (const long long n = std::atoll(forced); n >= 1) return std::uint64_t(n);
    return std::uint64_t(4) << 20;
}

// Where the pieces of a file of `size` bytes start: 0, then just after the first line end at or
// past each of jobs - 1 equal cuts (fewer where lines are long), then the size.
std::vector<std::uint64_t> CutsAfterLineEnds(const std::string& path, std::uint64_t size, std::size_t jobs) {
    std::vector<std::uint64_t> cuts{0};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {0, size};
    std::vector<char> window(std::size_t(1) << 16);
    for (std::size_t k = 1; k < jobs; ++k) {
        std::uint64_t at = std::max(size / jobs * k, cuts.back()), cut = size;
        while (at < size) {
            const ssize_t n = ::pread(fd, window.data(), window.size(), off_t(at));
            if (n <= 0) break;
            if (const void* end = std::memchr(window.data(), '\n', std::size_t(n))) {
                cut = at + std::uint64_t(static_cast<const char*>(end) - window.data()) + 1;
                break;
            }
            at += std::uint64_t(n);
        }
        if (cut >= size) break;
        if (cut > cuts.back()) cuts.push_back(cut);
    }
    ::close(fd);
    cuts.push_back(size);
    return cuts;
}

} // namespace

bool CountTextFile(const std::string& path, TLanguage language, TInputEncoding encoding, std::size_t jobs,
                   TTextCounts& out, std::string& error) {
    auto file = TInputFile::Open(path, error);
    if (!file) return false;
    const std::size_t threads = jobs ? jobs : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    struct stat info {};
    if (path == "-" || threads == 1 || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        std::uint64_t(info.st_size) < ParallelFrom())
        return CountText(*file, language, encoding, out, error);
    // A UTF-16 text is read whole, as its UTF-8 form.
    if (encoding == TInputEncoding::ieAuto && file->ProbeUtf16(error)) return CountText(*file, language, encoding, out, error);
    if (!error.empty()) return false;
    const std::vector<std::uint64_t> cuts = CutsAfterLineEnds(path, std::uint64_t(info.st_size), threads);
    const std::size_t pieces = cuts.size() - 1;
    std::vector<TTextCounts> parts(pieces, TTextCounts(language));
    std::vector<std::string> errors(pieces);
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < pieces; ++i)
        workers.emplace_back([&, i, first = i == 0 ? std::move(file) : nullptr]() mutable {
            std::string& failed = errors[i];
            auto piece = first ? std::move(first) : TInputFile::Open(path, failed);
            if (piece && piece->Restrict(cuts[i], cuts[i + 1] - cuts[i], failed))
                CountText(*piece, language, encoding, parts[i], failed);
        });
    for (std::thread& worker : workers) worker.join();
    for (std::size_t i = 0; i < pieces; ++i)
        if (!errors[i].empty()) {
            error = errors[i];
            return false;
        }
    out = parts.front();
    for (std::size_t i = 1; i < pieces; ++i) out += parts[i];
    return true;
}

bool CountText(TInputFile& file, TLanguage language, TInputEncoding encoding, TTextCounts& out, std::string& error) {
    // The scheme plays no part in counting.
    TEvaluator cp1251(language, TEvalScheme::esZhuravlev), utf8(language, TEvalScheme::esZhuravlev);
    cp1251.BeginText();
    utf8.BeginText();
    bool isUtf8 = false;
    out = TTextCounts(language);
    out.Encoding = encoding;
    if (!ReadTextBothWays(
            file, encoding, [&](std::string_view piece) { cp1251.FeedText(piece); },
            [&](std::string_view piece) { utf8.FeedText(piece); }, isUtf8, error, &out.Evidence))
        return false;
    out.Empty = false;
    out.Utf16 = file.IsUtf16();
    // A reading that was not made (the encoding fixes the other) ends with nothing counted.
    out.Cp1251 = cp1251.EndTextCounts();
    out.Utf8 = utf8.EndTextCounts();
    return true;
}

} // namespace zelm
