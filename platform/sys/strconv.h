#pragma once
// Text to number conversions with the classic rules that stored files and typed fields rely on.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole text as a signed 32-bit integer: decimal with an optional sign, or "$"/"0x"
// hexadecimal, which spans all 32 bits. Anything else, blanks included, gives nothing.
std::optional<int32_t> StrToIntValue(std::string_view text);

// The text without the characters of codes up to 32 at either end.
std::string TrimBlanks(std::string_view text);

} // namespace platform
