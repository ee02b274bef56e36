#include "core/protocols/pulsedistance.h"

namespace {

constexpr int NecCarrierHz = 38000;
constexpr int KaseikyoCarrierHz = 37000;

constexpr TPulseDistanceFormat NecFormat{9000, 4500, 560, 560, 1690, 32};
constexpr TPulseDistanceFormat Samsung32Format{4500, 4500, 560, 560, 1690, 32};
constexpr TPulseDistanceFormat JvcFormat{8400, 4200, 526, 526, 1574, 16};
// A held JVC button repeats its frame without the header.
constexpr TPulseDistanceFormat JvcRepeatFormat{0, 0, 526, 526, 1574, 16};
constexpr TPulseDistanceFormat KaseikyoFormat{3456, 1728, 432, 432, 1296, 48};
constexpr TPulseDistanceFormat SharpFormat{0, 0, 320, 680, 1680, 15};

constexpr int NecRepeatSpaceUs = 2250;
constexpr int SharpFrameGapUs = 40000;

uint32_t byteOf(uint64_t bits, int index)
{
    return static_cast<uint32_t>(bits >> (8 * index)) & 0xFF;
}

bool isInverse(uint32_t a, uint32_t b)
{
    return (a ^ b) == 0xFF;
}

// Tries one reading on a copy of the reader and moves the reader on only when it succeeds, so the
// next reading starts at the same place.
template <typename Read>
auto attempt(TDurationReader &reader, Read read) -> decltype(read(reader))
{
    TDurationReader probe = reader;
    auto result = read(probe);
    if (result)
        reader = probe;
    else if (probe.RanOut())
        reader.NoteRanOut();
    return result;
}

TProtocolCode named(const char *protocol, uint32_t address, uint32_t command, int bits)
{
    TProtocolCode code;
    code.Protocol = QString::fromLatin1(protocol);
    code.Address = address;
    code.Command = command;
    code.Bits = bits;
    return code;
}

TIrCode frameCode(uint64_t bits, const TPulseDistanceFormat &format, int carrierHz)
{
    TIrCode code;
    AppendPulseDistanceFrame(code.DurationsUs, bits, format);
    code.CarrierHz = carrierHz;
    return code;
}

std::optional<TProtocolCode> readNecRepeat(TDurationReader &reader)
{
    reader.SetMarkStretch(0); // too few marks to measure a stretch
    if (reader.NextNear(NecFormat.HeaderMarkUs) && reader.NextNear(NecRepeatSpaceUs)
        && reader.NextNear(NecFormat.BitMarkUs) && reader.FrameEnds())
        return named("NEC repeat", 0, 0, 0);
    return std::nullopt;
}

// Kaseikyo's parities: a nibble over the vendor's four nibbles, and a byte over the three bytes
// after the vendor.
uint32_t vendorParity(uint32_t vendor)
{
    const uint32_t v = vendor ^ (vendor >> 8);
    return (v ^ (v >> 4)) & 0xF;
}

} // namespace

std::optional<uint64_t> ReadPulseDistanceFrame(TDurationReader &reader, const TPulseDistanceFormat &format)
{
    // All bit marks have one length, so their median shows how much the receiver stretched them.
    TDurationReader afterHeader = reader;
    if (format.HeaderMarkUs != 0) {
        afterHeader.Next();
        afterHeader.Next();
    }
    const TFrameAhead ahead = FrameAhead(afterHeader);
    const int stretch = ahead.Marks.empty() ? 0 : Median(ahead.Marks) - format.BitMarkUs;
    reader.SetMarkStretch(stretch);
    if (format.HeaderMarkUs != 0
        && !(reader.NextNear(format.HeaderMarkUs) && reader.NextNear(format.HeaderSpaceUs)))
        return std::nullopt;
    // A bit's mark and space together keep their length when a receiver stretches marks at the
    // expense of spaces, so the pair tells 0 from 1.
    const int zeroPeriod = format.BitMarkUs + format.ZeroSpaceUs;
    const int onePeriod = format.BitMarkUs + format.OneSpaceUs;
    uint64_t bits = 0;
    for (int i = 0; i < format.Bits; ++i) {
        const int mark = reader.Next();
        if (!IsNear(mark, format.BitMarkUs))
            return std::nullopt;
        const int bit = NearerOf(mark + reader.Next(), zeroPeriod, onePeriod);
        if (bit < 0)
            return std::nullopt;
        bits |= uint64_t(bit) << i;
    }
    if (!reader.NextNear(format.BitMarkUs) || !reader.FrameEnds())
        return std::nullopt;
    return bits;
}

void AppendPulseDistanceFrame(std::vector<int> &durationsUs, uint64_t bits, const TPulseDistanceFormat &format)
{
    if (format.HeaderMarkUs != 0) {
        durationsUs.push_back(format.HeaderMarkUs);
        durationsUs.push_back(format.HeaderSpaceUs);
    }
    for (int i = 0; i < format.Bits; ++i) {
        durationsUs.push_back(format.BitMarkUs);
        durationsUs.push_back((bits >> i) & 1 ? format.OneSpaceUs : format.ZeroSpaceUs);
    }
    durationsUs.push_back(format.BitMarkUs);
}

std::optional<TProtocolCode> DecodeNecFrame(TDurationReader &reader)
{
    if (auto repeat = attempt(reader, readNecRepeat))
        return repeat;
    const auto bits = ReadPulseDistanceFrame(reader, NecFormat);
    if (!bits)
        return std::nullopt;
    const uint32_t a0 = byteOf(*bits, 0), a1 = byteOf(*bits, 1), c0 = byteOf(*bits, 2), c1 = byteOf(*bits, 3);
    const bool commandInverted = isInverse(c0, c1);
    if (isInverse(a0, a1) && commandInverted)
        return named("NEC", a0, c0, NecFormat.Bits);
    return named("NECext", a0 | a1 << 8, commandInverted ? c0 : c0 | c1 << 8, NecFormat.Bits);
}

std::optional<TProtocolCode> DecodeSamsung32Frame(TDurationReader &reader)
{
    const auto bits = ReadPulseDistanceFrame(reader, Samsung32Format);
    if (!bits || byteOf(*bits, 0) != byteOf(*bits, 1) || !isInverse(byteOf(*bits, 2), byteOf(*bits, 3)))
        return std::nullopt;
    return named("Samsung32", byteOf(*bits, 0), byteOf(*bits, 2), Samsung32Format.Bits);
}

std::optional<TProtocolCode> DecodeJvcFrame(TDurationReader &reader)
{
    auto bits = attempt(reader, [](TDurationReader &r) { return ReadPulseDistanceFrame(r, JvcFormat); });
    if (!bits)
        bits = ReadPulseDistanceFrame(reader, JvcRepeatFormat);
    if (!bits)
        return std::nullopt;
    return named("JVC", byteOf(*bits, 0), byteOf(*bits, 1), JvcFormat.Bits);
}

// Vendor (16 bits), vendor parity (4), device address (12), command (8), parity (8).
std::optional<TProtocolCode> DecodeKaseikyoFrame(TDurationReader &reader)
{
    const auto bits = ReadPulseDistanceFrame(reader, KaseikyoFormat);
    if (!bits)
        return std::nullopt;
    const uint32_t vendor = static_cast<uint32_t>(*bits & 0xFFFF);
    const uint32_t device = static_cast<uint32_t>(*bits >> 20) & 0xFFF;
    const uint32_t command = byteOf(*bits, 4);
    const bool vendorChecked = ((*bits >> 16) & 0xF) == vendorParity(vendor);
    const bool bytesChecked = (byteOf(*bits, 2) ^ byteOf(*bits, 3) ^ command) == byteOf(*bits, 5);
    if (!vendorChecked || !bytesChecked)
        return std::nullopt;
    return named("Kaseikyo", vendor << 12 | device, command, KaseikyoFormat.Bits);
}

// Address (5 bits), command (8), expansion bit 1, check bit 0; the second frame inverts all but the
// address, so a receiver can tell a whole pair from a stray frame.
std::optional<TProtocolCode> DecodeSharpFrame(TDurationReader &reader)
{
    constexpr uint64_t Inverted = 0x7FE0;
    constexpr uint64_t ExpansionBit = uint64_t(1) << 13;
    const auto bits = ReadPulseDistanceFrame(reader, SharpFormat);
    if (!bits || (*bits & (3 << 13)) != ExpansionBit)
        return std::nullopt;
    if (!reader.AtEnd()) {
        const auto second = ReadPulseDistanceFrame(reader, SharpFormat);
        if (!second && !reader.RanOut())
            return std::nullopt;
        if (second && *second != (*bits ^ Inverted))
            return std::nullopt;
    }
    return named("Sharp", *bits & 0x1F, (*bits >> 5) & 0xFF, SharpFormat.Bits);
}

std::optional<TIrCode> EncodeNec(const TProtocolCode &code)
{
    if (code.Address > 0xFF || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | (code.Address ^ 0xFF) << 8 | code.Command << 16 | (code.Command ^ 0xFF) << 24;
    return frameCode(bits, NecFormat, NecCarrierHz);
}

std::optional<TIrCode> EncodeNecExt(const TProtocolCode &code)
{
    if (code.Address > 0xFFFF || code.Command > 0xFFFF)
        return std::nullopt;
    const uint64_t command = code.Command > 0xFF ? code.Command : code.Command | (code.Command ^ 0xFF) << 8;
    return frameCode(uint64_t(code.Address) | command << 16, NecFormat, NecCarrierHz);
}

std::optional<TIrCode> EncodeSamsung32(const TProtocolCode &code)
{
    if (code.Address > 0xFF || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | code.Address << 8 | code.Command << 16 | (code.Command ^ 0xFF) << 24;
    return frameCode(bits, Samsung32Format, NecCarrierHz);
}

std::optional<TIrCode> EncodeJvc(const TProtocolCode &code)
{
    if (code.Address > 0xFF || code.Command > 0xFF)
        return std::nullopt;
    return frameCode(code.Address | code.Command << 8, JvcFormat, NecCarrierHz);
}

std::optional<TIrCode> EncodeKaseikyo(const TProtocolCode &code)
{
    if (code.Address > 0xFFFFFFF || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t vendor = code.Address >> 12;
    const uint64_t device = code.Address & 0xFFF;
    const uint64_t byte2 = vendorParity(static_cast<uint32_t>(vendor)) | (device & 0xF) << 4;
    const uint64_t byte3 = device >> 4;
    const uint64_t parity = byte2 ^ byte3 ^ code.Command;
    const uint64_t bits = vendor | byte2 << 16 | byte3 << 24 | uint64_t(code.Command) << 32 | parity << 40;
    return frameCode(bits, KaseikyoFormat, KaseikyoCarrierHz);
}

std::optional<TIrCode> EncodeSharp(const TProtocolCode &code)
{
    if (code.Address > 0x1F || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | code.Command << 5 | uint64_t(1) << 13;
    TIrCode out = frameCode(bits, SharpFormat, NecCarrierHz);
    out.DurationsUs.push_back(SharpFrameGapUs);
    AppendPulseDistanceFrame(out.DurationsUs, bits ^ 0x7FE0, SharpFormat);
    return out;
}
