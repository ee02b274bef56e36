#include "core/protocols/pulsewidth.h"

#include <cstdint>

namespace {

constexpr int SircCarrierHz = 40000;
constexpr int SircHeaderMarkUs = 2400;
constexpr int SircSpaceUs = 600;
constexpr int SircZeroMarkUs = 600;
constexpr int SircOneMarkUs = 1200;
constexpr int SircCommandBits = 7;
constexpr int SircMostBits = 20;

struct TSircVariant {
    const char *Protocol;
    int Bits;
    uint32_t AddressLimit;
};

// The address follows the 7-bit command: 5 bits, 8 bits, or 5 bits and an 8-bit extension.
constexpr TSircVariant SircVariants[] = {{"SIRC", 12, 0x1F}, {"SIRC15", 15, 0xFF}, {"SIRC20", 20, 0x1FFF}};

} // namespace

std::optional<TProtocolCode> DecodeSircFrame(TDurationReader &reader)
{
    // All spaces have one length, so their median shows how much the receiver took from them.
    const TFrameAhead ahead = FrameAhead(reader);
    const int stretch = ahead.Spaces.empty() ? 0 : SircSpaceUs - Median(ahead.Spaces);
    reader.SetMarkStretch(stretch);
    if (!reader.NextNear(SircHeaderMarkUs) || !reader.NextNear(SircSpaceUs))
        return std::nullopt;
    uint32_t bits = 0;
    int count = 0;
    for (bool last = false; !last;) {
        const int mark = reader.Next();
        int bit = -1;
        last = reader.AtEnd();
        if (last) {
            bit = NearerOf(mark, SircZeroMarkUs, SircOneMarkUs);
        } else {
            const int space = reader.Next();
            last = reader.AtEnd() || space >= FrameGapUs;
            if (last || IsNear(space, SircSpaceUs))
                bit = NearerOf(mark, SircZeroMarkUs, SircOneMarkUs);
        }
        if (bit < 0 || count == SircMostBits)
            return std::nullopt;
        bits |= uint32_t(bit) << count++;
    }
    for (const TSircVariant &variant : SircVariants) {
        if (variant.Bits == count) {
            TProtocolCode code;
            code.Protocol = QString::fromLatin1(variant.Protocol);
            code.Command = bits & 0x7F;
            code.Address = bits >> SircCommandBits;
            code.Bits = count;
            return code;
        }
    }
    // Too few bits at the end of the capture: a frame cut short, not a different code.
    if (reader.AtEnd() && count < SircMostBits)
        reader.NoteRanOut();
    return std::nullopt;
}

std::optional<TIrCode> EncodeSirc(const TProtocolCode &code)
{
    for (const TSircVariant &variant : SircVariants) {
        if (code.Protocol != QLatin1String(variant.Protocol))
            continue;
        if (code.Address > variant.AddressLimit || code.Command > 0x7F)
            return std::nullopt;
        const uint32_t bits = code.Command | code.Address << SircCommandBits;
        TIrCode out;
        out.CarrierHz = SircCarrierHz;
        out.DurationsUs = {SircHeaderMarkUs, SircSpaceUs};
        for (int i = 0; i < variant.Bits; ++i) {
            out.DurationsUs.push_back((bits >> i) & 1 ? SircOneMarkUs : SircZeroMarkUs);
            out.DurationsUs.push_back(SircSpaceUs);
        }
        out.DurationsUs.pop_back(); // the frame ends with its last mark
        return out;
    }
    return std::nullopt;
}
