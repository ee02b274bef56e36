#include "core/replydecoder.h"
#include "core/ircode.h"

#include "support/bytes.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Bytes;

QByteArray repeat(int value, int count)
{
    return QByteArray(count, static_cast<char>(value));
}

// FF 0C 00 FD, twelve bytes of durations, end mark: 900, 450, 56, 56, 170, 56 x 5.
const QByteArray Example =
    Bytes({0xFF, 0x0C, 0x00, 0xFD, 0x03, 0x87, 0x01, 0xC3, 0x38, 0x38, 0xAA, 0x38, 0x38, 0x38, 0x38, 0x38, 0x16});

struct KindCase {
    const char *name;
    QByteArray reply;
    TReplyKind kind;
};

class ClassifyReplyTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ClassifyReplyTest, JudgesOnTheBytesInOrder)
{
    EXPECT_EQ(ClassifyReply(GetParam().reply), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ClassifyReplyTest,
    ::testing::Values(
        KindCase{"Example", Example, rkDecodedData},
        KindCase{"ConfigShort", Bytes({0xFF, 0x00, 0x00, 0xFC}), rkConfigDone},
        KindCase{"ConfigOnlyFirstAndFourthByteCount", Bytes({0xFF, 0x20, 0x00, 0xFC}), rkConfigDone},
        KindCase{"ConfigEchoOfWriteFrame", Bytes({0xFF, 0x20, 0x00, 0xFC}) + repeat(1, 32) + Bytes({0xFC}),
                 rkConfigDone},
        KindCase{"EmitDoneBeforeTimeout", Bytes({0xFF, 0x00, 0x00, 0xFD}), rkEmitDone},
        KindCase{"TimeoutIgnoresHighLength", Bytes({0xFF, 0x05, 0x07, 0xFD}), rkDecodeTimeout},
        KindCase{"TimeoutWinsOverValidData", Bytes({0xFF, 0x05, 0x01, 0xFD}) + repeat(0x38, 260) + Bytes({0x16}),
                 rkDecodeTimeout},
        KindCase{"DataWithExtraBytes", Example + Bytes({0x64, 0x05}), rkDecodedData},
        KindCase{"DataLengthInBase255", Bytes({0xFF, 0x0A, 0x01, 0xFD}) + repeat(0x38, 265) + Bytes({0x16}),
                 rkDecodedData},
        KindCase{"EndMarkMissing", Example.left(16) + Bytes({0x17}), rkUnknown},
        KindCase{"ShorterThanLength", Example.left(16), rkUnknown},
        KindCase{"LengthFarBeyondReply", Bytes({0xFF, 0xFE, 0xFE, 0xFD, 0x16}), rkUnknown},
        KindCase{"WrongStart", Bytes({0xFE, 0x00, 0x00, 0xFD}), rkUnknown},
        KindCase{"OtherType", Bytes({0xFF, 0x00, 0x00, 0xFB}), rkUnknown},
        KindCase{"ThreeBytes", Bytes({0xFF, 0x00, 0x00}), rkUnknown},
        KindCase{"Empty", QByteArray(), rkUnknown}),
    [](const auto &info) { return info.param.name; });

TEST(DecodeDurations, ExampleGivesItsDurationsAndTotal)
{
    const TDecodedDurations d = DecodeDurations(Example);
    EXPECT_EQ(d.Durations, (std::vector<int>{900, 450, 56, 56, 170, 56, 56, 56, 56, 56, 22 + 500}));
    EXPECT_EQ(d.Total, 1912);
}

TEST(DecodeDurations, BytesAfterTheEndMarkAreFurtherDurationsAndTakeTheTail)
{
    const TDecodedDurations d = DecodeDurations(Example + Bytes({0x64, 0x02, 0x00}));
    EXPECT_EQ(d.Durations, (std::vector<int>{900, 450, 56, 56, 170, 56, 56, 56, 56, 56, 22, 100, 510 + 500}));
    EXPECT_EQ(d.Total, 1912 + 100 + 510);
}

// The last byte is a high digit without its low byte: decoding ends before it and the tail goes to
// the value before, so the final level still shows and nothing past the reply is read.
TEST(DecodeDurations, HighDigitOnTheLastByteEndsTheDecoding)
{
    const TDecodedDurations d = DecodeDurations(Example + Bytes({0x05}));
    EXPECT_EQ(d.Durations, (std::vector<int>{900, 450, 56, 56, 170, 56, 56, 56, 56, 56, 22 + 500}));
    EXPECT_EQ(d.Total, 1912);
}

TEST(DecodeDurations, EndMarkTakenAsLowByteOfAPair)
{
    // 0x01 0x16 is one duration of 255 + 22; the reply's last value is that pair.
    const QByteArray reply = Bytes({0xFF, 0x0A, 0x00, 0xFD}) + repeat(0x38, 9) + Bytes({0x01, 0x16});
    const TDecodedDurations d = DecodeDurations(reply);
    ASSERT_EQ(d.Durations.size(), 10u);
    EXPECT_EQ(d.Durations.back(), 277 + 500);
    EXPECT_EQ(d.Total, 9 * 56 + 277 - 22);
}

} // namespace

TEST(ReplyDurationsUs, DropsTheEndMarkAndScalesToMicroseconds)
{
    EXPECT_EQ(ReplyDurationsUs(Example),
              (std::vector<int>{9000, 4500, 560, 560, 1700, 560, 560, 560, 560, 560}));
    EXPECT_TRUE(ReplyDurationsUs(QByteArray()).empty());
}
