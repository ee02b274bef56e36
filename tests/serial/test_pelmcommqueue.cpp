#include "serial/pelmcomm.h"
#include "serial/pelmcommpkg.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using PelmComm::TCommPackageQueue;
using PelmComm::TCommQueue;

namespace {

std::vector<uint8_t> Pattern(size_t n, uint8_t seed = 0)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
    return v;
}

TEST(CommQueueTest, FullQueueKeepsOneSlotFree)
{
    TCommQueue q(8192);
    const auto data = Pattern(10000);
    EXPECT_EQ(q.In(data.data(), 10000), 8191);
    EXPECT_EQ(q.fGetCount(), 8191);
    EXPECT_EQ(q.fGetRemain(), 0);
    EXPECT_EQ(q.In(data.data(), 1), 0);
    EXPECT_EQ(q.In(&data[0]), 0);

    std::vector<uint8_t> out(8191);
    EXPECT_EQ(q.Out(out.data(), 10000), 8191);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
    EXPECT_EQ(q.fGetCount(), 0);
}

TEST(CommQueueTest, TransferAcrossTheEndOfTheStorage)
{
    TCommQueue q(8192);
    std::vector<uint8_t> scratch(8000);
    ASSERT_EQ(q.In(scratch.data(), 8000), 8000);
    ASSERT_EQ(q.Out(scratch.data(), 8000), 8000);

    const auto data = Pattern(500, 3);
    EXPECT_EQ(q.In(data.data(), 500), 500);
    EXPECT_EQ(q.fGetCount(), 500);
    EXPECT_EQ(q.fGetRemain(), 8191 - 500);
    std::vector<uint8_t> out(500);
    EXPECT_EQ(q.Out(out.data(), 500), 500);
    EXPECT_EQ(out, data);
    // in sits at 308 now: the next bytes go to the start of the storage.
    ASSERT_EQ(q.In(data.data(), 10), 10);
    EXPECT_EQ(q.fGetCount(), 10);
}

TEST(CommQueueTest, OutTakesWhatIsThereAndSingleBytesKeepOrder)
{
    TCommQueue q(64);
    const auto data = Pattern(40);
    ASSERT_EQ(q.In(data.data(), 40), 40);
    std::vector<uint8_t> out(100);
    EXPECT_EQ(q.Out(out.data(), 100), 40);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    uint8_t b = 0x5A;
    EXPECT_EQ(q.Out(&b), 0);
    for (uint8_t v : {uint8_t(1), uint8_t(2), uint8_t(3)})
        EXPECT_EQ(q.In(&v), 1);
    for (uint8_t v : {uint8_t(1), uint8_t(2), uint8_t(3)}) {
        ASSERT_EQ(q.Out(&b), 1);
        EXPECT_EQ(b, v);
    }
}

TEST(CommQueueTest, RefusesBadArguments)
{
    TCommQueue q(16);
    uint8_t b[4] = {1, 2, 3, 4};
    EXPECT_EQ(q.In(nullptr, 4), 0);
    EXPECT_EQ(q.In(b, 0), 0);
    EXPECT_EQ(q.In(b, -3), 0);
    EXPECT_EQ(q.In(static_cast<const uint8_t *>(nullptr)), 0);
    ASSERT_EQ(q.In(b, 4), 4);
    EXPECT_EQ(q.Out(nullptr, 4), 0);
    EXPECT_EQ(q.Out(b, 0), 0);
    EXPECT_EQ(q.Out(static_cast<uint8_t *>(nullptr)), 0);
    EXPECT_EQ(q.fGetCount(), 4);
}

TEST(CommQueueTest, InvalidQueueMovesNothingUntilResized)
{
    TCommQueue q(8192);
    uint8_t b[8] = {};
    ASSERT_EQ(q.In(b, 8), 8);
    q.fSetBufSize(0);
    EXPECT_FALSE(q.fIsValid());
    EXPECT_EQ(q.In(b, 8), 0);
    EXPECT_EQ(q.Out(b, 8), 0);
    EXPECT_EQ(q.fGetCount(), 0);
    EXPECT_EQ(q.fGetRemain(), 0);
    q.fSetBufSize(4096);
    EXPECT_TRUE(q.fIsValid());
    EXPECT_EQ(q.fGetCount(), 0);
    EXPECT_EQ(q.fGetRemain(), 4095);

    TCommQueue none(0);
    EXPECT_FALSE(none.fIsValid());
    EXPECT_EQ(none.In(b, 8), 0);
}

TEST(CommQueueTest, PurgesEmptyTheQueueAndSpaceComesBack)
{
    TCommQueue q(16);
    const auto data = Pattern(15);
    ASSERT_EQ(q.In(data.data(), 10), 10);
    q.PurgeByConsumer();
    EXPECT_EQ(q.fGetCount(), 0);
    EXPECT_EQ(q.fGetRemain(), 15);

    ASSERT_EQ(q.In(data.data(), 12), 12);
    q.PurgeByProducer();
    EXPECT_EQ(q.fGetCount(), 0);
    // The discarded bytes still hold their space until the consumer moves on.
    EXPECT_EQ(q.fGetRemain(), 3);
    ASSERT_EQ(q.In(data.data(), 3), 3);
    uint8_t out[16];
    EXPECT_EQ(q.Out(out, 16), 3);
    EXPECT_TRUE(std::equal(out, out + 3, data.begin()));
    EXPECT_EQ(q.fGetRemain(), 15);
}

TEST(CommPackageQueueTest, MinimumsApply)
{
    const struct {
        int32_t q, s;
        uint32_t expectQ, expectS;
    } cases[] = {{0, 10, 2, 32}, {-5, -1, 2, 32}, {2, 32, 2, 32}, {3, 33, 3, 33}, {16, 4100, 16, 4100}};
    for (const auto &c : cases) {
        TCommPackageQueue q(0, 0);
        q.SetQueue(c.q, c.s);
        EXPECT_EQ(q.fGetQSize(), c.expectQ) << c.q;
        EXPECT_EQ(q.fGetPkgSz(), c.expectS) << c.s;
        EXPECT_EQ(q.fGetRemain(), c.expectQ - 1);
    }
    TCommPackageQueue big(0xFFFFFFFFu, 0x80000000u); // beyond the signed range: the minimums
    EXPECT_EQ(big.fGetQSize(), 2u);
    EXPECT_EQ(big.fGetPkgSz(), 32u);
}

TEST(CommPackageQueueTest, TwoSlotQueueHoldsOnePackage)
{
    TCommPackageQueue q(0, 10);
    const auto a = Pattern(32, 1);
    const auto b = Pattern(32, 2);
    EXPECT_EQ(q.In(a.data()), 1);
    EXPECT_EQ(q.In(b.data()), 0);
    std::vector<uint8_t> out(32);
    EXPECT_EQ(q.Read(out.data(), 0), 1);
    EXPECT_EQ(out, a);
    EXPECT_EQ(q.fGetCount(), 1u);
    EXPECT_EQ(q.Read(out.data(), 1), 0);
    EXPECT_EQ(q.Out(out.data()), 1);
    EXPECT_EQ(out, a);
    EXPECT_EQ(q.Out(out.data()), 0);
    EXPECT_EQ(q.In(b.data()), 1);
    EXPECT_EQ(q.Out(out.data()), 1);
    EXPECT_EQ(out, b);
}

TEST(CommPackageQueueTest, ReadByIndexAcrossTheWrap)
{
    TCommPackageQueue q(4, 40);
    std::vector<std::vector<uint8_t>> pkgs;
    for (uint8_t i = 0; i < 6; ++i)
        pkgs.push_back(Pattern(40, i));
    std::vector<uint8_t> out(40);
    ASSERT_EQ(q.In(pkgs[0].data()), 1);
    ASSERT_EQ(q.In(pkgs[1].data()), 1);
    ASSERT_EQ(q.Out(out.data()), 1);
    ASSERT_EQ(q.Out(out.data()), 1);
    for (int i = 2; i < 5; ++i)
        ASSERT_EQ(q.In(pkgs[i].data()), 1);
    EXPECT_EQ(q.In(pkgs[5].data()), 0);
    for (uint32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(q.Read(out.data(), i), 1);
        EXPECT_EQ(out, pkgs[2 + i]);
    }
    EXPECT_EQ(q.fGetCount(), 3u);
}

TEST(CommPackageQueueTest, ResizingAndPurgingEmptyTheQueue)
{
    TCommPackageQueue q(16, 64);
    const auto p = Pattern(64);
    ASSERT_EQ(q.In(p.data()), 1);
    q.fSetQSize(8);
    EXPECT_EQ(q.fGetCount(), 0u);
    EXPECT_EQ(q.fGetQSize(), 8u);
    ASSERT_EQ(q.In(p.data()), 1);
    q.fSetPkgSz(100);
    EXPECT_EQ(q.fGetCount(), 0u);
    EXPECT_EQ(q.fGetPkgSz(), 100u);

    std::vector<uint8_t> big(100, 9), out(100);
    ASSERT_EQ(q.In(big.data()), 1);
    q.PurgeByProducer();
    EXPECT_EQ(q.fGetCount(), 0u);
    EXPECT_EQ(q.Read(out.data(), 0), 0);
    EXPECT_EQ(q.Out(out.data()), 0);
    EXPECT_EQ(q.fGetRemain(), 7u);
    ASSERT_EQ(q.In(big.data()), 1);
    q.PurgeByConsumer();
    EXPECT_EQ(q.fGetCount(), 0u);

    q.fRemoveQueue();
    EXPECT_FALSE(q.fIsValid());
    EXPECT_EQ(q.In(big.data()), 0);
    EXPECT_EQ(q.fGetCount(), 0u);
}

} // namespace
