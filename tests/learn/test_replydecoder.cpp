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
        KindCase{"LongCodeWithLowDigitBelowTenIsData", Bytes({0xFF, 0x05, 0x01, 0xFD}) + repeat(0x38, 260) + Bytes({0x16}),
                 rkDecodedData},
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

// A reply FF l1 l2 FD with its data and, where `mark` says, the end mark at 4 + L.
QByteArray longReply(int l1, int l2, int markShift, int mark = 0x16)
{
    const int length = l1 + 255 * l2;
    QByteArray data = repeat(0x38, length + markShift);
    return Bytes({0xFF, l1, l2, 0xFD}) + data + Bytes({mark});
}

// Low length digits below 10: the time-out test reads only that digit, so the codes of
// 255 + 0..9, 510 + 0..9 and 765 + 0..9 data bytes depend on their end mark to be kept.
INSTANTIATE_TEST_SUITE_P(
    LowDigitBelowTen, ClassifyReplyTest,
    ::testing::Values(
        KindCase{"L255", longReply(0, 1, 0), rkDecodedData},
        KindCase{"L264", longReply(9, 1, 0), rkDecodedData},
        KindCase{"L265FirstLowDigitOfTen", longReply(10, 1, 0), rkDecodedData},
        KindCase{"L510", longReply(0, 2, 0), rkDecodedData},
        KindCase{"L519", longReply(9, 2, 0), rkDecodedData},
        KindCase{"L765", longReply(0, 3, 0), rkDecodedData},
        KindCase{"L774", longReply(9, 3, 0), rkDecodedData},
        KindCase{"L774WithBytesAfterTheMark", longReply(9, 3, 0) + Bytes({0x64, 0x38}), rkDecodedData},
        KindCase{"L264OtherByteAtTheMark", longReply(9, 1, 0, 0x17), rkDecodeTimeout},
        KindCase{"L264MarkOneByteEarly", longReply(9, 1, -1) + Bytes({0x38}), rkDecodeTimeout},
        KindCase{"L264MarkOneByteLate", longReply(9, 1, 1), rkDecodeTimeout},
        KindCase{"L264ReplyEndsBeforeTheMark", longReply(9, 1, 0).left(4 + 264), rkDecodeTimeout},
        KindCase{"HeaderOnlyWithHighDigit", Bytes({0xFF, 0x09, 0x01, 0xFD}), rkDecodeTimeout},
        KindCase{"HighDigitZeroStaysTimeoutEvenWithMark", longReply(5, 0, 0), rkDecodeTimeout},
        KindCase{"HighDigitZeroLowDigitZeroIsEmission", Bytes({0xFF, 0x00, 0x00, 0xFD, 0x16}), rkEmitDone}),
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
