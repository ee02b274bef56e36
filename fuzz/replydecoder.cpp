// Any bytes as a module's reply: the kind agrees with the bytes it is judged on, and decoding a
// cut-off reply gives a prefix of the durations of the whole one.
#include "core/replydecoder.h"
#include "fuzz/check.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <numeric>

namespace {

std::vector<int> untailed(TDecodedDurations d)
{
    if (!d.Durations.empty())
        d.Durations.back() -= TailUnits;
    return d.Durations;
}

int at(const QByteArray &b, int i)
{
    return static_cast<unsigned char>(b[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte says where to cut; the rest is the reply.
    const size_t cut = data[0];
    const QByteArray reply(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));

    const TReplyKind kind = ClassifyReply(reply);
    const bool framed = reply.size() >= 4 && at(reply, 0) == 0xFF;
    switch (kind) {
    case rkConfigDone:
        FUZZ_CHECK(framed && at(reply, 3) == 0xFC);
        break;
    case rkEmitDone:
        FUZZ_CHECK(framed && at(reply, 3) == 0xFD && at(reply, 1) == 0 && at(reply, 2) == 0);
        break;
    case rkDecodeTimeout:
        FUZZ_CHECK(framed && at(reply, 3) == 0xFD && at(reply, 1) < 10 && (at(reply, 1) | at(reply, 2)) != 0);
        break;
    case rkDecodedData: {
        FUZZ_CHECK(framed && at(reply, 3) == 0xFD && at(reply, 1) >= 10);
        const int mark = 4 + at(reply, 1) + 255 * at(reply, 2);
        FUZZ_CHECK(mark < reply.size() && at(reply, mark) == EndMark);
        break;
    }
    case rkUnknown:
        FUZZ_CHECK(!(framed && (at(reply, 3) == 0xFC || (at(reply, 3) == 0xFD && at(reply, 1) < 10))));
        break;
    }
    // What follows the header never changes the kinds judged on the header alone.
    if (kind != rkUnknown && kind != rkDecodedData)
        FUZZ_CHECK(ClassifyReply(reply + QByteArray("\x16\xFF", 2)) == kind);

    const TDecodedDurations whole = DecodeDurations(reply);
    const std::vector<int> all = untailed(whole);
    FUZZ_CHECK(all.size() <= static_cast<size_t>(std::max<qsizetype>(0, reply.size() - 4)));
    for (int d : all)
        FUZZ_CHECK(d >= 0 && d <= 21 * 255 + 255);
    if (!whole.Durations.empty()) {
        const long sum = std::accumulate(whole.Durations.begin(), whole.Durations.end(), 0L);
        FUZZ_CHECK(whole.Total == sum - EndMark - TailUnits);
    }

    const std::vector<int> part = untailed(DecodeDurations(reply.left(static_cast<qsizetype>(cut))));
    FUZZ_CHECK(part.size() <= all.size());
    FUZZ_CHECK(std::equal(part.begin(), part.end(), all.begin()));
    return 0;
}
