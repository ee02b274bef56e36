#pragma once
#include <cstdint>
#include <string_view>

namespace platform {

// Windows-style locale identifier of a POSIX locale name such as "zh_CN.UTF-8" or "en_US@euro";
// 0 for C, POSIX, an empty or an unknown name.
uint32_t LocaleNameToLcId(std::string_view name);

// Identifier of the process's message locale, taken from LC_ALL, LC_MESSAGES and LANG in that order
// (the first one set and not empty decides, as the C library does).
uint32_t MessageLocaleId();

} // namespace platform
