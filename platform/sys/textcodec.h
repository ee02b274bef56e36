#pragma once
// Conversions between UTF-8 and GBK, the code page that files from existing installations use.
#include <string>

namespace platform {

bool IsValidUtf8(const std::string &bytes);
// Invalid byte sequences are replaced by '?'.
std::string GbkToUtf8(const std::string &gbk);
std::string Utf8ToGbk(const std::string &utf8);

} // namespace platform
