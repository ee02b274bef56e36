#include "core/codecompare.h"

#include "core/protocols/protocols.h"
#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>

namespace {

// Integer arithmetic, so that a spread of exactly the tolerance agrees on every machine.
bool withinTolerance(int spreadUs, int shortestUs, const TCompareTolerance &tolerance)
{
    if (spreadUs <= tolerance.FloorUs)
        return true;
    return qint64(spreadUs) * 100 <= qint64(tolerance.Percent) * shortestUs;
}

bool sameTimings(const TCodeComparison &c)
{
    return !c.CountsDiffer() && c.Outside.empty();
}

// Recognised codes carry the same data when their decodes are equal, whatever their timings: a
// held button adds repeat frames, and one receiver stretches marks more than another. Null when
// any code is not recognised.
std::optional<bool> sameDecodes(const std::vector<std::vector<int>> &codesUs)
{
    std::optional<TProtocolCode> first;
    for (const std::vector<int> &code : codesUs) {
        std::optional<TProtocolCode> decoded = IdentifyCode(code);
        if (!decoded)
            return std::nullopt;
        if (!first)
            first = std::move(decoded);
        else if (!(*decoded == *first))
            return false;
    }
    return true;
}

} // namespace

bool TCodeComparison::CountsDiffer() const
{
    return std::adjacent_find(Counts.begin(), Counts.end(), std::not_equal_to<>()) != Counts.end();
}

bool DurationsAgree(int aUs, int bUs, const TCompareTolerance &tolerance)
{
    return withinTolerance(std::abs(aUs - bUs), std::min(aUs, bUs), tolerance);
}

TCodeComparison CompareCodes(const std::vector<std::vector<int>> &codesUs, const TCompareTolerance &tolerance)
{
    TCodeComparison out;
    if (codesUs.empty())
        return out;
    out.Counts.reserve(codesUs.size());
    for (const std::vector<int> &code : codesUs)
        out.Counts.push_back(static_cast<int>(code.size()));
    out.ComparedCount = *std::min_element(out.Counts.begin(), out.Counts.end());
    for (int i = 0; i < out.ComparedCount; ++i) {
        int shortest = codesUs.front()[i];
        int longest = shortest;
        for (const std::vector<int> &code : codesUs) {
            shortest = std::min(shortest, code[i]);
            longest = std::max(longest, code[i]);
        }
        const int spread = longest - shortest;
        if (out.LargestDeviationIndex < 0 || spread > out.LargestDeviationUs) {
            out.LargestDeviationUs = spread;
            out.LargestDeviationPercent = shortest > 0 ? 100.0 * spread / shortest : 0;
            out.LargestDeviationIndex = i;
        }
        if (!withinTolerance(spread, shortest, tolerance))
            out.Outside.push_back(i);
    }
    out.SameData = sameDecodes(codesUs).value_or(sameTimings(out));
    return out;
}

QStringList CompareLogLines(const QStringList &names, const TCodeComparison &c, const TCompareTolerance &tolerance)
{
    const auto text = [](const char *source) { return QCoreApplication::translate("CodeCompare", source); };
    QStringList lines{QString(), text(QT_TRANSLATE_NOOP("CodeCompare", "比较红外数据：%1"))
                                     .arg(names.join(text(QT_TRANSLATE_NOOP("CodeCompare", "、"))))};
    lines << (c.SameData ? text(QT_TRANSLATE_NOOP("CodeCompare", "解码数据相同......"))
                         : text(QT_TRANSLATE_NOOP("CodeCompare", "解码数据不同......")));
    if (c.LargestDeviationIndex >= 0) {
        lines << text(QT_TRANSLATE_NOOP("CodeCompare", "最大时长偏差：%1微秒（%2%），第 %3 个时长"))
                     .arg(c.LargestDeviationUs)
                     .arg(c.LargestDeviationPercent, 0, 'f', 1)
                     .arg(c.LargestDeviationIndex + 1);
    }
    if (c.CountsDiffer()) {
        QStringList counts;
        for (qsizetype k = 0; k < names.size() && k < qsizetype(c.Counts.size()); ++k)
            counts << text(QT_TRANSLATE_NOOP("CodeCompare", "%1 %2 个")).arg(names[k]).arg(c.Counts[size_t(k)]);
        lines << text(QT_TRANSLATE_NOOP("CodeCompare", "时长个数不同：%1，只比较前 %2 个"))
                     .arg(counts.join(text(QT_TRANSLATE_NOOP("CodeCompare", "，"))))
                     .arg(c.ComparedCount);
    }
    lines << text(QT_TRANSLATE_NOOP("CodeCompare", "超出容差（%1%，至少%2微秒）的时长：%3 个"))
                 .arg(tolerance.Percent)
                 .arg(tolerance.FloorUs)
                 .arg(c.Outside.size());
    return lines;
}
