#include "core/formats/textscan.h"

#include <charconv>
#include <string>

namespace textscan {

bool TLines::Next(std::string_view &line)
{
    if (done_)
        return false;
    ++number_;
    const size_t end = rest_.find('\n');
    if (end == std::string_view::npos) {
        line = rest_;
        done_ = true;
        rest_ = {};
        if (line.empty())
            return false;
    } else {
        line = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
    }
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

bool SplitField(std::string_view line, std::string_view &key, std::string_view &value)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    key = Trim(line.substr(0, colon));
    value = Trim(line.substr(colon + 1));
    return true;
}

std::string_view NextToken(std::string_view &s)
{
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; };
    size_t b = 0;
    while (b < s.size() && separator(s[b]))
        ++b;
    size_t e = b;
    while (e < s.size() && !separator(s[e]))
        ++e;
    const std::string_view token = s.substr(b, e - b);
    s.remove_prefix(e);
    return token;
}

// Hand-written for the two bases in use: std::from_chars took most of the time of reading a file.
std::optional<long long> ParseInt(std::string_view s, int base)
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
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * base + digit;
    }
    return negative ? -v : v;
}

std::optional<double> ParseDouble(std::string_view s)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return v;
}

QString LineError(int line, const QString &reason)
{
    return QString::fromUtf8("第 %1 行：%2").arg(line).arg(reason);
}

QString Quote(std::string_view s)
{
    constexpr size_t Shown = 40;
    const QString text = QString::fromUtf8(s.data(), static_cast<qsizetype>(std::min(s.size(), Shown)));
    return u'“' + text + (s.size() > Shown ? QString::fromUtf8("…”") : QString::fromUtf8("”"));
}

QString CarrierRangeText()
{
    return QString::fromUtf8("%1 到 %2 赫兹").arg(MinCarrierHz).arg(MaxCarrierHz);
}

} // namespace textscan
