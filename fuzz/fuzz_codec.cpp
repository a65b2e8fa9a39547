// The UTF-8 validator, decoder and sanitizer, and the encoding detector: pieces give the answer of
// the whole, and every UTF-8 made is well-formed.
#include "Cp1251.h"
#include "EncodingDetector.h"
#include "FuzzSplit.h"

#include <string>

using namespace zelm;
using zelm::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto split = zelm::fuzz::Split(data, size);
    const std::string_view text = split.Text;

    TUtf8Validator validator;
    TEncodingDetector detector;
    TUtf8ToCp1251 decoder(data[0] & 1 ? TAcuteAccent::amStressMark : TAcuteAccent::amDrop);
    TUtf8Sanitizer sanitizer;
    std::string decoded, sanitized;
    for (const std::string_view piece : split.Pieces) {
        validator.Feed(piece);
        detector.Feed(piece);
        decoder.Decode(piece, decoded);
        sanitizer.Feed(piece, sanitized);
    }
    decoder.Finish(decoded);
    sanitizer.Finish(sanitized);

    Check(validator.Finish() == IsValidUtf8(text));
    Check(detector.Result() == DetectEncoding(text));
    Check(decoded == Utf8ToCp1251(text, size && (data[0] & 1) ? TAcuteAccent::amStressMark : TAcuteAccent::amDrop));
    std::string whole;
    AppendValidUtf8(whole, text);
    Check(sanitized == whole);
    Check(IsValidUtf8(sanitized));
    Check(!IsValidUtf8(text) || sanitized == text);
    Check(IsValidUtf8(Cp1251ToUtf8(decoded)));
    Check(IsValidUtf8(Cp1251ToUtf8(text)));
    // Well-formed UTF-8 is never called Windows-1251 when the detector sees no Windows-1251 writing
    // in it, and malformed text is never UTF-8.
    if (!IsValidUtf8(text)) Check(DetectEncoding(text) == TDetectedEncoding::deCp1251);
    return 0;
}
