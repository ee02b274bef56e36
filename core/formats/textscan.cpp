#include "core/formats/textscan.h"

#include <QCoreApplication>

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
    return QCoreApplication::translate("TextScan", "第 %1 行：%2").arg(line).arg(reason);
}

QString Quote(std::string_view s)
{
    constexpr size_t Shown = 40;
    const QString text = QString::fromUtf8(s.data(), static_cast<qsizetype>(std::min(s.size(), Shown)));
    return u'“' + text + (s.size() > Shown ? QString::fromUtf8("…”") : QString::fromUtf8("”"));
}

QString WrongSignError(size_t index, long long value)
{
    return QCoreApplication::translate("TextScan", "第 %1 个时长 %2 应为%3")
        .arg(index + 1)
        .arg(value)
        .arg(index % 2 == 0 ? QCoreApplication::translate("TextScan", "正数（脉冲）")
                            : QCoreApplication::translate("TextScan", "负数（间隔）"));
}

QString CarrierRangeText()
{
    return QCoreApplication::translate("TextScan", "%1 到 %2 赫兹").arg(MinCarrierHz).arg(MaxCarrierHz);
}

} // namespace textscan
