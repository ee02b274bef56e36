#include "core/moduleframe.h"

#include "core/replydecoder.h"
#include <QCoreApplication>

#include <algorithm>
#include <vector>

namespace {

constexpr unsigned char TypeData = 0xFD;
constexpr int HeaderSize = 4;
constexpr int SingleByteMinimum = 22;
constexpr int SingleByteMaximum = 255;
constexpr int Base = 255;
constexpr int MaxHighDigit = 21;

void appendDuration(QByteArray &out, int units)
{
    if (units >= SingleByteMinimum && units <= SingleByteMaximum) {
        out.append(static_cast<char>(units));
        return;
    }
    // 5610 is 21 × 255 + 255: the one value whose plain quotient would need a high digit of 22.
    const int high = std::min(units / Base, MaxHighDigit);
    out.append(static_cast<char>(high));
    out.append(static_cast<char>(units - high * Base));
}

QString ms(int us)
{
    return QString::number(us / 1000.0, 'f', 2);
}

} // namespace

int UsToModuleUnits(int us)
{
    return static_cast<int>((static_cast<long long>(us) + ModuleUnitUs / 2) / ModuleUnitUs);
}

TFrameBuild BuildModuleReply(const TIrCode &code)
{
    TFrameBuild build;
    const std::vector<int> &d = code.DurationsUs;
    if (d.empty()) {
        build.Error = QCoreApplication::translate("ModuleFrame", "编码为空，没有可发射的时长");
        return build;
    }
    const int limitUs = MaxFrameDurationUnits * ModuleUnitUs;
    QByteArray data;
    for (size_t i = 0; i < d.size(); ++i) {
        int units = UsToModuleUnits(d[i]);
        const bool finalSpace = i + 1 == d.size() && i % 2 == 1;
        if (units > MaxFrameDurationUnits && finalSpace) {
            build.ShortenedLeadOutUs = d[i];
            units = MaxFrameDurationUnits;
        }
        if (units > MaxFrameDurationUnits) {
            build.Error = QCoreApplication::translate(
                "ModuleFrame", "第 %1 个时长 %2 微秒（%3 毫秒）超过模块的上限 %4 微秒（%5 毫秒）")
                              .arg(i + 1).arg(d[i]).arg(ms(d[i])).arg(limitUs).arg(ms(limitUs));
            return build;
        }
        if (units < 1) {
            build.Error = QCoreApplication::translate("ModuleFrame", "第 %1 个时长 %2 微秒短于模块的最小单位 %3 微秒")
                              .arg(i + 1).arg(d[i]).arg(ModuleUnitUs);
            return build;
        }
        appendDuration(data, units);
    }
    const qsizetype frameSize = HeaderSize + data.size() + 1;
    if (frameSize > MaxFrameBytes) {
        build.Error = QCoreApplication::translate("ModuleFrame", "编码帧有 %1 字节（%2 个时长），超过模块的上限 %3 字节")
                          .arg(frameSize).arg(d.size()).arg(MaxFrameBytes);
        return build;
    }
    const int length = static_cast<int>(data.size());
    build.Reply.reserve(frameSize);
    build.Reply.append(static_cast<char>(ReplyStart));
    build.Reply.append(static_cast<char>(length % Base));
    build.Reply.append(static_cast<char>(length / Base));
    build.Reply.append(static_cast<char>(TypeData));
    build.Reply.append(data);
    build.Reply.append(static_cast<char>(EndMark));
    return build;
}

QString LeadOutNotice(const TFrameBuild &build)
{
    if (build.ShortenedLeadOutUs == 0)
        return QString();
    const int limitUs = MaxFrameDurationUnits * ModuleUnitUs;
    return QCoreApplication::translate("ModuleFrame", "末尾间隔 %1 微秒超过模块的上限，已缩短为 %2 微秒......")
        .arg(build.ShortenedLeadOutUs).arg(limitUs);
}

TFrameBuild ReplyForCode(const TIrCode &code)
{
    if (code.ModuleReply.isEmpty())
        return BuildModuleReply(code);
    TFrameBuild build;
    build.Reply = code.ModuleReply;
    return build;
}
