#include "serial/pelmcomm.h"
#include "serial/pelmcommpkg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using PelmComm::TCommPackageQueue;
using PelmComm::TCommQueue;

namespace {

uint8_t StreamByte(uint64_t i)
{
    return static_cast<uint8_t>((i * 131) ^ (i >> 9));
}

TEST(CommQueueThreadsTest, ProducerAndConsumerMoveEveryByteInOrder)
{
    constexpr uint64_t kTotal = 48ull << 20;
    TCommQueue q(8192);
    std::thread producer([&] {
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> len(1, 3000);
        std::vector<uint8_t> chunk(3000);
        uint64_t sent = 0;
        while (sent < kTotal) {
            const int n = static_cast<int>(std::min<uint64_t>(len(rng), kTotal - sent));
            for (int i = 0; i < n; ++i)
                chunk[i] = StreamByte(sent + i);
            int done = 0;
            while (done < n) {
                const int k = q.In(chunk.data() + done, n - done);
                if (k == 0)
                    std::this_thread::yield();
                done += k;
            }
            sent += n;
        }
    });
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> len(1, 3000);
    std::vector<uint8_t> buf(3000);
    uint64_t received = 0, wrong = 0;
    while (received < kTotal) {
        const int k = q.Out(buf.data(), len(rng));
        if (k == 0)
            std::this_thread::yield();
        for (int i = 0; i < k; ++i)
            wrong += buf[i] != StreamByte(received + i);
        received += k;
    }
    producer.join();
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(q.fGetCount(), 0);
}

// Records of four bytes carrying a rising number: a purge may drop records, but whatever arrives must
// be whole records in rising order, and the queue must be empty when the purge returns.
uint32_t TakeRecords(TCommQueue &q, uint32_t &last, uint64_t &bad, int maxRecords)
{
    uint32_t recs[64];
    const int n = q.Out(recs, 4 * std::min(maxRecords, 64));
    for (int i = 0; i < n / 4; ++i) {
        bad += recs[i] <= last;
        last = recs[i];
    }
    bad += n % 4 != 0;
    return static_cast<uint32_t>(n / 4);
}

TEST(CommQueueThreadsTest, PurgeByProducerWhileConsumerRuns)
{
    TCommQueue q(4096);
    std::atomic<bool> done{false};
    uint64_t notEmptyAfterPurge = 0;
    std::thread producer([&] {
        std::mt19937 rng(3);
        uint32_t next = 1;
        for (int round = 0; round < 20000; ++round) {
            uint32_t recs[32];
            const int n = 1 + static_cast<int>(rng() % 32);
            if (q.fGetRemain() >= 4 * n) {
                for (int i = 0; i < n; ++i)
                    recs[i] = next++;
                q.In(recs, 4 * n);
            }
            if (rng() % 16 == 0) {
                q.PurgeByProducer();
                notEmptyAfterPurge += q.fGetCount() != 0;
            }
        }
        done.store(true, std::memory_order_release);
    });
    uint32_t last = 0;
    uint64_t bad = 0;
    std::mt19937 rng(4);
    while (!done.load(std::memory_order_acquire) || q.fGetCount() > 0)
        if (TakeRecords(q, last, bad, 1 + static_cast<int>(rng() % 40)) == 0)
            std::this_thread::yield();
    producer.join();
    EXPECT_EQ(bad, 0u);
    EXPECT_EQ(notEmptyAfterPurge, 0u);
}

TEST(CommQueueThreadsTest, PurgeByConsumerWhileProducerRuns)
{
    TCommQueue q(4096);
    std::atomic<bool> done{false};
    std::thread producer([&] {
        uint32_t next = 1;
        for (int round = 0; round < 20000; ++round) {
            uint32_t recs[16];
            if (q.fGetRemain() >= 4 * 16) {
                for (auto &r : recs)
                    r = next++;
                q.In(recs, sizeof recs);
            } else {
                std::this_thread::yield();
            }
        }
        done.store(true, std::memory_order_release);
    });
    uint32_t last = 0;
    uint64_t bad = 0;
    std::mt19937 rng(5);
    while (!done.load(std::memory_order_acquire) || q.fGetCount() > 0) {
        if (rng() % 8 == 0)
            q.PurgeByConsumer();
        else if (TakeRecords(q, last, bad, 1 + static_cast<int>(rng() % 40)) == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_EQ(bad, 0u);
}

TEST(CommPackageQueueThreadsTest, PackagesArriveWholeAndInOrder)
{
    constexpr uint32_t kPackages = 100000;
    constexpr uint32_t kSlot = 100;
    TCommPackageQueue q(16, kSlot);
    std::thread producer([&] {
        uint8_t pkg[kSlot];
        for (uint32_t i = 0; i < kPackages; ++i) {
            std::memcpy(pkg, &i, 4);
            for (uint32_t k = 4; k < kSlot; ++k)
                pkg[k] = static_cast<uint8_t>(i + k);
            while (q.In(pkg) == 0)
                std::this_thread::yield();
        }
    });
    uint8_t pkg[kSlot];
    uint64_t wrong = 0;
    for (uint32_t i = 0; i < kPackages; ++i) {
        while (q.Out(pkg) == 0)
            std::this_thread::yield();
        uint32_t no;
        std::memcpy(&no, pkg, 4);
        wrong += no != i;
        for (uint32_t k = 4; k < kSlot; ++k)
            wrong += pkg[k] != static_cast<uint8_t>(i + k);
    }
    producer.join();
    EXPECT_EQ(wrong, 0u);
}

} // namespace
