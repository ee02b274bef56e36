#include "core/codecompare.h"
#include "core/protocols/protocols.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Codes = std::vector<std::vector<int>>;

struct AgreeCase {
    const char *name;
    int a, b;
    bool agree;
};

class DurationsAgreeTest : public ::testing::TestWithParam<AgreeCase> {};

TEST_P(DurationsAgreeTest, TheLargerOfPercentAndFloorDecides)
{
    const AgreeCase &c = GetParam();
    EXPECT_EQ(DurationsAgree(c.a, c.b), c.agree);
    EXPECT_EQ(DurationsAgree(c.b, c.a), c.agree) << "the order of the two does not matter";
}

INSTANTIATE_TEST_SUITE_P(
    Tolerance, DurationsAgreeTest,
    ::testing::Values(AgreeCase{"Equal", 560, 560, true},
                      AgreeCase{"ShortMarkAtTheFloor", 220, 320, true},
                      AgreeCase{"ShortMarkBeyondTheFloor", 220, 330, false},
                      AgreeCase{"JitterWithinQuarter", 560, 690, true},
                      AgreeCase{"ExactlyAQuarter", 1000, 1250, true},
                      AgreeCase{"JustBeyondAQuarter", 1000, 1260, false},
                      AgreeCase{"ZeroAgainstBit", 560, 1690, false},
                      AgreeCase{"LeadOutGaps", 40000, 46000, true},
                      AgreeCase{"LongestModuleDurations", 56100, 56100, true}),
    [](const auto &info) { return info.param.name; });

struct CompareCase {
    const char *name;
    Codes codes;
    bool sameData;
    int comparedCount;
    int largestUs;
    double largestPercent;
    int largestIndex;
    std::vector<int> outside;
};

class CompareCodesTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareCodesTest, ComparesPositionByPositionUpToTheShortest)
{
    const CompareCase &c = GetParam();
    const TCodeComparison r = CompareCodes(c.codes);
    EXPECT_EQ(r.SameData, c.sameData);
    EXPECT_EQ(r.ComparedCount, c.comparedCount);
    EXPECT_EQ(r.LargestDeviationUs, c.largestUs);
    EXPECT_NEAR(r.LargestDeviationPercent, c.largestPercent, 0.05);
    EXPECT_EQ(r.LargestDeviationIndex, c.largestIndex);
    EXPECT_EQ(r.Outside, c.outside);
    ASSERT_EQ(r.Counts.size(), c.codes.size());
}

const std::vector<int> Nec = {9000, 4500, 560, 560, 560, 1690, 560, 560, 560, 1690, 560};

INSTANTIATE_TEST_SUITE_P(
    Captures, CompareCodesTest,
    ::testing::Values(
        CompareCase{"Identical", {Nec, Nec}, true, 11, 0, 0, 0, {}},
        CompareCase{"JitteredCapturesOfOneButton",
                    {Nec, {9050, 4450, 600, 520, 560, 1730, 620, 500, 560, 1690, 560}}, true, 11, 60, 10.7, 6, {}},
        CompareCase{"OneBitFlipped", {Nec, {9000, 4500, 560, 560, 560, 560, 560, 560, 560, 1690, 560}}, false, 11,
                    1130, 201.8, 5, {5}},
        CompareCase{"SpreadAcrossFourCodesTakesTheExtremes",
                    {{1000, 500}, {1100, 500}, {1200, 520}, {1250, 480}}, true, 2, 250, 25, 0, {}},
        CompareCase{"FourCodesOneOutside", {{1000, 500}, {1000, 500}, {1000, 800}, {1000, 500}}, false, 2, 300, 60, 1,
                    {1}},
        CompareCase{"LongerCodeComparedUpToTheShorter", {Nec, {9000, 4500, 560, 560, 560, 1690, 560, 560, 560, 1690,
                                                              560, 40000, 9000, 2250, 560}},
                    false, 11, 0, 0, 0, {}},
        CompareCase{"EmptyCodeComparesNothing", {Nec, {}}, false, 0, 0, 0, -1, {}}),
    [](const auto &info) { return info.param.name; });

TEST(CompareCodes, CountDifferenceIsStated)
{
    const TCodeComparison r = CompareCodes({Nec, {9000, 4500, 560}, Nec});
    EXPECT_TRUE(r.CountsDiffer());
    EXPECT_EQ(r.Counts, (std::vector<int>{11, 3, 11}));
    EXPECT_FALSE(CompareCodes({Nec, Nec}).CountsDiffer());
}

// Random codes of the module's range, captured again with the jitter of a real receiver
// (±50 µs, then quantised to 10 µs), are the same; the same code with one duration moved beyond
// the tolerance is not, and exactly that position is outside.
TEST(CompareCodes, JitterIsSameAndOneMovedDurationIsFound)
{
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> duration(22, 5610);
    std::uniform_int_distribution<int> jitter(-50, 50);
    for (int round = 0; round < 200; ++round) {
        const int count = std::uniform_int_distribution<int>(1, 400)(rng);
        std::vector<int> first, second;
        for (int i = 0; i < count; ++i) {
            const int us = duration(rng) * 10;
            first.push_back(us);
            second.push_back(std::max(10, (us + jitter(rng)) / 10 * 10));
        }
        const TCodeComparison same = CompareCodes({first, second});
        ASSERT_TRUE(same.SameData) << "seed " << seed << " round " << round;
        ASSERT_TRUE(same.Outside.empty()) << "seed " << seed << " round " << round;

        const int moved = std::uniform_int_distribution<int>(0, count - 1)(rng);
        std::vector<int> third = first;
        third[size_t(moved)] = first[size_t(moved)] + std::max(first[size_t(moved)] / 4, 100) + 10;
        const TCodeComparison differ = CompareCodes({first, third});
        ASSERT_FALSE(differ.SameData) << "seed " << seed << " round " << round;
        ASSERT_EQ(differ.Outside, std::vector<int>{moved}) << "seed " << seed << " round " << round;
        ASSERT_EQ(differ.LargestDeviationIndex, moved) << "seed " << seed << " round " << round;
    }
}

std::vector<int> necCode(uint32_t command, int shiftUs = 0)
{
    TProtocolCode code;
    code.Protocol = "NEC";
    code.Address = 0x04;
    code.Command = command;
    std::vector<int> d = EncodeCode(code).value().DurationsUs;
    // A receiver stretches marks and shortens spaces by about the same amount.
    for (size_t i = 0; i < d.size(); ++i)
        d[i] += i % 2 == 0 ? shiftUs : -shiftUs;
    return d;
}

// Recognised codes are judged on their decode: a held button's repeat frame or a receiver's
// stretched marks leave the data the same, another button's command does not.
TEST(CompareCodes, RecognisedCodesAreJudgedOnTheirDecode)
{
    std::vector<int> held = necCode(0x08);
    held.insert(held.end(), {40000, 9000, 2250, 560});
    const TCodeComparison repeated = CompareCodes({necCode(0x08), held});
    EXPECT_TRUE(repeated.CountsDiffer());
    EXPECT_TRUE(repeated.SameData);

    const TCodeComparison stretched = CompareCodes({necCode(0x08), necCode(0x08, 140), necCode(0x08, -100)});
    EXPECT_FALSE(stretched.Outside.empty()) << "marks 240 µs apart lie outside the tolerance";
    EXPECT_TRUE(stretched.SameData);

    const TCodeComparison other = CompareCodes({necCode(0x08), necCode(0x09)});
    EXPECT_FALSE(other.SameData);
    EXPECT_FALSE(other.Outside.empty());
}

TEST(CompareLogLines, SayVerdictDeviationCountsAndOutsidePositions)
{
    const auto u8 = [](const char *s) { return QString::fromUtf8(s); };
    const QStringList names = {u8("1 通道"), u8("3 通道")};
    EXPECT_EQ(CompareLogLines(names, CompareCodes({Nec, Nec})),
              (QStringList{"", u8("比较红外数据：1 通道、3 通道"), u8("解码数据相同......"),
                           u8("最大时长偏差：0微秒（0.0%），第 1 个时长"), u8("超出容差（25%，至少100微秒）的时长：0 个")}));
    std::vector<int> longer = Nec;
    longer.push_back(40000);
    longer[5] = 560;
    EXPECT_EQ(CompareLogLines(names, CompareCodes({Nec, longer})),
              (QStringList{"", u8("比较红外数据：1 通道、3 通道"), u8("解码数据不同......"),
                           u8("最大时长偏差：1130微秒（201.8%），第 6 个时长"),
                           u8("时长个数不同：1 通道 11 个，3 通道 12 个，只比较前 11 个"),
                           u8("超出容差（25%，至少100微秒）的时长：1 个")}));
}

} // namespace
