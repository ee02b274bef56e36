// Any file and any single write of one key: the write changes only the bytes of that value or
// inserts only new lines, every line that was there reads as before, every other key keeps its
// value, and the key reads back as written; texts that could not be found again are refused and
// leave the file as it was.
#include "fuzz/check.h"
#include "platform/sys/inifile.h"
#include "platform/sys/profiletext.h"
#include "platform/sys/strconv.h"
#include "platform/sys/textcodec.h"

#include <strings.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using platform::TProfileText;
using platform::TrimBlanks;

namespace {

std::string folder()
{
    char pattern[] = "/tmp/fuzz-inifile-XXXXXX";
    const char *made = ::mkdtemp(pattern);
    FUZZ_CHECK(made != nullptr);
    static const std::string path = made;
    std::atexit([] { std::filesystem::remove_all(path); });
    return path;
}

void put(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string get(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool same(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Every section and key name the file holds, as it reads.
std::vector<std::pair<std::string, std::string>> names(const TProfileText &text)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::optional<std::string> section;
    for (size_t i = 0; i < text.LineCount(); ++i) {
        const std::string line = TrimBlanks(text.Line(i));
        if (!line.empty() && line.front() == '[') {
            section.reset();
            if (line.size() >= 2 && line.back() == ']')
                section = TrimBlanks(line.substr(1, line.size() - 2));
        } else if (const size_t eq = line.find('='); section && eq != std::string::npos) {
            out.emplace_back(*section, TrimBlanks(line.substr(0, eq)));
        }
    }
    return out;
}

bool storable(const std::string &section, const std::string &key, const std::string &value)
{
    for (const std::string &t : {section, key, value})
        if (!platform::IsValidUtf8(t) || t.find_first_of("\r\n") != std::string::npos)
            return false;
    return (key.empty() || key.front() != '[') && key.find('=') == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string path = folder() + "/settings.ini";
    if (size < 3)
        return 0;
    const size_t sectionLength = data[0] % 16, keyLength = data[1] % 16, valueLength = data[2] % 32;
    if (size < 3 + sectionLength + keyLength + valueLength)
        return 0;
    const char *p = reinterpret_cast<const char *>(data) + 3;
    const std::string section(p, sectionLength);
    const std::string key(p + sectionLength, keyLength);
    const std::string value(p + sectionLength + keyLength, valueLength);
    const std::string before(p + sectionLength + keyLength + valueLength, reinterpret_cast<const char *>(data) + size);

    put(path, before);
    const platform::TIniFile ini(path);
    const std::string s = TrimBlanks(section), k = TrimBlanks(key);
    const TProfileText old(before);
    const std::string missing = "\x01missing";
    const bool existed = old.Value(s, k).has_value();
    FUZZ_CHECK(ini.ReadString(section, key, missing) == old.Value(s, k).value_or(missing));

    try {
        ini.WriteString(section, key, value);
        FUZZ_CHECK(storable(s, k, value));
    } catch (const platform::EIniFileException &) {
        FUZZ_CHECK(!storable(s, k, value));
        FUZZ_CHECK(get(path) == before);
        return 0;
    }
    const std::string after = get(path);

    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < std::min(before.size(), after.size()) - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
    const std::string added = after.substr(prefix, after.size() - prefix - suffix);
    if (existed && before != after) {
        // Bytes of one value only: after the first '=' of their line and before its line end.
        FUZZ_CHECK(removed.find('\n') == std::string::npos && added.find('\n') == std::string::npos);
        const size_t lineStart = prefix == 0 ? std::string::npos : before.rfind('\n', prefix - 1);
        const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t contentEnd = std::min(before.find('\n', prefix), before.size());
        while (contentEnd > from && before[contentEnd - 1] == '\r')
            --contentEnd;
        FUZZ_CHECK(before.substr(from, prefix - from).find('=') != std::string::npos);
        FUZZ_CHECK(before.size() - suffix <= contentEnd);
    } else if (!existed) {
        FUZZ_CHECK(removed.empty());
    }

    const TProfileText now(after);
    size_t head = 0;
    while (head < old.LineCount() && head < now.LineCount() && old.Line(head) == now.Line(head))
        ++head;
    size_t tail = 0;
    while (tail < std::min(old.LineCount(), now.LineCount()) - head
           && old.Line(old.LineCount() - 1 - tail) == now.Line(now.LineCount() - 1 - tail))
        ++tail;
    FUZZ_CHECK(head + tail + (existed ? 1 : 0) >= old.LineCount());
    FUZZ_CHECK(existed ? now.LineCount() == old.LineCount() : now.LineCount() > old.LineCount());

    FUZZ_CHECK(ini.ReadString(section, key, missing) == TrimBlanks(value));
    for (const auto &[otherSection, otherKey] : names(old))
        if (!(same(otherSection, s) && same(otherKey, k)))
            FUZZ_CHECK(now.Value(otherSection, otherKey) == old.Value(otherSection, otherKey));
    return 0;
}
