// Helpers that let tests write Windows-1251 text as readable UTF-8 literals.
#pragma once

#include "Cp1251.h"

#include <string>
#include <string_view>

namespace zelm::test {

// Windows-1251 bytes of a UTF-8 literal; "*" stays the stress mark.
inline std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// UTF-8 form of Windows-1251 bytes, for readable failure messages and comparisons.
inline std::string Utf(std::string_view cp1251) { return Cp1251ToUtf8(cp1251); }

} // namespace zelm::test
