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
    const qsizetype length = byteAt(b, 1) + qsizetype(LengthBase) * byteAt(b, 2);
    const qsizetype markAt = HeaderSize + length;
    const bool endMarkInPlace = markAt < b.size() && byteAt(b, markAt) == EndMark;
    // The time-out test reads only the low digit, which would throw away every long code of
    // 255 + 0..9, 510 + 0..9, ... data bytes. With a high digit of 1 or more, an end mark where the
    // length puts it means 255 data bytes or more in front of it, which only a learned code has;
    // every reply without that end mark is still a time-out.
    if (byteAt(b, 1) < 10 && !(byteAt(b, 2) >= 1 && endMarkInPlace))
        return rkDecodeTimeout;
    return endMarkInPlace ? rkDecodedData : rkUnknown;
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
