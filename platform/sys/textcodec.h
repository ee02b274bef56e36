#pragma once
// Conversions between UTF-8 and GBK, the code page that files from existing installations use.
// GB18030 stands for GBK throughout: it reads and writes every GBK byte sequence unchanged and
// also holds the characters GBK lacks, so nothing typed is lost on the way to disk.
#include <cstddef>
#include <optional>
#include <string>

namespace platform {

bool IsValidUtf8(const std::string &bytes);
// Nothing when any byte sequence is not GBK.
std::optional<std::string> GbkToUtf8(const std::string &gbk);
// Nothing when the text is not valid UTF-8.
std::optional<std::string> Utf8ToGbk(const std::string &utf8);

// Best-effort readings of bytes that are not clean: every byte that starts no valid sequence
// becomes U+FFFD and is counted in errors.
std::string GbkToUtf8Lenient(const std::string &gbk, size_t &errors);
std::string Utf8Lenient(const std::string &bytes, size_t &errors);

} // namespace platform
