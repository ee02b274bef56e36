// Captures of real remotes' buttons, written from the published timings with a receiver's skew,
// jitter and the module's 10 µs units, must be named with the right protocol, address and command;
// pulse trains that are no code must stay unnamed.
#include "core/protocols/protocols.h"

#include "capture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace capture;

constexpr TPulseDistance Nec{9000, 4500, 560, 560, 1690};
constexpr TPulseDistance Samsung{4500, 4500, 560, 560, 1690};
constexpr TPulseDistance Jvc{8400, 4200, 526, 526, 1574};
constexpr TPulseDistance JvcRepeat{0, 0, 526, 526, 1574};
constexpr TPulseDistance Kaseikyo{3456, 1728, 432, 432, 1296};
constexpr TPulseDistance Pioneer{8500, 4225, 500, 500, 1500};
constexpr TPulseDistance Rca{4000, 4000, 500, 1000, 2000};
constexpr TPulseDistance Sharp{0, 0, 320, 680, 1680};
constexpr TPulseDistance AirConditioner{3500, 1750, 430, 430, 1300};

std::vector<int> necFrame(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3)
{
    std::vector<int> d;
    AppendPulseDistance(d, Nec, Bits({{b0, 8}, {b1, 8}, {b2, 8}, {b3, 8}}));
    return d;
}

std::vector<int> necRepeat()
{
    return {9000, 2250, 560};
}

std::vector<int> then(std::vector<int> a, int gapUs, const std::vector<int> &b)
{
    AppendGap(a, gapUs);
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<int> pulseDistance(const TPulseDistance &t, const std::string &bits)
{
    std::vector<int> d;
    AppendPulseDistance(d, t, bits);
    return d;
}

std::vector<int> sirc(const std::string &bits)
{
    std::vector<int> d;
    AppendSirc(d, bits);
    return d;
}

std::vector<int> levels(const std::string &l, int halfBitUs)
{
    std::vector<int> d;
    AppendLevels(d, l, halfBitUs);
    return d;
}

struct CaptureCase {
    const char *name;
    std::function<std::vector<int>()> nominal;
    const char *protocol;
    uint32_t address;
    uint32_t command;
};

const std::string SircVolumeUp = Bits({{0x12, 7}, {0x01, 5}});
const std::string SharpPower = Bits({{0x01, 5}, {0x52, 8}, {1, 1}, {0, 1}});
const std::string SharpPowerInverted = Bits({{0x01, 5}, {0x52 ^ 0xFF, 8}, {0, 1}, {1, 1}});
const std::string Rc5Frame = Bits({{1, 1}, {1, 1}, {0, 1}, {0x05, 5}, {0x35, 6}}, true);

const CaptureCase Captures[] = {
    {"NecStandard", [] { return necFrame(0x04, 0xFB, 0x08, 0xF7); }, "NEC", 0x04, 0x08},
    {"NecWithTwoRepeatFrames",
     [] { return then(then(necFrame(0x04, 0xFB, 0x08, 0xF7), 40000, necRepeat()), 96000, necRepeat()); }, "NEC",
     0x04, 0x08},
    {"NecWithLongFinalSpace", [] { return then(necFrame(0x00, 0xFF, 0x45, 0xBA), 45000, {}); }, "NEC", 0x00, 0x45},
    {"NecFrameRepeatedWhole", [] { return then(necFrame(0x20, 0xDF, 0x10, 0xEF), 40000, necFrame(0x20, 0xDF, 0x10, 0xEF)); },
     "NEC", 0x20, 0x10},
    {"NecExtendedAddress", [] { return necFrame(0x00, 0x7F, 0x16, 0xE9); }, "NECext", 0x7F00, 0xE916},
    {"NecExtendedCommandNotInverted", [] { return necFrame(0x86, 0x05, 0x0F, 0x00); }, "NECext", 0x0586, 0x000F},
    {"NecExtendedFourthByteZero", [] { return necFrame(0x04, 0xFB, 0x08, 0x00); }, "NECext", 0xFB04, 0x0008},
    {"Nec42",
     [] { return pulseDistance(Nec, Bits({{0x1234, 13}, {0x1234 ^ 0x1FFF, 13}, {0x5A, 8}, {0x5A ^ 0xFF, 8}})); },
     "NEC42", 0x1234, 0x5A},
    {"Nec42WithRepeatFrame",
     [] { return then(pulseDistance(Nec, Bits({{0x0001, 13}, {0x1FFE, 13}, {0x10, 8}, {0xEF, 8}})), 40000, necRepeat()); },
     "NEC42", 0x0001, 0x10},
    {"Nec42Extended", [] { return pulseDistance(Nec, Bits({{0x1234, 13}, {0x0042, 13}, {0x5A, 8}, {0x01, 8}})); },
     "NEC42ext", 0x1234 | 0x0042 << 13, 0x015A},
    {"Pioneer", [] { return pulseDistance(Pioneer, Bits({{0xA5, 8}, {0x5A, 8}, {0x1C, 8}, {0xE3, 8}})); }, "Pioneer",
     0xA5, 0x1C},
    {"PioneerWithThe33rdBitOfSignalFilePlayers",
     [] { return pulseDistance(Pioneer, Bits({{0xAA, 8}, {0x55, 8}, {0x38, 8}, {0xC7, 8}, {0, 1}})); }, "Pioneer", 0xAA,
     0x38},
    {"Rca", [] { return pulseDistance(Rca, Bits({{0xF, 4}, {0x54, 8}, {0x0, 4}, {0xAB, 8}})); }, "RCA", 0xF, 0x54},
    {"NecRepeatFrameAlone", [] { return then(necRepeat(), 96000, necRepeat()); }, "NEC repeat", 0, 0},
    {"Samsung32", [] { return pulseDistance(Samsung, Bits({{0x07, 8}, {0x07, 8}, {0x02, 8}, {0xFD, 8}})); },
     "Samsung32", 0x07, 0x02},
    {"Sirc12ThreeFrames",
     [] { return then(then(sirc(SircVolumeUp), 25000, sirc(SircVolumeUp)), 25000, sirc(SircVolumeUp)); }, "SIRC",
     0x01, 0x12},
    {"Sirc15", [] { return sirc(Bits({{0x33, 7}, {0x9A, 8}})); }, "SIRC15", 0x9A, 0x33},
    {"Sirc20", [] { return sirc(Bits({{0x07, 7}, {0x1A, 5}, {0x5C, 8}})); }, "SIRC20", 0x1A | 0x5C << 5, 0x07},
    {"Rc5", [] { return levels(Rc5Levels(Rc5Frame), 889); }, "RC5", 0x05, 0x35},
    {"Rc5RepeatedWithOtherToggle",
     [] {
         std::string toggled = Rc5Frame;
         toggled[2] = '1';
         return then(levels(Rc5Levels(Rc5Frame), 889), 89000, levels(Rc5Levels(toggled), 889));
     },
     "RC5", 0x05, 0x35},
    {"Rc5Extended", [] { return levels(Rc5Levels(Bits({{1, 1}, {0, 1}, {1, 1}, {0x0A, 5}, {0x05, 6}}, true)), 889); },
     "RC5X", 0x0A, 0x45},
    {"Rc6Mode0", [] { return levels(Rc6Levels(Bits({{0x00, 8}, {0x0C, 8}}, true), false), 444); }, "RC6", 0x00,
     0x0C},
    {"Rc6Mode0Toggled", [] { return levels(Rc6Levels(Bits({{0x04, 8}, {0xA7, 8}}, true), true), 444); }, "RC6",
     0x04, 0xA7},
    {"JvcWithHeaderlessRepeat",
     [] {
         const std::string bits = Bits({{0x03, 8}, {0x17, 8}});
         return then(pulseDistance(Jvc, bits), 22000, pulseDistance(JvcRepeat, bits));
     },
     "JVC", 0x03, 0x17},
    // Vendor 0x2002, vendor parity 0, genres 8 and 0, command 0x3D0, id 0: 02 20 80 00 3D BD.
    {"KaseikyoTenBitCommand",
     [] { return pulseDistance(Kaseikyo, Bits({{0x02, 8}, {0x20, 8}, {0x80, 8}, {0x00, 8}, {0x3D, 8}, {0xBD, 8}})); },
     "Kaseikyo", 0x00200280, 0x3D0},
    // Vendor 0x3254 (parity 4 ^ 5 ^ 2 ^ 3 = 0), genres 1 and 2, command 0x0A5, id 3.
    {"KaseikyoVendorGenresAndId",
     [] { return pulseDistance(Kaseikyo, Bits({{0x54, 8}, {0x32, 8}, {0x10, 8}, {0x52, 8}, {0xCA, 8}, {0x88, 8}})); },
     "Kaseikyo", 0x03325412, 0x0A5},
    {"SharpWithInvertedFrame", [] { return then(pulseDistance(Sharp, SharpPower), 40000, pulseDistance(Sharp, SharpPowerInverted)); },
     "Sharp", 0x01, 0x52},
    {"SharpFirstFrameOnly", [] { return pulseDistance(Sharp, SharpPower); }, "Sharp", 0x01, 0x52},
};

class CaptureTest : public ::testing::TestWithParam<CaptureCase> {};

// A receiver that stretches marks a little with more jitter, and one that stretches them a lot.
struct Receiver {
    int jitterPercent;
    int markStretchUs;
};

constexpr Receiver Receivers[] = {{12, 60}, {8, 150}};

TEST_P(CaptureTest, NamesProtocolAddressAndCommand)
{
    const CaptureCase &c = GetParam();
    constexpr unsigned Seed = 1312;
    std::mt19937 random(Seed);
    for (const Receiver &receiver : Receivers) {
        SCOPED_TRACE(::testing::Message() << "seed " << Seed << " jitter " << receiver.jitterPercent << " % stretch "
                                          << receiver.markStretchUs << " us");
        const std::vector<int> durations = Captured(c.nominal(), random, receiver.jitterPercent, receiver.markStretchUs);
        const auto code = IdentifyCode(durations);
        ASSERT_TRUE(code) << ProtocolLogLine(durations).toStdString();
        EXPECT_EQ(code->Protocol.toStdString(), c.protocol);
        EXPECT_EQ(code->Address, c.address);
        EXPECT_EQ(code->Command, c.command);
    }
}

INSTANTIATE_TEST_SUITE_P(Remotes, CaptureTest, ::testing::ValuesIn(Captures),
                         [](const auto &info) { return info.param.name; });

// Air conditioners send their whole state as long pulse-distance frames of no named protocol.
struct PulseDistanceCase {
    const char *name;
    std::function<std::vector<int>()> nominal;
    int bits;
    const char *hexData;
};

const std::string AirConditionerState = Bits({{0x11, 8}, {0xDA, 8}, {0x27, 8}, {0x00, 8}, {0xC5, 8}, {0x00, 8}, {0x00, 8}, {0xD7, 8}});

const PulseDistanceCase PulseDistanceCaptures[] = {
    {"OneFrameOf64Bits", [] { return pulseDistance(AirConditioner, AirConditionerState); }, 64, "11DA2700C50000D7"},
    {"TwoFramesReadAsOne",
     [] {
         return then(pulseDistance(AirConditioner, AirConditionerState), 35000,
                     pulseDistance(AirConditioner, Bits({{0x11, 8}, {0xDA, 8}, {0x27, 8}, {0x00, 8}, {0x42, 8}})));
     },
     104, "11DA2700C50000D711DA270042"},
    {"NecHeaderWith48Bits", [] { return pulseDistance(Nec, Bits({{0x23, 8}, {0xCB, 8}, {0x26, 8}, {0x01, 8}, {0x00, 8}, {0x24, 8}})); },
     48, "23CB26010024"},
    {"OddBitCountFillsTheLastByteFromBelow", [] { return pulseDistance(AirConditioner, Bits({{0xA5, 8}, {0x5, 3}})); }, 11,
     "A505"},
    {"NecFollowedByAnotherButtonIsNoNecCode",
     [] { return then(necFrame(0x04, 0xFB, 0x08, 0xF7), 40000, necFrame(0x04, 0xFB, 0x09, 0xF6)); }, 64,
     "04FB08F704FB09F6"},
    {"SamsungHeaderWithUnequalAddressBytes",
     [] { return pulseDistance(Samsung, Bits({{0x07, 8}, {0x08, 8}, {0x02, 8}, {0xFD, 8}})); }, 32, "070802FD"},
    {"KaseikyoWithWrongParity",
     [] { return pulseDistance(Kaseikyo, Bits({{0x2002, 16}, {0x0, 4}, {0x0A1, 12}, {0x3D, 8}, {0x28, 8}})); }, 48,
     "0220100A3D28"},
};

class PulseDistanceTest : public ::testing::TestWithParam<PulseDistanceCase> {};

TEST_P(PulseDistanceTest, ReadsAllBitsAsData)
{
    const PulseDistanceCase &c = GetParam();
    constexpr unsigned Seed = 4711;
    std::mt19937 random(Seed);
    SCOPED_TRACE(::testing::Message() << "seed " << Seed);
    const auto code = IdentifyCode(Captured(c.nominal(), random, 10, 60));
    ASSERT_TRUE(code);
    EXPECT_EQ(code->Protocol, QStringLiteral("Pulse distance"));
    EXPECT_EQ(code->Bits, c.bits);
    EXPECT_EQ(code->Data, QByteArray::fromHex(c.hexData));
}

INSTANTIATE_TEST_SUITE_P(AirConditioners, PulseDistanceTest, ::testing::ValuesIn(PulseDistanceCaptures),
                         [](const auto &info) { return info.param.name; });

// Pulse trains that look almost like a code but break one of its rules.
struct NoCodeCase {
    const char *name;
    std::function<std::vector<int>()> nominal;
};

const NoCodeCase NoCodes[] = {
    {"SpaceBetweenZeroAndOne",
     [] {
         std::vector<int> d = necFrame(0x04, 0xFB, 0x08, 0xF7);
         d[7] = 1100;
         return d;
     }},
    {"MarksOfTwoLengths",
     [] {
         std::vector<int> d = pulseDistance(AirConditioner, AirConditionerState);
         for (std::size_t i = 2; i < d.size(); i += 4)
             d[i] = 900;
         return d;
     }},
    {"Sirc13Bits", [] { return sirc(Bits({{0x12, 7}, {0x01, 6}})); }},
    {"Rc5OneHalfBitShort", [] { return levels(Rc5Levels(Rc5Frame).substr(0, 25), 889); }},
    {"Rc6ModeThree", [] {
         std::string l = Rc6Levels(Bits({{0x00, 8}, {0x0C, 8}}, true), false);
         l.replace(10, 6, "101010");
         return levels(l, 444);
     }},
    {"SingleMark", [] { return std::vector<int>{560}; }},
    {"Nothing", [] { return std::vector<int>{}; }},
};

class NoCodeTest : public ::testing::TestWithParam<NoCodeCase> {};

TEST_P(NoCodeTest, StaysUnnamed)
{
    const std::vector<int> durations = GetParam().nominal();
    const auto code = IdentifyCode(durations);
    EXPECT_FALSE(code) << code->Protocol.toStdString() << " " << code->Address << " " << code->Command;
}

INSTANTIATE_TEST_SUITE_P(Trains, NoCodeTest, ::testing::ValuesIn(NoCodes),
                         [](const auto &info) { return info.param.name; });

TEST(RandomPulses, AreNotNamed)
{
    constexpr unsigned Seed = 99;
    std::mt19937 random(Seed);
    SCOPED_TRACE(::testing::Message() << "seed " << Seed);
    std::uniform_int_distribution<int> length(20, 300);
    std::uniform_int_distribution<int> duration(15, 350);
    for (int round = 0; round < 2000; ++round) {
        std::vector<int> d(length(random));
        for (int &v : d)
            v = duration(random) * 10;
        const auto code = IdentifyCode(d);
        ASSERT_FALSE(code) << "round " << round << ": " << code->Protocol.toStdString();
    }
}

// Two captures of one button agree; a neighbouring button of the same remote gives another code.
struct ButtonPairCase {
    const char *name;
    std::function<std::vector<int>()> button;
    std::function<std::vector<int>()> neighbour;
};

const ButtonPairCase ButtonPairs[] = {
    {"Nec", [] { return necFrame(0x04, 0xFB, 0x08, 0xF7); }, [] { return necFrame(0x04, 0xFB, 0x09, 0xF6); }},
    {"Sirc", [] { return sirc(SircVolumeUp); }, [] { return sirc(Bits({{0x13, 7}, {0x01, 5}})); }},
    {"Rc5", [] { return levels(Rc5Levels(Rc5Frame), 889); },
     [] { return levels(Rc5Levels(Bits({{1, 1}, {1, 1}, {0, 1}, {0x05, 5}, {0x34, 6}}, true)), 889); }},
    {"Rc6", [] { return levels(Rc6Levels(Bits({{0x00, 8}, {0x0C, 8}}, true), false), 444); },
     [] { return levels(Rc6Levels(Bits({{0x00, 8}, {0x0D, 8}}, true), false), 444); }},
    {"AirConditionerOneDegreeWarmer", [] { return pulseDistance(AirConditioner, AirConditionerState); },
     [] {
         return pulseDistance(AirConditioner,
                              Bits({{0x11, 8}, {0xDA, 8}, {0x27, 8}, {0x00, 8}, {0xC6, 8}, {0x00, 8}, {0x00, 8}, {0xD8, 8}}));
     }},
};

class ButtonPairTest : public ::testing::TestWithParam<ButtonPairCase> {};

TEST_P(ButtonPairTest, SameButtonAgreesOtherButtonDiffers)
{
    constexpr unsigned Seed = 31;
    std::mt19937 random(Seed);
    SCOPED_TRACE(::testing::Message() << "seed " << Seed);
    const auto first = IdentifyCode(Captured(GetParam().button(), random, 12, 60));
    const auto second = IdentifyCode(Captured(GetParam().button(), random, 12, 40));
    const auto other = IdentifyCode(Captured(GetParam().neighbour(), random, 12, 60));
    ASSERT_TRUE(first && second && other);
    EXPECT_EQ(*first, *second);
    EXPECT_FALSE(*first == *other);
}

INSTANTIATE_TEST_SUITE_P(Remotes, ButtonPairTest, ::testing::ValuesIn(ButtonPairs),
                         [](const auto &info) { return info.param.name; });

} // namespace
