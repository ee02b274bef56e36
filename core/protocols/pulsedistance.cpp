#include "core/protocols/pulsedistance.h"

#include <cstdlib>

namespace {

constexpr int NecCarrierHz = 38000;
constexpr int KaseikyoCarrierHz = 37000;
constexpr int PioneerCarrierHz = 40000;

constexpr TPulseDistanceFormat NecFormat{9000, 4500, 560, 560, 1690, 32};
constexpr TPulseDistanceFormat Nec42Format{9000, 4500, 560, 560, 1690, 42};
constexpr TPulseDistanceFormat PioneerFormat{8500, 4225, 500, 500, 1500, 32};
// Signal-file players send Pioneer codes with a 33rd bit, always 0, before the closing mark.
constexpr TPulseDistanceFormat PioneerPaddedFormat{8500, 4225, 500, 500, 1500, 33};
constexpr TPulseDistanceFormat RcaFormat{4000, 4000, 500, 1000, 2000, 24};
constexpr TPulseDistanceFormat Samsung32Format{4500, 4500, 560, 560, 1690, 32};
constexpr TPulseDistanceFormat JvcFormat{8400, 4200, 526, 526, 1574, 16};
// A held JVC button repeats its frame without the header.
constexpr TPulseDistanceFormat JvcRepeatFormat{0, 0, 526, 526, 1574, 16};
constexpr TPulseDistanceFormat KaseikyoFormat{3456, 1728, 432, 432, 1296, 48};
constexpr TPulseDistanceFormat SharpFormat{0, 0, 320, 680, 1680, 15};

constexpr int NecRepeatSpaceUs = 2250;
constexpr int SharpFrameGapUs = 40000;
// Sharp's second frame inverts the command, expansion and check bits.
constexpr uint64_t SharpInvertedBits = 0x7FE0;
constexpr uint64_t SharpExpansionBit = uint64_t(1) << 13;
constexpr uint64_t SharpCheckBit = uint64_t(1) << 14;

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

// An address of addressBits and a command byte, each followed by its inverse (NEC, NEC42, Pioneer).
std::optional<TIrCode> encodeWithInverses(const TProtocolCode &code, int addressBits, const TPulseDistanceFormat &format,
                                          int carrierHz)
{
    const uint64_t mask = (uint64_t(1) << addressBits) - 1;
    if (code.Address > mask || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | (code.Address ^ mask) << addressBits | uint64_t(code.Command) << 2 * addressBits
                          | uint64_t(code.Command ^ 0xFF) << (2 * addressBits + 8);
    return frameCode(bits, format, carrierHz);
}

// The extended forms: the address bits, then 16 command bits, each as given.
std::optional<TIrCode> encodeAsGiven(const TProtocolCode &code, int addressBits, const TPulseDistanceFormat &format)
{
    if (code.Address >> addressBits != 0 || code.Command > 0xFFFF)
        return std::nullopt;
    return frameCode(code.Address | uint64_t(code.Command) << addressBits, format, NecCarrierHz);
}

std::optional<TProtocolCode> readNecRepeat(TDurationReader &reader)
{
    reader.SetMarkStretch(0); // too few marks to measure a stretch
    if (reader.NextNear(NecFormat.HeaderMarkUs) && reader.NextNear(NecRepeatSpaceUs)
        && reader.NextNear(NecFormat.BitMarkUs) && reader.FrameEnds())
        return named("NEC repeat", 0, 0, 0);
    return std::nullopt;
}

// Kaseikyo's first parity: the vendor's four nibbles folded into one (the second, a byte, folds
// the three bytes after the vendor).
uint32_t vendorParity(uint32_t vendor)
{
    const uint32_t v = vendor ^ (vendor >> 8);
    return (v ^ (v >> 4)) & 0xF;
}

// The nominal length of a frame's bits, marks and spaces, without header and closing mark.
long bitsLength(uint64_t bits, const TPulseDistanceFormat &format)
{
    long length = 0;
    for (int i = 0; i < format.Bits; ++i)
        length += format.BitMarkUs + ((bits >> i) & 1 ? format.OneSpaceUs : format.ZeroSpaceUs);
    return length;
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
    const TFrameAhead ahead = FrameAhead(afterHeader, std::size_t(2 * format.Bits + 1));
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

// 32 bits: address and command bytes, each followed by its inverse in NEC; NECext keeps all four
// bytes. 42 bits: a 13-bit address, its inverse, a command byte and its inverse in NEC42; NEC42ext
// keeps all of them.
std::optional<TProtocolCode> DecodeNecFrame(TDurationReader &reader)
{
    if (auto repeat = attempt(reader, readNecRepeat))
        return repeat;
    if (const auto bits = attempt(reader, [](TDurationReader &r) { return ReadPulseDistanceFrame(r, NecFormat); })) {
        const uint32_t a0 = byteOf(*bits, 0), a1 = byteOf(*bits, 1), c0 = byteOf(*bits, 2), c1 = byteOf(*bits, 3);
        if (isInverse(a0, a1) && isInverse(c0, c1))
            return named("NEC", a0, c0, NecFormat.Bits);
        return named("NECext", a0 | a1 << 8, c0 | c1 << 8, NecFormat.Bits);
    }
    const auto bits = ReadPulseDistanceFrame(reader, Nec42Format);
    if (!bits)
        return std::nullopt;
    const auto address = static_cast<uint32_t>(*bits & 0x1FFF);
    const auto addressInverse = static_cast<uint32_t>(*bits >> 13) & 0x1FFF;
    const auto command = static_cast<uint32_t>(*bits >> 26) & 0xFF;
    const auto commandInverse = static_cast<uint32_t>(*bits >> 34) & 0xFF;
    if ((address ^ addressInverse) == 0x1FFF && isInverse(command, commandInverse))
        return named("NEC42", address, command, Nec42Format.Bits);
    return named("NEC42ext", address | addressInverse << 13, command | commandInverse << 8, Nec42Format.Bits);
}

// NEC's frame at 40 kHz with a shorter unit: its header and bits pass for NEC's within the
// tolerance, so the bits' total length, which a receiver's stretch of the marks leaves alone, tells
// the two apart. Address and command bytes are each followed by their inverse.
std::optional<TProtocolCode> DecodePioneerFrame(TDurationReader &reader)
{
    TDurationReader afterHeader = reader;
    afterHeader.Next();
    afterHeader.Next();
    const TFrameAhead ahead = FrameAhead(afterHeader, std::size_t(2 * PioneerFormat.Bits));
    auto bits = attempt(reader, [](TDurationReader &r) { return ReadPulseDistanceFrame(r, PioneerFormat); });
    if (!bits) {
        bits = ReadPulseDistanceFrame(reader, PioneerPaddedFormat);
        if (bits && (*bits >> PioneerFormat.Bits) != 0)
            return std::nullopt;
    }
    if (!bits || ahead.Spaces.size() != std::size_t(PioneerFormat.Bits))
        return std::nullopt;
    const uint32_t a = byteOf(*bits, 0), c = byteOf(*bits, 2);
    if (!isInverse(a, byteOf(*bits, 1)) || !isInverse(c, byteOf(*bits, 3)))
        return std::nullopt;
    long measured = 0;
    for (std::size_t i = 0; i < ahead.Spaces.size(); ++i)
        measured += ahead.Marks[i] + ahead.Spaces[i];
    const long pioneer = bitsLength(*bits, PioneerFormat);
    const long nec = bitsLength(*bits, NecFormat);
    if (std::labs(measured - pioneer) >= std::labs(measured - nec))
        return std::nullopt;
    return named("Pioneer", a, c, PioneerFormat.Bits);
}

// A 4-bit address and a command byte, then the inverse of both.
std::optional<TProtocolCode> DecodeRcaFrame(TDurationReader &reader)
{
    const auto bits = ReadPulseDistanceFrame(reader, RcaFormat);
    if (!bits)
        return std::nullopt;
    const auto address = static_cast<uint32_t>(*bits & 0xF);
    const auto command = static_cast<uint32_t>(*bits >> 4) & 0xFF;
    if (((*bits >> 12) & 0xF) != (address ^ 0xF) || ((*bits >> 16) & 0xFF) != (command ^ 0xFF))
        return std::nullopt;
    return named("RCA", address, command, RcaFormat.Bits);
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

// Vendor (16 bits), vendor parity (4), genre 1 (4), genre 2 (4), command (10), id (2), parity (8).
// The address gathers what is not the command as signal files hold it: id << 24 | vendor << 8 |
// genre 1 << 4 | genre 2.
std::optional<TProtocolCode> DecodeKaseikyoFrame(TDurationReader &reader)
{
    const auto bits = ReadPulseDistanceFrame(reader, KaseikyoFormat);
    if (!bits)
        return std::nullopt;
    const auto vendor = static_cast<uint32_t>(*bits & 0xFFFF);
    const uint32_t genre1 = byteOf(*bits, 2) >> 4;
    const uint32_t genre2 = byteOf(*bits, 3) & 0xF;
    const auto command = static_cast<uint32_t>(*bits >> 28) & 0x3FF;
    const uint32_t id = byteOf(*bits, 4) >> 6;
    const bool vendorChecked = (byteOf(*bits, 2) & 0xF) == vendorParity(vendor);
    const bool bytesChecked = (byteOf(*bits, 2) ^ byteOf(*bits, 3) ^ byteOf(*bits, 4)) == byteOf(*bits, 5);
    if (!vendorChecked || !bytesChecked)
        return std::nullopt;
    return named("Kaseikyo", id << 24 | vendor << 8 | genre1 << 4 | genre2, command, KaseikyoFormat.Bits);
}

// Address (5 bits), command (8), expansion bit 1, check bit 0; the second frame inverts all but the
// address, so a receiver can tell a whole pair from a stray frame.
std::optional<TProtocolCode> DecodeSharpFrame(TDurationReader &reader)
{
    const auto bits = ReadPulseDistanceFrame(reader, SharpFormat);
    if (!bits || (*bits & (SharpExpansionBit | SharpCheckBit)) != SharpExpansionBit)
        return std::nullopt;
    if (!reader.AtEnd()) {
        const auto second = ReadPulseDistanceFrame(reader, SharpFormat);
        if (!second && !reader.RanOut())
            return std::nullopt;
        if (second && *second != (*bits ^ SharpInvertedBits))
            return std::nullopt;
    }
    return named("Sharp", *bits & 0x1F, (*bits >> 5) & 0xFF, SharpFormat.Bits);
}

std::optional<TIrCode> EncodeNec(const TProtocolCode &code)
{
    return encodeWithInverses(code, 8, NecFormat, NecCarrierHz);
}

std::optional<TIrCode> EncodeNecExt(const TProtocolCode &code)
{
    return encodeAsGiven(code, 16, NecFormat);
}

std::optional<TIrCode> EncodeNec42(const TProtocolCode &code)
{
    return encodeWithInverses(code, 13, Nec42Format, NecCarrierHz);
}

std::optional<TIrCode> EncodeNec42Ext(const TProtocolCode &code)
{
    return encodeAsGiven(code, 26, Nec42Format);
}

std::optional<TIrCode> EncodePioneer(const TProtocolCode &code)
{
    return encodeWithInverses(code, 8, PioneerFormat, PioneerCarrierHz);
}

std::optional<TIrCode> EncodeRca(const TProtocolCode &code)
{
    if (code.Address > 0xF || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | code.Command << 4 | (code.Address ^ 0xF) << 12 | (code.Command ^ 0xFF) << 16;
    return frameCode(bits, RcaFormat, NecCarrierHz);
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
    if (code.Address > 0x3FFFFFF || code.Command > 0x3FF)
        return std::nullopt;
    const uint64_t id = code.Address >> 24;
    const uint64_t vendor = (code.Address >> 8) & 0xFFFF;
    const uint64_t byte2 = vendorParity(static_cast<uint32_t>(vendor)) | ((code.Address >> 4) & 0xF) << 4;
    const uint64_t byte3 = (code.Address & 0xF) | (code.Command & 0xF) << 4;
    const uint64_t byte4 = code.Command >> 4 | id << 6;
    const uint64_t bits = vendor | byte2 << 16 | byte3 << 24 | byte4 << 32 | (byte2 ^ byte3 ^ byte4) << 40;
    return frameCode(bits, KaseikyoFormat, KaseikyoCarrierHz);
}

std::optional<TIrCode> EncodeSharp(const TProtocolCode &code)
{
    if (code.Address > 0x1F || code.Command > 0xFF)
        return std::nullopt;
    const uint64_t bits = code.Address | code.Command << 5 | SharpExpansionBit;
    TIrCode out = frameCode(bits, SharpFormat, NecCarrierHz);
    out.DurationsUs.push_back(SharpFrameGapUs);
    AppendPulseDistanceFrame(out.DurationsUs, bits ^ SharpInvertedBits, SharpFormat);
    return out;
}
