#include "core/replydecoder.h"

namespace {

constexpr unsigned char TypeConfig = 0xFC;
constexpr unsigned char TypeData = 0xFD;
constexpr int HeaderSize = 4;
// Below this a byte is the high digit of a two-byte duration.
constexpr int SingleByteMinimum = 22;
constexpr int LengthBase = 255;

int byteAt(const QByteArray &b, qsizetype i)
{
    return static_cast<unsigned char>(b[i]);
}

} // namespace

TReplyKind ClassifyReply(const QByteArray &b)
{
    if (b.size() < HeaderSize || byteAt(b, 0) != ReplyStart)
        return rkUnknown;
    const int type = byteAt(b, 3);
    if (type == TypeConfig)
        return rkConfigDone;
    if (type != TypeData)
        return rkUnknown;
    if (byteAt(b, 1) == 0 && byteAt(b, 2) == 0)
        return rkEmitDone;
    if (byteAt(b, 1) < 10)
        return rkDecodeTimeout;
    const qsizetype length = byteAt(b, 1) + qsizetype(LengthBase) * byteAt(b, 2);
    const qsizetype markAt = HeaderSize + length;
    if (markAt < b.size() && byteAt(b, markAt) == EndMark)
        return rkDecodedData;
    return rkUnknown;
}

TDecodedDurations DecodeDurations(const QByteArray &b)
{
    TDecodedDurations out;
    const qsizetype n = b.size();
    int t = 0;
    for (qsizetype p = HeaderSize; p < n; ++p) {
        int v = byteAt(b, p);
        if (v < SingleByteMinimum) {
            if (p + 1 >= n)
                break;
            v = v * LengthBase + byteAt(b, ++p);
        }
        out.Durations.push_back(v);
        t += v;
    }
    if (!out.Durations.empty()) {
        out.Durations.back() += TailUnits;
        t += TailUnits;
    }
    out.Total = t - (EndMark + TailUnits);
    return out;
}
