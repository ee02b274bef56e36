// A write touches the bytes of one value, one key line or one section and nothing else, whatever
// the file holds; everything else reads as before.
#include "platform/sys/inifile.h"
#include "settingsfilefixture.h"
#include "platform/sys/profiletext.h"
#include "platform/sys/strconv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using platform::EIniFileException;
using platform::TIniFile;
using platform::TProfileText;
using platform::TrimBlanks;

namespace {

// The program's names in GBK.
const std::string GbkModule = "\xC4\xA3\xBF\xE9\xC9\xE8\xD6\xC3"; // 模块设置
const std::string GbkBasic = "\xBB\xF9\xB1\xBE\xB2\xCE\xCA\xFD";  // 基本参数
const std::string GbkPort = "\xB4\xAE\xBF\xDA\xBA\xC5";           // 串口号

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

using SettingsBytes = TSettingsFileTest;

// The faults measured on the earlier writer, each as a file, one write and the bytes it must give.
struct TFault {
    const char *what;
    std::string before;
    std::string section, key, value;
    std::string after;
};

TEST_F(SettingsBytes, MeasuredFaults)
{
    const std::vector<TFault> faults = {
        {"bytes that GBK rejects stay on untouched lines",
         "[" + GbkModule + "]\r\nIn1=1\r\n; \x80 stray\r\n; cut \xC4\r\n; \xE4\xB8\xAD utf-8\r\nIn2=\xFF\r\n",
         "模块设置", "In1", "2",
         "[" + GbkModule + "]\r\nIn1=2\r\n; \x80 stray\r\n; cut \xC4\r\n; \xE4\xB8\xAD utf-8\r\nIn2=\xFF\r\n"},
        {"a truncated character is not turned into a question mark",
         "\xC7\x8F\xC3", "s", "k", "v", "\xC7\x8F\xC3\r\n\r\n[s]\r\nk=v\r\n"},
        {"a UTF-8 file with a stray byte in a comment is found and written as UTF-8",
         "; \xFF\n[基本参数]\n串口号=3\n串口名=/dev/ttyUSB0\n工作模式=1\n", "基本参数", "串口号", "4",
         "; \xFF\n[基本参数]\n串口号=4\n串口名=/dev/ttyUSB0\n工作模式=1\n"},
        {"LF line ends stay LF, and an added key takes its neighbour's", "[s]\na=1\n[t]\r\nb=2\r\n", "s", "c", "3",
         "[s]\na=1\nc=3\n[t]\r\nb=2\r\n"},
        {"an added key takes CR LF beside CR LF", "[s]\r\na=1\r\n[t]\nb=2\n", "s", "c", "3",
         "[s]\r\na=1\r\nc=3\r\n[t]\nb=2\n"},
        {"CR CR LF keeps both carriage returns", "[s]\r\nk=1\r\r\nj=1\r\r\n", "s", "k", "2", "[s]\r\nk=2\r\r\nj=1\r\r\n"},
        {"blanks around a value stay where they were", "[s]\nk =  1  \nj=\t\n", "s", "j", "x", "[s]\nk =  1  \nj=x\t\n"},
        {"a last line without a line end gets none", "[s]\nk=1", "s", "j", "2", "[s]\nk=1\nj=2"},
        {"a new key in a GBK file is GBK", "[" + GbkBasic + "]\r\nx=1\r\n", "基本参数", "串口号", "5",
         "[" + GbkBasic + "]\r\nx=1\r\n" + GbkPort + "=5\r\n"},
        {"a value in a file of plain ASCII is GBK", "[s]\nk=1\n", "s", "k", "中文", "[s]\nk=\xD6\xD0\xCE\xC4\n"},
        {"a byte-order mark stays and new text is UTF-8", "\xEF\xBB\xBF[s]\r\nk=1\r\n", "S", "K", "中", "\xEF\xBB\xBF[s]\r\nk=中\r\n"},
    };
    for (const TFault &f : faults) {
        SCOPED_TRACE(f.what);
        put(f.before);
        const TIniFile ini(path);
        ini.WriteString(f.section, f.key, f.value);
        EXPECT_EQ(Hex(bytes()), Hex(f.after));
        EXPECT_EQ(ini.ReadString(f.section, f.key, "?"), TrimBlanks(f.value));
    }
}

TEST_F(SettingsBytes, AUtf8FileWithAStrayByteReadsItsKeys)
{
    put("; \xFF\n[基本参数]\n串口号=3\n串口名=/dev/ttyUSB0\n工作模式=1\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("基本参数", "串口名", ""), "/dev/ttyUSB0");
    EXPECT_EQ(ini.ReadString("基本参数", "工作模式", ""), "1");
}

// Lines of other bytes that people and editors leave in a settings file: none of them may hide a
// section or key written in either encoding.
const std::vector<std::pair<const char *, std::string>> &OtherLines()
{
    static const std::vector<std::pair<const char *, std::string>> lines = {
        {"a comment ending in a lone lead byte", "; tail \x81"},
        {"a GBK lead byte before a blank", "; a\xC4 b"},
        {"a cut UTF-8 character", "; \xE5\x9F"},
        {"a stray 0xFF", "; stray \xFF byte"},
        {"a GBK comment", "; " + GbkModule + " \xD7\xA2\xCA\xCD"},
        {"a GBK key", GbkPort + "=3"},
        {"a GBK section", "[" + GbkPort + "]"},
    };
    return lines;
}

TEST_F(SettingsBytes, AUtf8SectionIsFoundWhateverAnotherLineHolds)
{
    for (const auto &[what, other] : OtherLines()) {
        SCOPED_TRACE(what);
        const std::string before = "[基本参数]\r\nx=1\r\n" + other + "\r\n[模块设置]\r\nIn1=68\r\n";
        put(before);
        const TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("模块设置", "In1", "?"), "68");
        EXPECT_EQ(ini.ReadString("基本参数", "x", "?"), "1");
        ini.WriteString("模块设置", "In1", "69");
        EXPECT_EQ(Hex(bytes()), Hex("[基本参数]\r\nx=1\r\n" + other + "\r\n[模块设置]\r\nIn1=69\r\n"));
    }
}

TEST_F(SettingsBytes, TextsThatCouldNotBeFoundAgainAreRefusedAndTheFileStays)
{
    const std::string before = "[s]\r\nk=1\r\n";
    const std::vector<std::array<std::string, 3>> refused = {
        {"s", "[k", "1"}, {"s", "  [k", "1"}, {"s", "a=b", "1"}, {"s", "k", "1\n2"},
        {"s", "k", "1\r"}, {"s\nt", "k", "1"}, {"s", "k", "\xFF"},
    };
    for (const auto &[section, key, value] : refused) {
        SCOPED_TRACE(Hex(section + "|" + key + "|" + value));
        put(before);
        EXPECT_THROW(TIniFile(path).WriteString(section, key, value), EIniFileException);
        EXPECT_EQ(bytes(), before);
    }
}

// Random profile files of every kind of mixture, each written once.
class RandomProfile {
public:
    explicit RandomProfile(std::mt19937 &rng) : r(rng) {}

    static inline const std::vector<std::string> Sections = {"模块设置", "基本参数", "s", "Other", "模", "x y"};
    static inline const std::vector<std::string> Keys = {"In1", "in2", "串口号", "工作模式", "k", "模", "串口名", "a b"};

    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(r); }
    bool chance(int percent) { return static_cast<int>(pick(100)) < percent; }

    // The same name as the program would give it: another case, blanks around it.
    std::string variant(const std::string &name)
    {
        std::string out = name;
        if (chance(30))
            for (char &c : out)
                if (c >= 'a' && c <= 'z' && chance(50))
                    c = static_cast<char>(c - 'a' + 'A');
        if (chance(20))
            out = " " + out + "\t";
        return out;
    }

    std::string text(size_t maxLength)
    {
        static const std::vector<std::string> pieces = {"a", "Z", "0", "9", " ", "=", "[", "]", ";", "中", "文", "模",
                                                        "ģ", "é", "😀", "\t", "/dev/ttyUSB0", "串口"};
        std::string out;
        for (size_t n = pick(maxLength + 1); n > 0; --n)
            out += pieces[pick(pieces.size())];
        return out;
    }

    std::string garbage()
    {
        std::string out;
        for (size_t n = pick(12); n > 0; --n) {
            char c;
            do {
                c = static_cast<char>(pick(256));
            } while (c == '\n');
            out += c;
        }
        return out;
    }

    std::string encoded(const std::string &utf8, bool gbk)
    {
        if (!gbk)
            return utf8;
        return iconvGbk(utf8);
    }

    std::string line(bool gbkFile)
    {
        const bool gbk = chance(80) ? gbkFile : !gbkFile;
        switch (pick(7)) {
        case 0:
            return encoded("[" + variant(Sections[pick(Sections.size())]) + "]", gbk);
        case 1:
        case 2: {
            // Name and value may come in different encodings.
            const bool valueGbk = chance(80) ? gbk : !gbk;
            return encoded(variant(Keys[pick(Keys.size())]) + (chance(30) ? " = " : "="), gbk)
                   + encoded(text(6), valueGbk) + (chance(20) ? garbage() : "");
        }
        case 3:
            return encoded("; " + text(8), gbk);
        case 4:
            return chance(50) ? "" : " \t";
        case 5:
            return OtherLines()[pick(OtherLines().size())].second;
        default:
            return garbage();
        }
    }

    std::string file()
    {
        static const std::vector<std::string> ends = {"\r\n", "\n", "\r\r\n"};
        const bool gbkFile = chance(50);
        const std::string &mainEnd = ends[pick(ends.size())];
        std::string out = chance(15) ? "\xEF\xBB\xBF" : "";
        for (size_t n = pick(14); n > 0; --n)
            out += line(gbkFile) + (chance(80) ? mainEnd : ends[pick(ends.size())]);
        if (chance(30))
            out += line(gbkFile); // no line end at the end
        return out;
    }

private:
    static std::string iconvGbk(const std::string &utf8);
    std::mt19937 &r;
};

std::string RandomProfile::iconvGbk(const std::string &utf8)
{
    // The writer's own encoder would make this test agree with itself; a table of the characters
    // the texts above use keeps it independent.
    static const std::map<std::string, std::string> table = {
        {"中", "\xD6\xD0"}, {"文", "\xCE\xC4"}, {"模", "\xC4\xA3"}, {"块", "\xBF\xE9"}, {"设", "\xC9\xE8"},
        {"置", "\xD6\xC3"}, {"基", "\xBB\xF9"}, {"本", "\xB1\xBE"}, {"参", "\xB2\xCE"}, {"数", "\xCA\xFD"},
        {"串", "\xB4\xAE"}, {"口", "\xBF\xDA"}, {"号", "\xBA\xC5"}, {"工", "\xB9\xA4"}, {"作", "\xD7\xF7"},
        {"式", "\xCA\xBD"}, {"名", "\xC3\xFB"}, {"é", "\xA8\xA6"}, {"ģ", "\x81\x30\x8B\x38"}, {"😀", "\x95\x32\x82\x36"}};
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        const std::string ch = utf8.substr(i, n);
        const auto it = table.find(ch);
        out += n == 1 ? ch : it == table.end() ? "?" : it->second;
        i += n;
    }
    return out;
}

std::vector<std::string> Lines(const std::string &bytes)
{
    const TProfileText text(bytes);
    std::vector<std::string> out;
    for (size_t i = 0; i < text.LineCount(); ++i)
        out.push_back(text.Line(i));
    return out;
}

TEST_F(SettingsBytes, AnyWriteChangesOnlyItsValueOrAddsOnlyItsLines)
{
    const unsigned seed = 20261210;
    std::mt19937 rng(seed);
    RandomProfile gen(rng);
    const std::string missing = "\x01missing";
    for (int round = 0; round < 1000; ++round) {
        const std::string before = gen.file();
        const std::string &section = RandomProfile::Sections[gen.pick(RandomProfile::Sections.size())];
        const std::string &key = RandomProfile::Keys[gen.pick(RandomProfile::Keys.size())];
        const std::string value = gen.text(5);
        SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) + ": [" + section + "] " + key + "="
                     + value + " into " + Hex(before));
        put(before);
        const TIniFile ini(path);
        std::map<std::pair<std::string, std::string>, std::string> read;
        const TProfileText original(before);
        for (const std::string &s : RandomProfile::Sections)
            for (const std::string &k : RandomProfile::Keys)
                read[{s, k}] = original.Value(s, k).value_or(missing);
        const bool existed = read[{section, key}] != missing;

        ASSERT_NO_THROW(ini.WriteString(gen.variant(section), gen.variant(key), value));
        const std::string after = bytes();

        size_t prefix = 0;
        while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
            ++prefix;
        size_t suffix = 0;
        while (suffix < std::min(before.size(), after.size()) - prefix
               && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
            ++suffix;
        const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
        const std::string added = after.substr(prefix, after.size() - prefix - suffix);
        if (existed && before != after) {
            // Only bytes of one value: after the first '=' of their line and before its line end.
            EXPECT_EQ(removed.find('\n'), std::string::npos) << Hex(after);
            EXPECT_EQ(added.find('\n'), std::string::npos) << Hex(after);
            const size_t lineStart = prefix == 0 ? std::string::npos : before.rfind('\n', prefix - 1);
            const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
            size_t contentEnd = std::min(before.find('\n', prefix), before.size());
            while (contentEnd > from && before[contentEnd - 1] == '\r')
                --contentEnd;
            EXPECT_NE(before.substr(from, prefix - from).find('='), std::string::npos) << Hex(after);
            EXPECT_LE(before.size() - suffix, contentEnd) << Hex(after);
        } else if (!existed) {
            EXPECT_EQ(removed, "") << Hex(after);
        }

        // Every line that was there reads as before; the new ones are one block.
        const std::vector<std::string> old = Lines(before), now = Lines(after);
        size_t same = 0;
        while (same < old.size() && same < now.size() && old[same] == now[same])
            ++same;
        size_t tail = 0;
        while (tail < std::min(old.size(), now.size()) - same && old[old.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        EXPECT_GE(same + tail + (existed ? 1 : 0), old.size()) << Hex(after);

        EXPECT_EQ(ini.ReadString(section, key, missing), TrimBlanks(value)) << Hex(after);
        const TProfileText written(after);
        for (const auto &[name, was] : read) {
            if (name != std::make_pair(section, key)) {
                EXPECT_EQ(written.Value(name.first, name.second).value_or(missing), was)
                    << name.first << "/" << name.second << " in " << Hex(after);
            }
        }
        if (HasFailure())
            break;
    }
}


// Files whose sections each come in UTF-8 or GBK, between other lines of any bytes: every key is
// found with the value it was written with, before and after a write of another key.
TEST_F(SettingsBytes, EveryNameIsFoundInTheEncodingItWasWrittenIn)
{
    const unsigned seed = 20261211;
    std::mt19937 rng(seed);
    RandomProfile gen(rng);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> sections = RandomProfile::Sections;
        std::shuffle(sections.begin(), sections.end(), rng);
        sections.resize(1 + gen.pick(sections.size()));
        const bool utf8File = gen.chance(50);
        std::map<std::pair<std::string, std::string>, std::string> written;
        std::string file = gen.chance(15) ? "\xEF\xBB\xBF" : "";
        // Within a section only lines that are neither sections nor keys, so that the written
        // names stay the first of their kind; before the first section any of them.
        auto other = [&] {
            if (!gen.chance(40))
                return;
            const std::string &line = OtherLines()[gen.pick(OtherLines().size())].second;
            if (line.front() == '[' || line.find('=') != std::string::npos)
                file += written.empty() && file.find('[') == std::string::npos ? line + "\r\n" : "";
            else
                file += (gen.chance(50) ? line : "; " + gen.garbage()) + "\r\n";
        };
        for (const std::string &section : sections) {
            const bool gbk = gen.chance(75) ? !utf8File : utf8File;
            other();
            file += gen.encoded("[" + gen.variant(section) + "]", gbk) + "\r\n";
            std::vector<std::string> keys = RandomProfile::Keys;
            std::shuffle(keys.begin(), keys.end(), rng);
            for (size_t n = gen.pick(4); n > 0; --n) {
                const std::string value = std::to_string(gen.pick(1000));
                file += gen.encoded(gen.variant(keys[n]), gbk) + "=" + value + "\r\n";
                written[{section, keys[n]}] = value;
                other();
            }
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round) + ": " + Hex(file));
        put(file);
        const TIniFile ini(path);
        for (const auto &[name, value] : written)
            EXPECT_EQ(ini.ReadString(name.first, name.second, "?"), value) << name.first << "/" << name.second;
        if (!written.empty()) {
            const auto changed = std::next(written.begin(), static_cast<long>(gen.pick(written.size())));
            changed->second = "changed";
            ini.WriteString(changed->first.first, changed->first.second, "changed");
            for (const auto &[name, value] : written)
                EXPECT_EQ(ini.ReadString(name.first, name.second, "?"), value) << "after a write: " << name.first << "/" << name.second;
        }
        if (HasFailure())
            break;
    }
}

} // namespace
