// Cutting a word list into its lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace zelm {

// A line at least this long is evaluated where it stands instead of being copied into a block.
inline constexpr std::size_t LongLine = std::size_t(1) << 20;

// Cuts a word list into its lines, trimmed of blanks and control characters (codes 0 to 32);
// empty lines are left out. A line may run over any number of pieces; only the part of a line
// that runs past the end of a piece is copied, into a buffer that grows by a quarter at a time so
// that a very long line takes little more than its own size.
class TLineSplitter {
public:
    template <class F> void Feed(std::string_view piece, F&& line) {
        std::size_t start = 0;
        while (start < piece.size()) {
            const void* found = std::memchr(piece.data() + start, '\n', piece.size() - start);
            if (!found) {
                if (Pending_.empty()) Begin_ = Base_ + start;
                Hold(piece.substr(start));
                Base_ += piece.size();
                return;
            }
            const auto newline = std::size_t(static_cast<const char*>(found) - piece.data());
            ++Line_;
            if (Pending_.empty()) {
                Begin_ = Base_ + start;
                Emit(piece.substr(start, newline - start), line);
            } else {
                Hold(piece.substr(start, newline - start));
                Emit(Pending_, line);
                Release();
            }
            start = newline + 1;
        }
        Base_ += piece.size();
    }

    // The last line, when the list does not end with a line break.
    template <class F> void Finish(F&& line) {
        ++Line_;
        Emit(Pending_, line);
        Release();
    }

    // The number (from 1) of the line being handed out, counting empty lines too.
    std::uint64_t LineNumber() const { return Line_; }

    // Where the line being handed out starts (trimmed) in all the bytes fed so far.
    std::uint64_t LineOffset() const { return Offset_; }

private:
    template <class F> void Emit(std::string_view text, F& line) {
        std::size_t begin = 0, end = text.size();
        while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
        while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
        Offset_ = Begin_ + begin;
        if (begin < end) line(text.substr(begin, end - begin));
    }
    void Hold(std::string_view part) {
        if (Pending_.size() + part.size() > Pending_.capacity())
            Pending_.reserve(std::max(Pending_.size() + part.size(), Pending_.capacity() + Pending_.capacity() / 4));
        Pending_.append(part);
    }
    void Release() {
        if (Pending_.capacity() > LongLine) std::string().swap(Pending_); // give a long line's memory back
        else Pending_.clear();
    }
    std::string Pending_;
    std::uint64_t Line_ = 0;
    std::uint64_t Base_ = 0, Begin_ = 0, Offset_ = 0; // offsets of the piece, of the line, of its text
};

} // namespace zelm
