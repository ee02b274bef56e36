#include "core/formats/tasmota.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>

using namespace textscan;

namespace {

constexpr int TasmotaDefaultHz = 38'000;
constexpr int Letters = 26;

QString side(bool mark)
{
    return mark ? QCoreApplication::translate("Tasmota", "脉冲") : QCoreApplication::translate("Tasmota", "间隔");
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<QString> readCarrier(std::string_view &line, int &hz)
{
    const size_t comma = line.find(',');
    const std::string_view text = Trim(line.substr(0, comma));
    const std::optional<long long> n = text.empty() || !isDigit(text.front()) ? std::nullopt : ParseInt(text);
    if (comma == std::string_view::npos || !n)
        return QCoreApplication::translate("Tasmota", "应以载波和逗号开头（如“0,”或“38000,”），却是 %1").arg(Quote(line));
    const long long value = *n == 0 ? TasmotaDefaultHz : (*n < 1000 ? *n * 1000 : *n);
    if (value < MinCarrierHz || value > MaxCarrierHz)
        return QCoreApplication::translate("Tasmota", "载波 %1 赫兹不在 %2 之内").arg(value).arg(CarrierRangeText());
    hz = static_cast<int>(value);
    line.remove_prefix(comma + 1);
    return std::nullopt;
}

// The durations after the carrier, plain or compact: the sign or the letter's case must agree with
// the place of the duration, a mark first.
std::optional<QString> readDurations(std::string_view s, std::vector<int> &out)
{
    std::vector<int> written;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ',' || c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        const bool mark = out.size() % 2 == 0;
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper || (c >= 'a' && c <= 'z')) {
            const int index = upper ? c - 'A' : c - 'a';
            if (upper != mark)
                return QCoreApplication::translate("Tasmota", "第 %1 个时长应为%2，字母 %3 却是%4")
                    .arg(out.size() + 1).arg(side(mark)).arg(c)
                    .arg(side(upper));
            if (static_cast<size_t>(index) >= written.size())
                return QCoreApplication::translate("Tasmota", "字母 %1 指第 %2 个写出的数，此前只写出 %3 个")
                    .arg(c).arg(index + 1).arg(written.size());
            out.push_back(written[static_cast<size_t>(index)]);
            ++i;
            continue;
        }
        const size_t start = i;
        if (c == '+' || c == '-') {
            if ((c == '+') != mark)
                return QCoreApplication::translate("Tasmota", "第 %1 个时长应为%2，却以“%3”开头")
                    .arg(out.size() + 1).arg(side(mark)).arg(c);
            ++i;
        }
        const size_t digits = i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        const std::string_view number = s.substr(digits, i - digits);
        const std::optional<long long> us = number.empty() ? std::nullopt : ParseInt(number);
        if (!us)
            return QCoreApplication::translate("Tasmota", "%1 不是时长").arg(Quote(s.substr(start)));
        if (*us < 1 || *us > MaxDurationUs)
            return QCoreApplication::translate("Tasmota", "第 %1 个时长 %2 微秒不在 1 到 %3 微秒之内")
                .arg(out.size() + 1).arg(*us).arg(MaxDurationUs);
        out.push_back(static_cast<int>(*us));
        if (written.size() < Letters)
            written.push_back(static_cast<int>(*us));
    }
    if (out.empty())
        return QCoreApplication::translate("Tasmota", "载波之后没有时长");
    return std::nullopt;
}

std::optional<QString> readLine(std::string_view line, TIrCode &code)
{
    if (line.size() >= 6 && QByteArray(line.data(), 6).toLower() == "irsend")
        line = Trim(line.substr(6));
    if (const auto e = readCarrier(line, code.CarrierHz))
        return e;
    return readDurations(line, code.DurationsUs);
}

} // namespace

TImport ImportTasmota(const QByteArray &text)
{
    return ImportCodeLines(text, QString::fromUtf8("Tasmota %1"),
                           QCoreApplication::translate("Tasmota", "文件中没有 Tasmota 时序"), readLine);
}
