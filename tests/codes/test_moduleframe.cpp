// Durations to the module's decoded-data frame: the byte forms, the limits and their messages, and
// decoding every built frame back.
#include "core/moduleframe.h"
#include "core/replydecoder.h"

#include "support/bytes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

using testsupport::Bytes;

TIrCode codeOf(std::vector<int> us)
{
    TIrCode code;
    code.DurationsUs = std::move(us);
    return code;
}

std::vector<int> timesTen(std::vector<int> units)
{
    for (int &u : units)
        u *= ModuleUnitUs;
    return units;
}

QByteArray frameOf(const QByteArray &data)
{
    return Bytes({0xFF, static_cast<int>(data.size() % 255), static_cast<int>(data.size() / 255), 0xFD}) + data
           + Bytes({0x16});
}

struct FormCase {
    const char *name;
    std::vector<int> us;
    QByteArray data;
};

class DurationFormTest : public ::testing::TestWithParam<FormCase> {};

TEST_P(DurationFormTest, BuildsTheBytesAModuleSends)
{
    const TFrameBuild b = BuildModuleReply(codeOf(GetParam().us));
    ASSERT_TRUE(b.Ok()) << b.Error.toStdString();
    EXPECT_EQ(b.Reply.toHex(' '), frameOf(GetParam().data).toHex(' '));
    EXPECT_EQ(b.ShortenedLeadOutUs, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DurationFormTest,
    ::testing::Values(
        // The reply a module sent after learning, rebuilt from its durations.
        FormCase{"LearnedExample", timesTen({900, 450, 56, 56, 170, 56, 56, 56, 56, 56}),
                 Bytes({0x03, 0x87, 0x01, 0xC3, 0x38, 0x38, 0xAA, 0x38, 0x38, 0x38, 0x38, 0x38})},
        FormCase{"BelowOneByteFormTakesTwoBytes", {210}, Bytes({0x00, 0x15})},
        FormCase{"SmallestOneByteForm", {220}, Bytes({0x16})},
        FormCase{"LargestOneByteForm", {2550}, Bytes({0xFF})},
        FormCase{"SmallestTwoByteFormAbove255", {2560}, Bytes({0x01, 0x01})},
        FormCase{"HighDigitTimes255NotTimes256", {2550 * 2}, Bytes({0x02, 0x00})},
        FormCase{"LongestDuration", {56100}, Bytes({0x15, 0xFF})},
        FormCase{"OneBelowLongest", {56090}, Bytes({0x15, 0xFE})},
        FormCase{"OneUnit", {10}, Bytes({0x00, 0x01})},
        FormCase{"RoundsHalfUp", {5, 224, 225}, Bytes({0x00, 0x01, 0x16, 0x17})},
        FormCase{"LengthLowDigitWrapsAt255", std::vector<int>(255, 560), QByteArray(255, 0x38)},
        FormCase{"LengthOf265", std::vector<int>(265, 560), QByteArray(265, 0x38)}),
    [](const auto &info) { return info.param.name; });

struct RefusalCase {
    const char *name;
    std::vector<int> us;
    std::vector<const char *> mentions; // the duration or size, and the limit
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, RefusesAndNamesTheValueAndTheLimit)
{
    const TFrameBuild b = BuildModuleReply(codeOf(GetParam().us));
    EXPECT_FALSE(b.Ok());
    EXPECT_TRUE(b.Reply.isEmpty());
    for (const char *m : GetParam().mentions)
        EXPECT_TRUE(b.Error.contains(QString::fromUtf8(m))) << b.Error.toStdString() << " lacks " << m;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RefusalTest,
    ::testing::Values(RefusalCase{"Empty", {}, {"编码为空"}},
                      RefusalCase{"MarkAboveLimit", {9000, 4500, 56106}, {"56106", "56100", "第 3 个"}},
                      RefusalCase{"SpaceAboveLimitBeforeTheEnd", {9000, 60000, 560}, {"60000", "56100"}},
                      RefusalCase{"FinalMarkIsNoLeadOut", {9000, 4500, 100000}, {"100000", "56100"}},
                      RefusalCase{"TooShortForTheUnit", {9000, 4, 560}, {"4 微秒", "10 微秒"}},
                      // 500 two-byte durations: 1000 data bytes and a 1005-byte frame.
                      RefusalCase{"FrameAbove1000Bytes", std::vector<int>(500, 3000), {"1005", "1000"}}),
    [](const auto &info) { return info.param.name; });

TEST(BuildModuleReply, FrameOfExactly1000BytesIsBuilt)
{
    std::vector<int> us(497, 3000);
    us.push_back(560); // 994 + 1 data bytes
    const TFrameBuild b = BuildModuleReply(codeOf(us));
    ASSERT_TRUE(b.Ok()) << b.Error.toStdString();
    EXPECT_EQ(b.Reply.size(), MaxFrameBytes);
}

TEST(BuildModuleReply, FinalSpaceAboveLimitIsCutAndReported)
{
    const TFrameBuild b = BuildModuleReply(codeOf({9000, 4500, 560, 108000}));
    ASSERT_TRUE(b.Ok()) << b.Error.toStdString();
    EXPECT_EQ(b.ShortenedLeadOutUs, 108000);
    EXPECT_EQ(ReplyDurationsUs(b.Reply), (std::vector<int>{9000, 4500, 560, 56100}));
    EXPECT_TRUE(LeadOutNotice(b).contains("108000"));
    EXPECT_TRUE(LeadOutNotice(b).contains("56100"));
    EXPECT_TRUE(LeadOutNotice(BuildModuleReply(codeOf({9000, 4500}))).isEmpty());
}

// Decoding a built frame gives back the durations, whatever their mix of forms and count.
TEST(BuildModuleReply, DecodingGivesBackTheDurations)
{
    const unsigned seed = 20261210;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> form(0, 2);
    std::uniform_int_distribution<int> small(1, 21), single(22, 255), pair(256, MaxFrameDurationUnits);
    for (int round = 0; round < 2000; ++round) {
        const int count = std::uniform_int_distribution<int>(1, 400)(rng);
        std::vector<int> units;
        int bytes = 5;
        while (static_cast<int>(units.size()) < count) {
            const int f = form(rng);
            const int v = f == 0 ? small(rng) : f == 1 ? single(rng) : pair(rng);
            bytes += f == 1 ? 1 : 2;
            if (bytes > MaxFrameBytes)
                break;
            units.push_back(v);
        }
        const TFrameBuild b = BuildModuleReply(codeOf(timesTen(units)));
        ASSERT_TRUE(b.Ok()) << b.Error.toStdString();
        ASSERT_EQ(ReplyDurationsUs(b.Reply), timesTen(units)) << "round " << round;
        const TDecodedDurations decoded = DecodeDurations(b.Reply);
        ASSERT_EQ(decoded.Total, std::accumulate(units.begin(), units.end(), 0));
        if (static_cast<unsigned char>(b.Reply[1]) >= 10) {
            ASSERT_EQ(ClassifyReply(b.Reply), rkDecodedData) << "round " << round;
        }
    }
}

} // namespace
