// Encoding a code and reading it back through a jittered capture gives the same code, over random
// addresses and commands of every encodable protocol.
#include "core/protocols/protocols.h"

#include "capture.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned Seed = 20261210;
constexpr int Rounds = 300;

struct Field {
    uint32_t Lowest, Highest;
};

struct EncodableCase {
    const char *protocol;
    Field address;
    Field command;
    int carrierHz;
};

// An NECext code whose second and fourth bytes are the inverses of the first and third is an NEC
// code, and an NEC42ext one of that form NEC42; those draws are passed over (isShorterForm).
const EncodableCase Encodable[] = {
    {"NEC", {0, 0xFF}, {0, 0xFF}, 38000},
    {"NECext", {0, 0xFFFF}, {0, 0xFFFF}, 38000},
    {"NEC42", {0, 0x1FFF}, {0, 0xFF}, 38000},
    {"NEC42ext", {0, 0x3FFFFFF}, {0, 0xFFFF}, 38000},
    {"Pioneer", {0, 0xFF}, {0, 0xFF}, 40000},
    {"RCA", {0, 0xF}, {0, 0xFF}, 38000},
    {"Samsung32", {0, 0xFF}, {0, 0xFF}, 38000},
    {"SIRC", {0, 0x1F}, {0, 0x7F}, 40000},
    {"SIRC15", {0, 0xFF}, {0, 0x7F}, 40000},
    {"SIRC20", {0, 0x1FFF}, {0, 0x7F}, 40000},
    {"RC5", {0, 0x1F}, {0, 0x3F}, 36000},
    {"RC5X", {0, 0x1F}, {0x40, 0x7F}, 36000},
    {"RC6", {0, 0xFF}, {0, 0xFF}, 36000},
    {"JVC", {0, 0xFF}, {0, 0xFF}, 38000},
    {"Kaseikyo", {0, 0x3FFFFFF}, {0, 0x3FF}, 37000},
    {"Sharp", {0, 0x1F}, {0, 0xFF}, 38000},
};

bool isShorterForm(const TProtocolCode &code)
{
    if (code.Protocol == QLatin1String("NECext"))
        return ((code.Address ^ code.Address >> 8) & 0xFF) == 0xFF && ((code.Command ^ code.Command >> 8) & 0xFF) == 0xFF;
    if (code.Protocol == QLatin1String("NEC42ext"))
        return ((code.Address ^ code.Address >> 13) & 0x1FFF) == 0x1FFF && ((code.Command ^ code.Command >> 8) & 0xFF) == 0xFF;
    return false;
}

class RoundTripTest : public ::testing::TestWithParam<EncodableCase> {};

// Jitter alone, and a receiver that lengthens every mark at the expense of the following space.
struct CaptureKind {
    int jitterPercent;
    int markStretchUs;
};

void checkEncodeCaptureDecode(const EncodableCase &c, unsigned seed, CaptureKind kind)
{
    std::mt19937 random(seed);
    SCOPED_TRACE(::testing::Message() << "seed " << seed << " jitter " << kind.jitterPercent << " % stretch "
                                      << kind.markStretchUs << " us");
    std::uniform_int_distribution<uint32_t> address(c.address.Lowest, c.address.Highest);
    std::uniform_int_distribution<uint32_t> command(c.command.Lowest, c.command.Highest);
    for (int round = 0; round < Rounds; ++round) {
        TProtocolCode sent;
        sent.Protocol = QString::fromLatin1(c.protocol);
        sent.Address = address(random);
        sent.Command = command(random);
        if (isShorterForm(sent))
            continue;
        const auto encoded = EncodeCode(sent);
        ASSERT_TRUE(encoded) << "address " << sent.Address << " command " << sent.Command;
        EXPECT_EQ(encoded->CarrierHz, c.carrierHz);
        const std::vector<int> captured =
            capture::Captured(encoded->DurationsUs, random, kind.jitterPercent, kind.markStretchUs);
        const auto found = IdentifyCode(captured);
        ASSERT_TRUE(found) << "round " << round << " address " << sent.Address << " command " << sent.Command;
        ASSERT_EQ(found->Protocol.toStdString(), c.protocol) << "round " << round;
        ASSERT_EQ(found->Address, sent.Address) << "round " << round;
        ASSERT_EQ(found->Command, sent.Command) << "round " << round;
    }
}

TEST_P(RoundTripTest, EncodeJitterDecodeGivesTheCodeBack)
{
    checkEncodeCaptureDecode(GetParam(), Seed, {15, 0});
}

TEST_P(RoundTripTest, EncodeStretchDecodeGivesTheCodeBack)
{
    checkEncodeCaptureDecode(GetParam(), Seed + 2, {10, 100});
}

// A held button: the frame again after a gap, and a last frame cut off where the capture ended.
TEST_P(RoundTripTest, RepeatedAndCutOffFramesKeepTheName)
{
    const EncodableCase &c = GetParam();
    std::mt19937 random(Seed + 1);
    SCOPED_TRACE(::testing::Message() << "seed " << Seed + 1);
    std::uniform_int_distribution<uint32_t> address(c.address.Lowest, c.address.Highest);
    std::uniform_int_distribution<uint32_t> command(c.command.Lowest, c.command.Highest);
    for (int round = 0; round < Rounds / 10; ++round) {
        TProtocolCode sent;
        sent.Protocol = QString::fromLatin1(c.protocol);
        sent.Address = address(random);
        sent.Command = command(random);
        if (isShorterForm(sent))
            continue;
        const std::vector<int> frame = EncodeCode(sent)->DurationsUs;
        std::vector<int> held = frame;
        capture::AppendGap(held, 45000);
        held.insert(held.end(), frame.begin(), frame.end());
        capture::AppendGap(held, 45000);
        const std::size_t cut = std::uniform_int_distribution<std::size_t>(1, frame.size() - 1)(random);
        held.insert(held.end(), frame.begin(), frame.begin() + cut);
        const auto found = IdentifyCode(capture::Captured(held, random, 15));
        ASSERT_TRUE(found) << "round " << round << " cut after " << cut;
        ASSERT_EQ(found->Protocol.toStdString(), c.protocol) << "round " << round;
        ASSERT_EQ(found->Address, sent.Address) << "round " << round;
        ASSERT_EQ(found->Command, sent.Command) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Protocols, RoundTripTest, ::testing::ValuesIn(Encodable),
                         [](const auto &info) { return std::string(info.param.protocol); });

struct RefusalCase {
    const char *name;
    TProtocolCode code;
};

class EncodeRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EncodeRefusalTest, GivesNoDurationsForWhatDoesNotFit)
{
    EXPECT_FALSE(EncodeCode(GetParam().code));
}

TProtocolCode code(const char *protocol, uint32_t address, uint32_t command)
{
    TProtocolCode c;
    c.Protocol = QString::fromLatin1(protocol);
    c.Address = address;
    c.Command = command;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, EncodeRefusalTest,
    ::testing::Values(RefusalCase{"NecAddressBeyondAByte", code("NEC", 0x100, 0x01)},
                      RefusalCase{"NecExtCommandBeyondTwoBytes", code("NECext", 0x1234, 0x10000)},
                      RefusalCase{"SircAddressBeyondFiveBits", code("SIRC", 0x20, 0x01)},
                      RefusalCase{"SircCommandBeyondSevenBits", code("SIRC20", 0x01, 0x80)},
                      RefusalCase{"Rc5CommandOfTheExtendedRange", code("RC5", 0x01, 0x40)},
                      RefusalCase{"Rc5XCommandOfTheBaseRange", code("RC5X", 0x01, 0x3F)},
                      RefusalCase{"KaseikyoAddressBeyond26Bits", code("Kaseikyo", 0x4000000, 0x01)},
                      RefusalCase{"KaseikyoCommandBeyond10Bits", code("Kaseikyo", 0x200280, 0x400)},
                      RefusalCase{"Nec42AddressBeyond13Bits", code("NEC42", 0x2000, 0x01)},
                      RefusalCase{"Nec42ExtCommandBeyondTwoBytes", code("NEC42ext", 0x01, 0x10000)},
                      RefusalCase{"PioneerAddressBeyondAByte", code("Pioneer", 0x100, 0x01)},
                      RefusalCase{"RcaAddressBeyondFourBits", code("RCA", 0x10, 0x01)},
                      RefusalCase{"SharpAddressBeyondFiveBits", code("Sharp", 0x20, 0x01)},
                      RefusalCase{"NecRepeatIsNoCode", code("NEC repeat", 0, 0)},
                      RefusalCase{"PulseDistanceHasNoEncoder", code("Pulse distance", 0, 0)},
                      RefusalCase{"UnknownProtocol", code("Morse", 0, 0)}),
    [](const auto &info) { return info.param.name; });

} // namespace

// What was identified is sent as the same frame: the bytes of an NECext code whose fourth byte is
// no inverse (00 here) stay as they were, and none of them turns into another protocol's frame.
TEST(IdentifyThenEncode, GivesBackTheFrameThatWasIdentified)
{
    const uint32_t frames[][4] = {{0x04, 0xFB, 0x08, 0x00}, {0x04, 0xFB, 0x08, 0xF7}, {0x00, 0x7F, 0x16, 0xE9},
                                  {0x86, 0x05, 0x0F, 0x00}, {0x04, 0xFB, 0xFF, 0x00}, {0x12, 0x34, 0x00, 0x00}};
    for (const auto &b : frames) {
        std::vector<int> frame;
        capture::AppendPulseDistance(frame, {9000, 4500, 560, 560, 1690},
                                     capture::Bits({{b[0], 8}, {b[1], 8}, {b[2], 8}, {b[3], 8}}));
        const auto found = IdentifyCode(frame);
        ASSERT_TRUE(found);
        const auto encoded = EncodeCode(*found);
        ASSERT_TRUE(encoded) << found->Protocol.toStdString();
        EXPECT_EQ(encoded->DurationsUs, frame) << std::hex << b[0] << ' ' << b[1] << ' ' << b[2] << ' ' << b[3];
    }
}
