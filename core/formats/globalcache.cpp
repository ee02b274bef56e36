#include "core/formats/globalcache.h"

#include "core/formats/repeatshape.h"
#include "core/formats/textscan.h"

#include <QCoreApplication>

#include <cmath>

using namespace textscan;

namespace {

constexpr long long MaxCount = 0xFFFF;
// The offset counts durations, and a code may hold more than a count can be.
constexpr long long MaxOffset = 100'000'000;

QString rangeError(const char *field, std::string_view value, long long low, long long high)
{
    return QCoreApplication::translate("GlobalCache", "%1 %2 不是 %3 到 %4 之间的整数")
        .arg(QCoreApplication::translate("GlobalCache", field), Quote(value)).arg(low).arg(high);
}

std::optional<long long> number(std::string_view t, long long low, long long high)
{
    const std::optional<long long> n = ParseInt(t);
    if (!n || *n < low || *n > high || t.front() == '+' || t.front() == '-')
        return std::nullopt;
    return n;
}

std::optional<QString> readSendir(std::string_view line, TIrCode &code)
{
    std::string_view rest = line;
    if (NextToken(rest) != "sendir")
        return QCoreApplication::translate("GlobalCache", "应以“sendir,”开头，却是 %1").arg(Quote(line));
    const std::string_view address = NextToken(rest);
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos || !number(address.substr(0, colon), 0, 99)
        || !number(address.substr(colon + 1), 0, 99))
        return QCoreApplication::translate("GlobalCache", "地址 %1 应为“模块:接口”").arg(Quote(address));
    const std::string_view id = NextToken(rest);
    if (!number(id, 0, 65535))
        return rangeError(QT_TRANSLATE_NOOP("GlobalCache", "编号"), id, 0, 65535);
    const std::string_view hzText = NextToken(rest);
    const std::optional<long long> hz = number(hzText, GlobalCacheMinHz, GlobalCacheMaxHz);
    if (!hz)
        return rangeError(QT_TRANSLATE_NOOP("GlobalCache", "载波"), hzText, GlobalCacheMinHz, GlobalCacheMaxHz);
    const std::string_view repeatText = NextToken(rest);
    const std::optional<long long> repeat = number(repeatText, 1, GlobalCacheMaxRepeat);
    if (!repeat)
        return rangeError(QT_TRANSLATE_NOOP("GlobalCache", "重复次数"), repeatText, 1, GlobalCacheMaxRepeat);
    const std::string_view offsetText = NextToken(rest);
    const std::optional<long long> offset = number(offsetText, 1, MaxOffset);
    if (!offset || *offset % 2 == 0)
        return QCoreApplication::translate("GlobalCache", "偏移 %1 应为正奇数").arg(Quote(offsetText));
    const double periodUs = 1e6 / static_cast<double>(*hz);
    std::vector<int> durations;
    for (std::string_view t = NextToken(rest); !t.empty(); t = NextToken(rest)) {
        if (t.find_first_of("ABCDEFGHIJKLMNOabcdefghijklmno") != std::string_view::npos)
            return QCoreApplication::translate("GlobalCache", "%1 用了压缩格式（字母代替前面的脉冲对），不支持").arg(Quote(t));
        if (!number(t, 1, MaxCount))
            return QCoreApplication::translate("GlobalCache", "第 %1 个时长 %2 不是 1 到 %3 之间的周期数")
                .arg(durations.size() + 1).arg(Quote(t)).arg(MaxCount);
        durations.push_back(static_cast<int>(std::lround(*ParseInt(t) * periodUs)));
    }
    if (durations.empty())
        return QCoreApplication::translate("GlobalCache", "sendir 没有时长");
    if (static_cast<size_t>(*offset) > durations.size())
        return QCoreApplication::translate("GlobalCache", "偏移 %1 超过时长个数 %2").arg(*offset).arg(durations.size());
    if (*repeat > 1 && durations.size() % 2 != 0)
        return QCoreApplication::translate("GlobalCache", "重复发送的 sendir 应以间隔结束，它却有奇数个时长");
    code.CarrierHz = static_cast<int>(*hz);
    code.DurationsUs = RepeatTail(durations, static_cast<size_t>(*offset - 1), static_cast<int>(*repeat));
    return std::nullopt;
}

std::optional<QString> writeSendir(const TIrCode &code, int id, QByteArray &out)
{
    const int hz = code.CarrierHz != 0 ? code.CarrierHz : GlobalCacheDefaultHz;
    if (hz < GlobalCacheMinHz || hz > GlobalCacheMaxHz)
        return QCoreApplication::translate("GlobalCache", "载波 %1 赫兹不在 Global Caché 的 %2 到 %3 赫兹之内")
            .arg(hz).arg(GlobalCacheMinHz).arg(GlobalCacheMaxHz);
    if (code.DurationsUs.empty())
        return QCoreApplication::translate("GlobalCache", "编码没有时长");
    const TRepeatShape shape = FindRepeatShape(code.DurationsUs, GlobalCacheMaxRepeat, false);
    out += "sendir,1:1," + QByteArray::number(id) + ',' + QByteArray::number(hz) + ',' + QByteArray::number(shape.Copies)
           + ',' + QByteArray::number(static_cast<qulonglong>(shape.Once + 1));
    for (size_t i = 0; i < shape.Once + shape.Block; ++i) {
        const int us = code.DurationsUs[i];
        const long long periods = std::max(1LL, std::llround(us * static_cast<double>(hz) / 1e6));
        if (periods > MaxCount)
            return QCoreApplication::translate("GlobalCache", "时长 %1 微秒超过 %2 个载波周期").arg(us).arg(MaxCount);
        out += ',' + QByteArray::number(periods);
    }
    out += '\n';
    return std::nullopt;
}

} // namespace

TExport ExportGlobalCache(const std::vector<TCodeRecord> &records)
{
    TExport out;
    bool assumed = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const TCodeRecord &r = records[i];
        out.Text += "# " + r.Name.simplified().toUtf8() + '\n';
        if (const auto e = writeSendir(r.Code, static_cast<int>(i % 65535) + 1, out.Text)) {
            out.Error = ExportCodeError(r.Name, *e);
            out.Text.clear();
            return out;
        }
        assumed = assumed || r.Code.CarrierHz == 0;
    }
    if (assumed)
        out.Note = AssumedCarrierNote(GlobalCacheDefaultHz);
    return out;
}

TImport ImportGlobalCache(const QByteArray &text)
{
    return ImportCodeLines(text, QString::fromUtf8("sendir %1"),
                           QCoreApplication::translate("GlobalCache", "文件中没有 sendir 命令"), readSendir);
}
