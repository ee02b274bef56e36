#include "core/protocols/biphase.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Rc5CarrierHz = 36000;
constexpr int Rc5HalfBitUs = 889;
constexpr int Rc5Bits = 14;
constexpr int Rc6CarrierHz = 36000;
constexpr int Rc6HalfBitUs = 444;
constexpr int Rc6LeaderMarkUs = 6 * Rc6HalfBitUs;
constexpr int Rc6LeaderSpaceUs = 2 * Rc6HalfBitUs;
// Start bit, three mode bits, the double-length toggle bit, 8 address and 8 command bits.
constexpr int Rc6HalfBits = 2 + 3 * 2 + 4 + 16 * 2;
constexpr int Rc6Bits = 21;

using THalfBits = std::vector<bool>; // true: mark

// A duration is a whole number of half-bits when it lies within 40 % of a half-bit of one, or
// within 25 % of a longer run; beyond half a half-bit it would count as the neighbouring run.
constexpr int HalfBitSlackPercent = 40;

bool isWholeHalfBits(int durationUs, int count, int halfBitUs)
{
    const int nominal = count * halfBitUs;
    const int slack = std::max(halfBitUs * HalfBitSlackPercent, nominal * TolerancePercent);
    return std::abs(durationUs - nominal) * 100 <= slack;
}

// How much longer the marks are than whole half-bits (and the spaces shorter), for the bits that
// start at the reader's position with a mark. Every bit is one half-bit of mark and one of space,
// so the marks' sum exceeds the spaces' only by the stretch, once per duration, by a space the
// capture cannot show (hiddenSpaceUs: RC5's first half-bit) and by the last bit's space when the gap
// swallowed it (half a half-bit on average). Receivers stretch marks by up to a third of RC6's
// half-bit, which would otherwise spoil the counting.
int markStretch(const TDurationReader &reader, int halfBitUs, int hiddenSpaceUs)
{
    // A few durations, as in a frame cut off by the end of the capture, say too little.
    constexpr std::size_t FewestDurations = 8;
    const TFrameAhead bits = FrameAhead(reader);
    if (bits.Marks.size() + bits.Spaces.size() < FewestDurations)
        return 0;
    long excess = -halfBitUs / 2 - hiddenSpaceUs;
    for (int d : bits.Marks)
        excess += d;
    for (int d : bits.Spaces)
        excess -= d;
    return int(excess / long(bits.Marks.size() + bits.Spaces.size()));
}

// The half-bits of one frame from the reader's position to the frame's gap (or the code's end); a
// frame's last space merges into the gap and is left out.
std::optional<THalfBits> readHalfBits(TDurationReader &reader, int halfBitUs, int mostHalfBits)
{
    THalfBits halves;
    while (!reader.AtEnd()) {
        const bool mark = reader.NextIsMark();
        const int d = reader.Next();
        if (!mark && (reader.AtEnd() || d >= FrameGapUs))
            break;
        const int count = (d + halfBitUs / 2) / halfBitUs;
        if (count < 1 || count > mostHalfBits || !isWholeHalfBits(d, count, halfBitUs))
            return std::nullopt;
        halves.insert(halves.end(), count, mark);
    }
    return halves;
}

// Reads bits from pairs of half-bits; oneIsRising: a 1 is a space then a mark (RC5), else the reverse.
bool readBits(const THalfBits &halves, std::size_t from, int count, bool oneIsRising, uint32_t &bits)
{
    bits = 0;
    for (int i = 0; i < count; ++i) {
        const bool first = halves[from + 2 * i];
        const bool second = halves[from + 2 * i + 1];
        if (first == second)
            return false;
        bits = bits << 1 | (second == oneIsRising ? 1 : 0);
    }
    return true;
}

void appendBits(THalfBits &halves, uint32_t bits, int count, bool oneIsRising)
{
    for (int i = count - 1; i >= 0; --i) {
        const bool one = (bits >> i) & 1;
        const bool rising = one == oneIsRising;
        halves.push_back(!rising);
        halves.push_back(rising);
    }
}

// Merges runs of equal half-bits into durations; a leading or trailing space is no signal.
std::vector<int> durationsOf(const THalfBits &halves, int halfBitUs)
{
    std::vector<int> out;
    std::size_t i = 0;
    while (i < halves.size() && !halves[i])
        ++i;
    while (i < halves.size()) {
        std::size_t j = i;
        while (j < halves.size() && halves[j] == halves[i])
            ++j;
        if (halves[i] || j < halves.size())
            out.push_back(int(j - i) * halfBitUs);
        i = j;
    }
    return out;
}

} // namespace

// Start bit 1, field bit (the inverse of command bit 6), toggle, 5 address bits, 6 command bits,
// first sent bit highest. The start bit's first half is a space, which no capture shows.
std::optional<TProtocolCode> DecodeRc5Frame(TDurationReader &reader)
{
    reader.SetMarkStretch(markStretch(reader, Rc5HalfBitUs, Rc5HalfBitUs));
    const auto read = readHalfBits(reader, Rc5HalfBitUs, 2);
    if (!read)
        return std::nullopt;
    THalfBits halves{false};
    halves.insert(halves.end(), read->begin(), read->end());
    if (halves.size() == 2 * Rc5Bits - 1)
        halves.push_back(false);
    uint32_t bits = 0;
    if (halves.size() != 2 * Rc5Bits || !readBits(halves, 0, Rc5Bits, true, bits)) {
        if (reader.AtEnd() && halves.size() < 2 * Rc5Bits)
            reader.NoteRanOut();
        return std::nullopt;
    }
    if (!(bits >> 13 & 1))
        return std::nullopt;
    const bool extended = !(bits >> 12 & 1);
    TProtocolCode code;
    code.Protocol = extended ? QStringLiteral("RC5X") : QStringLiteral("RC5");
    code.Address = bits >> 6 & 0x1F;
    code.Command = (bits & 0x3F) | (extended ? 0x40 : 0);
    code.Bits = Rc5Bits;
    return code;
}

// Leader, start bit 1, mode 000, toggle, 8 address bits, 8 command bits; a 1 is a mark then a space.
std::optional<TProtocolCode> DecodeRc6Frame(TDurationReader &reader)
{
    reader.SetMarkStretch(0);
    if (!reader.NextNear(Rc6LeaderMarkUs) || !reader.NextNear(Rc6LeaderSpaceUs))
        return std::nullopt;
    reader.SetMarkStretch(markStretch(reader, Rc6HalfBitUs, 0));
    auto halves = readHalfBits(reader, Rc6HalfBitUs, 3);
    if (!halves)
        return std::nullopt;
    if (halves->size() == Rc6HalfBits - 1)
        halves->push_back(false);
    if (halves->size() != Rc6HalfBits) {
        if (reader.AtEnd() && halves->size() < Rc6HalfBits)
            reader.NoteRanOut();
        return std::nullopt;
    }
    const THalfBits &h = *halves;
    uint32_t header = 0, payload = 0;
    const bool toggleDoubled = h[8] == h[9] && h[10] == h[11] && h[8] != h[10];
    if (!readBits(h, 0, 4, false, header) || header != 0b1000 || !toggleDoubled
        || !readBits(h, 12, 16, false, payload))
        return std::nullopt;
    TProtocolCode code;
    code.Protocol = QStringLiteral("RC6");
    code.Address = payload >> 8;
    code.Command = payload & 0xFF;
    code.Bits = Rc6Bits;
    return code;
}

std::optional<TIrCode> EncodeRc5(const TProtocolCode &code)
{
    const bool extended = code.Protocol == QLatin1String("RC5X");
    const uint32_t lowest = extended ? 0x40 : 0;
    if (code.Address > 0x1F || code.Command < lowest || code.Command > lowest + 0x3F)
        return std::nullopt;
    const uint32_t bits = 1u << 13 | (extended ? 0 : 1u << 12) | code.Address << 6 | (code.Command & 0x3F);
    THalfBits halves;
    appendBits(halves, bits, Rc5Bits, true);
    TIrCode out;
    out.DurationsUs = durationsOf(halves, Rc5HalfBitUs);
    out.CarrierHz = Rc5CarrierHz;
    return out;
}

std::optional<TIrCode> EncodeRc6(const TProtocolCode &code)
{
    if (code.Address > 0xFF || code.Command > 0xFF)
        return std::nullopt;
    THalfBits halves(6, true);
    halves.insert(halves.end(), 2, false);
    appendBits(halves, 0b1000, 4, false);
    halves.insert(halves.end(), {false, false, true, true}); // toggle 0
    appendBits(halves, code.Address << 8 | code.Command, 16, false);
    TIrCode out;
    out.DurationsUs = durationsOf(halves, Rc6HalfBitUs);
    out.CarrierHz = Rc6CarrierHz;
    return out;
}
