#include "platform/sys/profiletext.h"

#include "platform/sys/strconv.h"
#include "platform/sys/textcodec.h"

#include <algorithm>
#include <strings.h>

namespace platform {

namespace {

const std::string Bom = "\xEF\xBB\xBF";

// How the bytes of one part of a line can be read.
struct TPart {
    bool Ascii;
    bool Utf8;
    std::optional<std::string> Gbk; // the reading as GBK when that is clean
};

TPart examine(const std::string &bytes)
{
    const bool ascii = std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (ascii)
        return {true, true, bytes};
    return {false, IsValidUtf8(bytes), GbkToUtf8(bytes)};
}

std::string decode(const std::string &bytes, const TPart &part, TTextEncoding encoding)
{
    if (part.Ascii)
        return bytes;
    if (part.Utf8 && (!part.Gbk || encoding == TTextEncoding::Utf8))
        return bytes;
    if (part.Gbk)
        return *part.Gbk;
    size_t utf8Errors = 0;
    size_t gbkErrors = 0;
    std::string asUtf8 = Utf8Lenient(bytes, utf8Errors);
    std::string asGbk = GbkToUtf8Lenient(bytes, gbkErrors);
    if (utf8Errors != gbkErrors)
        return utf8Errors < gbkErrors ? asUtf8 : asGbk;
    return encoding == TTextEncoding::Utf8 ? asUtf8 : asGbk;
}

bool sameName(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool isHeader(const std::string &line)
{
    const std::string t = TrimBlanks(line);
    return !t.empty() && t.front() == '[';
}

// A section line, or a key line whose name is not commented out.
bool isName(bool keyLine, const std::string &name)
{
    if (!keyLine)
        return isHeader(name);
    const std::string t = TrimBlanks(name);
    return t.empty() || (t.front() != ';' && t.front() != '#');
}

std::optional<std::string> encode(const std::string &text, TTextEncoding encoding)
{
    if (encoding == TTextEncoding::Gbk)
        return Utf8ToGbk(text);
    if (!IsValidUtf8(text))
        return std::nullopt;
    return text;
}

} // namespace

TProfileText::TProfileText(std::string bytes) : FBytes(std::move(bytes))
{
    FAscii = std::none_of(FBytes.begin(), FBytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const bool bom = FBytes.compare(0, Bom.size(), Bom) == 0;
    size_t start = bom ? Bom.size() : 0;
    while (start < FBytes.size()) {
        const size_t lf = FBytes.find('\n', start);
        const size_t end = lf == std::string::npos ? FBytes.size() : lf + 1;
        size_t contentEnd = lf == std::string::npos ? FBytes.size() : lf;
        while (contentEnd > start && FBytes[contentEnd - 1] == '\r')
            --contentEnd;
        TLine line{start, contentEnd, end, contentEnd, false, {}, std::nullopt};
        const std::string content = FBytes.substr(start, contentEnd - start);
        if (!isHeader(content)) {
            if (const size_t eq = content.find('='); eq != std::string::npos) {
                line.IsKeyLine = true;
                line.ValueBegin = start + eq + 1;
            }
        }
        FLines.push_back(line);
        start = end;
    }

    // Section and key names decide the encoding; values never do, so that writing one cannot tip
    // it, and neither do comments and other lines. A name that neither encoding reads cleanly
    // counts for the one that fails on fewer of its bytes.
    auto nameEnd = [](const TLine &line) { return line.IsKeyLine ? line.ValueBegin - 1 : line.ContentEnd; };
    std::vector<TPart> names;
    std::vector<TPart> values;
    size_t forUtf8 = 0, forGbk = 0, undecided = 0;
    for (const TLine &line : FLines) {
        const std::string name = FBytes.substr(line.Begin, nameEnd(line) - line.Begin);
        names.push_back(examine(name));
        values.push_back(examine(FBytes.substr(line.ValueBegin, line.ContentEnd - line.ValueBegin)));
        const TPart &p = names.back();
        if (!isName(line.IsKeyLine, name) || p.Ascii || (p.Utf8 && p.Gbk))
            continue;
        if (p.Utf8 || p.Gbk) {
            ++(p.Utf8 ? forUtf8 : forGbk);
            continue;
        }
        size_t utf8Errors = 0, gbkErrors = 0;
        Utf8Lenient(name, utf8Errors);
        GbkToUtf8Lenient(name, gbkErrors);
        ++(utf8Errors < gbkErrors ? forUtf8 : gbkErrors < utf8Errors ? forGbk : undecided);
    }
    if (bom || forUtf8 > forGbk || (forUtf8 == 0 && forGbk == 0 && undecided == 0))
        FEncoding = TTextEncoding::Utf8;
    else
        FEncoding = TTextEncoding::Gbk;

    for (size_t i = 0; i < FLines.size(); ++i) {
        TLine &line = FLines[i];
        const std::string name = FBytes.substr(line.Begin, nameEnd(line) - line.Begin);
        line.Text = decode(name, names[i], FEncoding);
        if (!names[i].Ascii && names[i].Utf8 && names[i].Gbk)
            line.OtherName = FEncoding == TTextEncoding::Utf8 ? *names[i].Gbk : name;
        if (line.IsKeyLine)
            line.Text += "=" + decode(FBytes.substr(line.ValueBegin, line.ContentEnd - line.ValueBegin), values[i], FEncoding);
    }
}

// Either reading of a line's name: a section line's name is inside its brackets, a key line's
// before its first '='.
bool TProfileText::nameIs(const TLine &line, const std::string &name) const
{
    auto matches = [&](const std::string &reading) {
        const std::string t = TrimBlanks(reading);
        if (line.IsKeyLine)
            return sameName(t, name);
        return t.size() >= 2 && t.front() == '[' && t.back() == ']' && sameName(TrimBlanks(t.substr(1, t.size() - 2)), name);
    };
    const std::string reading = line.IsKeyLine ? line.Text.substr(0, line.Text.find('=')) : line.Text;
    return matches(reading) || (line.OtherName && matches(*line.OtherName));
}

long TProfileText::findSection(const std::string &section) const
{
    for (size_t i = 0; i < FLines.size(); ++i)
        if (!FLines[i].IsKeyLine && nameIs(FLines[i], section))
            return static_cast<long>(i);
    return -1;
}

long TProfileText::findKey(long header, const std::string &key) const
{
    for (size_t i = static_cast<size_t>(header) + 1; i < FLines.size() && !isHeader(FLines[i].Text); ++i)
        if (FLines[i].IsKeyLine && nameIs(FLines[i], key))
            return static_cast<long>(i);
    return -1;
}

std::optional<size_t> TProfileText::KeyLineIndex(const std::string &section, const std::string &key) const
{
    const long header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const long at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    return static_cast<size_t>(at);
}

std::optional<std::string> TProfileText::Value(const std::string &section, const std::string &key) const
{
    const std::optional<size_t> at = KeyLineIndex(section, key);
    if (!at)
        return std::nullopt;
    const std::string &text = FLines[*at].Text;
    return TrimBlanks(text.substr(text.find('=') + 1));
}

// The line end of the given line when it has one, else the file's first, else CR LF. A run of
// carriage returns before the LF is taken as one.
std::string TProfileText::lineEndAfter(long line) const
{
    auto endOf = [this](const TLine &l) -> std::optional<std::string> {
        if (l.End == l.Begin || FBytes[l.End - 1] != '\n')
            return std::nullopt;
        return l.End - l.ContentEnd > 1 ? "\r\n" : "\n";
    };
    if (line >= 0)
        if (auto own = endOf(FLines[static_cast<size_t>(line)]))
            return *own;
    for (const TLine &l : FLines)
        if (auto first = endOf(l))
            return *first;
    return "\r\n";
}

std::optional<std::string> TProfileText::WithValue(const std::string &section, const std::string &key,
                                                   const std::string &value, TTextEncoding encoding) const
{
    const std::optional<std::string> encodedValue = encode(value, encoding);
    const std::optional<std::string> keyLine = encode(key + "=" + value, encoding);
    const std::optional<std::string> header = encode("[" + section + "]", encoding);
    if (!encodedValue || !keyLine || !header)
        return std::nullopt;
    auto hasLf = [this](const TLine &l) { return l.End > l.Begin && FBytes[l.End - 1] == '\n'; };

    const long at = findSection(section);
    if (at < 0) {
        const long last = static_cast<long>(FLines.size()) - 1;
        const std::string eol = lineEndAfter(last);
        std::string added;
        if (last >= 0) {
            if (!hasLf(FLines.back()))
                added += eol;
            if (!TrimBlanks(FLines.back().Text).empty())
                added += eol; // a blank line between sections
        }
        added += *header + eol + *keyLine + eol;
        return FBytes + added;
    }
    if (const long k = findKey(at, key); k >= 0) {
        const TLine &line = FLines[static_cast<size_t>(k)];
        size_t begin = line.ValueBegin;
        size_t end = line.ContentEnd;
        while (begin < end && static_cast<unsigned char>(FBytes[begin]) <= 32)
            ++begin;
        while (end > begin && static_cast<unsigned char>(FBytes[end - 1]) <= 32)
            --end;
        if (begin == end)
            begin = end = line.ValueBegin;
        return FBytes.substr(0, begin) + *encodedValue + FBytes.substr(end);
    }
    // After the section's last non-blank line, so that blank separators stay between sections.
    size_t after = static_cast<size_t>(at);
    for (size_t i = after + 1; i < FLines.size() && !isHeader(FLines[i].Text); ++i)
        if (!TrimBlanks(FLines[i].Text).empty())
            after = i;
    const TLine &line = FLines[after];
    const std::string eol = lineEndAfter(static_cast<long>(after));
    const std::string added = hasLf(line) ? *keyLine + eol : eol + *keyLine;
    return FBytes.substr(0, line.End) + added + FBytes.substr(line.End);
}

} // namespace platform
