#pragma once
// The small pieces every text format reader shares: walking lines of a file held in memory,
// reading numbers without allocating, and error texts that name the line. A reader keeps all it
// found to itself until the whole file was read, so a bad file never gives half a library.
#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace textscan {

// Files larger than this are refused before reading them line by line.
constexpr qsizetype MaxFileBytes = 64 * 1024 * 1024;
// A duration beyond 10 s is no infrared timing.
constexpr long long MaxDurationUs = 10'000'000;
// Carriers of infrared remotes lie between these.
constexpr int MinCarrierHz = 10'000;
constexpr int MaxCarrierHz = 1'000'000;

class TLines {
public:
    explicit TLines(std::string_view text) : rest_(text) {}
    // The next line without its line break (and without a carriage return before it).
    bool Next(std::string_view &line);
    int Number() const { return number_; }

private:
    std::string_view rest_;
    int number_ = 0;
    bool done_ = false;
};

// A piece of a file read as UTF-8.
inline QString ToQString(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string_view Trim(std::string_view s);
bool StartsWith(std::string_view s, std::string_view prefix);
// Splits "key: value" at the first colon; both trimmed. False when there is no colon.
bool SplitField(std::string_view line, std::string_view &key, std::string_view &value);
std::optional<double> ParseDouble(std::string_view s);

// "第 12 行：" followed by the reason.
QString LineError(int line, const QString &reason);
// The start of a token or line for a message, shortened so that a garbage line stays readable.
QString Quote(std::string_view s);
QString CarrierRangeText();
// Why a signed duration has the wrong sign: index counts from 0, and the durations alternate from a
// mark (positive).
QString WrongSignError(size_t index, long long value);

// Reading a file is mostly splitting tokens and reading numbers: both are inline, so that the
// loops over a line's numbers compile to a plain scan.
inline bool IsTokenSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

// The next blank- or comma-separated token; empty when none is left.
inline std::string_view NextToken(std::string_view &s)
{
    const char *p = s.data();
    const char *const end = p + s.size();
    while (p != end && IsTokenSeparator(*p))
        ++p;
    const char *const begin = p;
    while (p != end && !IsTokenSeparator(*p))
        ++p;
    s = std::string_view(p, static_cast<size_t>(end - p));
    return std::string_view(begin, static_cast<size_t>(p - begin));
}

inline int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16) {
        const char lower = static_cast<char>(c | 0x20);
        if (lower >= 'a' && lower <= 'f')
            return lower - 'a' + 10;
    }
    return -1;
}

// Base 10 or 16, with an optional sign; at most 15 digits. Hand-written for the two bases in use:
// std::from_chars took most of the time of reading a file.
inline std::optional<long long> ParseInt(std::string_view s, int base = 10)
{
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // 15 digits stay far below the range of long long in both bases.
    if (s.empty() || s.size() > 15)
        return std::nullopt;
    long long v = 0;
    for (char c : s) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        v = v * base + digit;
    }
    return negative ? -v : v;
}

} // namespace textscan
