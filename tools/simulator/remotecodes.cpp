#include "tools/simulator/remotecodes.h"

#include <initializer_list>

namespace irsim {

namespace {

using TDurations = std::vector<int>;

// Pulse-distance coding, least significant bit first: every bit is a fixed pulse followed by a
// short gap for 0 and a long gap for 1.
void appendPulseDistance(TDurations &d, std::initializer_list<int> bytes, int pulse, int zeroGap, int oneGap)
{
    for (int byte : bytes) {
        for (int bit = 0; bit < 8; ++bit) {
            d.push_back(pulse);
            d.push_back((byte >> bit) & 1 ? oneGap : zeroGap);
        }
    }
}

// Bi-phase coding from half-bit levels (true = pulse): neighbouring halves of one level merge into
// one duration; the idle gap before the first pulse and after the last one is not part of it.
TDurations fromHalfBits(const std::vector<std::pair<bool, int>> &halves)
{
    TDurations d;
    bool level = false;
    for (const auto &[pulse, length] : halves) {
        if (d.empty() && !pulse)
            continue;
        if (!d.empty() && pulse == level)
            d.back() += length;
        else
            d.push_back(length);
        level = pulse;
    }
    if (!level && !d.empty())
        d.pop_back();
    return d;
}

TDurations nec()
{
    TDurations d{900, 450};
    appendPulseDistance(d, {0x00, 0xFF, 0x45, 0xBA}, 56, 56, 169);
    d.push_back(56);
    // One repeat frame after the key stays pressed.
    d.insert(d.end(), {4000, 900, 225, 56});
    return d;
}

TDurations samsung()
{
    TDurations d{450, 450};
    appendPulseDistance(d, {0x07, 0x07, 0x02, 0xFD}, 56, 56, 169);
    d.push_back(56);
    return d;
}

// Fourteen bits, most significant first: two start bits, toggle, 5 address bits, 6 command bits.
// A 1 is a gap then a pulse, a 0 a pulse then a gap, each half 889 us.
TDurations rc5()
{
    const int half = 89;
    const unsigned bits = 0b11'0'00000'001100; // address 0, command 12 (standby)
    std::vector<std::pair<bool, int>> halves;
    for (int i = 13; i >= 0; --i) {
        const bool one = (bits >> i) & 1;
        halves.push_back({!one, half});
        halves.push_back({one, half});
    }
    return fromHalfBits(halves);
}

// Leader, start bit, three mode bits, the double-length toggle bit, 8 address and 8 command bits.
// A 1 is a pulse then a gap, a 0 a gap then a pulse, each half 444 us.
TDurations rc6()
{
    const int half = 44;
    std::vector<std::pair<bool, int>> halves{{true, 6 * half}, {false, 2 * half}};
    auto bit = [&](bool one, int length) {
        halves.push_back({one, length});
        halves.push_back({!one, length});
    };
    bit(true, half);
    for (int i = 0; i < 3; ++i)
        bit(false, half);
    bit(false, 2 * half);
    const unsigned body = (0x00u << 8) | 0x0Cu; // address 0, command 12
    for (int i = 15; i >= 0; --i)
        bit((body >> i) & 1, half);
    return fromHalfBits(halves);
}

// Twelve bits, least significant first (7 command, 5 address bits): a 2.4 ms header pulse, then
// per bit a 600 us gap and a pulse of 1200 us for 1 or 600 us for 0. The frame repeats three times,
// one every 45 ms.
TDurations sony()
{
    const unsigned bits = 21u | (1u << 7); // command 21 (power), address 1
    TDurations frame{240};
    for (int i = 0; i < 12; ++i) {
        frame.push_back(60);
        frame.push_back((bits >> i) & 1 ? 120 : 60);
    }
    int frameLength = 0;
    for (int v : frame)
        frameLength += v;
    TDurations d;
    for (int repeat = 0; repeat < 3; ++repeat) {
        if (repeat > 0)
            d.push_back(4500 - frameLength);
        d.insert(d.end(), frame.begin(), frame.end());
    }
    return d;
}

// An air conditioner's state message: two frames of pulse-distance bytes after a 3.5 ms header,
// a short fixed frame and the long state frame, 10 ms apart. Long enough that its timing data
// needs both length digits.
TDurations airConditioner()
{
    TDurations d{350, 175};
    appendPulseDistance(d, {0x02, 0x20, 0xE0, 0x04, 0x00, 0x00, 0x00, 0x06}, 43, 43, 130);
    d.insert(d.end(), {43, 1000, 350, 175});
    appendPulseDistance(d,
        {0x02, 0x20, 0xE0, 0x04, 0x00, 0x49, 0x32, 0x80, 0xAF, 0x00, 0x00, 0x06, 0x60, 0x00, 0x00, 0x80, 0x00,
         0x06, 0x8F},
        43, 43, 130);
    d.push_back(43);
    return d;
}

std::vector<TRemoteCode> build()
{
    return {
        {QStringLiteral("nec"), QStringLiteral("NEC-style, 32 bits and one repeat frame"), nec()},
        {QStringLiteral("rc5"), QStringLiteral("RC5-style bi-phase, 14 bits"), rc5()},
        {QStringLiteral("rc6"), QStringLiteral("RC6-style bi-phase, mode 0, 16 bits"), rc6()},
        {QStringLiteral("sony"), QStringLiteral("Sony-style 12 bits, three frames"), sony()},
        {QStringLiteral("samsung"), QStringLiteral("Samsung-style, 32 bits"), samsung()},
        {QStringLiteral("aircon"), QStringLiteral("air conditioner state, two frames, 216 bits"), airConditioner()},
    };
}

} // namespace

const std::vector<TRemoteCode> &RemoteCodes()
{
    static const std::vector<TRemoteCode> codes = build();
    return codes;
}

QStringList RemoteCodeNames()
{
    QStringList names;
    for (const TRemoteCode &code : RemoteCodes())
        names << code.Name;
    return names;
}

const TRemoteCode *FindRemoteCode(const QString &name)
{
    for (const TRemoteCode &code : RemoteCodes())
        if (code.Name == name)
            return &code;
    return nullptr;
}

} // namespace irsim
