// Byte queue throughput with the producer and the consumer on two threads, beside a plain
// acquire/release ring and a plain memcpy of the same blocks.
#include "serial/pelmcomm.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr size_t kBytesPerIteration = 16 << 20;
constexpr int32_t kQueueSize = 8192;

// The textbook single-producer single-consumer ring, as the yardstick.
class PlainRing {
public:
    int32_t In(const uint8_t *p, int32_t len)
    {
        const int32_t in = in_.load(std::memory_order_relaxed);
        const int32_t out = out_.load(std::memory_order_acquire);
        const int32_t n = std::min(len, (out + kQueueSize - in - 1) % kQueueSize);
        const int32_t first = std::min(n, kQueueSize - in);
        std::memcpy(buf_ + in, p, first);
        std::memcpy(buf_, p + first, n - first);
        in_.store((in + n) % kQueueSize, std::memory_order_release);
        return n;
    }
    int32_t Out(uint8_t *p, int32_t len)
    {
        const int32_t out = out_.load(std::memory_order_relaxed);
        const int32_t in = in_.load(std::memory_order_acquire);
        const int32_t n = std::min(len, (in + kQueueSize - out) % kQueueSize);
        const int32_t first = std::min(n, kQueueSize - out);
        std::memcpy(p, buf_ + out, first);
        std::memcpy(p + first, buf_, n - first);
        out_.store((out + n) % kQueueSize, std::memory_order_release);
        return n;
    }

private:
    alignas(64) std::atomic<int32_t> out_{0};
    alignas(64) std::atomic<int32_t> in_{0};
    alignas(64) uint8_t buf_[kQueueSize];
};

template <typename Queue>
void TwoThreads(benchmark::State &state, Queue &q)
{
    const auto block = static_cast<int32_t>(state.range(0));
    std::vector<uint8_t> src(block, 0x5A), dst(block);
    for (auto _ : state) {
        std::thread producer([&] {
            for (size_t sent = 0; sent < kBytesPerIteration;) {
                const int32_t n = q.In(src.data(), block);
                if (n == 0)
                    std::this_thread::yield();
                sent += n;
            }
        });
        for (size_t got = 0; got < kBytesPerIteration;) {
            const int32_t n = q.Out(dst.data(), block);
            if (n == 0)
                std::this_thread::yield();
            got += n;
        }
        producer.join();
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytesPerIteration);
}

void BM_CommQueue(benchmark::State &state)
{
    PelmComm::TCommQueue q(kQueueSize);
    TwoThreads(state, q);
}

void BM_PlainRing(benchmark::State &state)
{
    auto q = std::make_unique<PlainRing>();
    TwoThreads(state, *q);
}

void BM_Memcpy(benchmark::State &state)
{
    const auto block = static_cast<size_t>(state.range(0));
    std::vector<uint8_t> src(kQueueSize, 0x5A), dst(kQueueSize);
    for (auto _ : state) {
        for (size_t done = 0, at = 0; done < kBytesPerIteration; done += block, at = (at + block) % (kQueueSize - block))
            std::memcpy(dst.data() + at, src.data() + at, block);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytesPerIteration);
}

} // namespace

BENCHMARK(BM_CommQueue)->Arg(512)->Arg(2048)->UseRealTime();
BENCHMARK(BM_PlainRing)->Arg(512)->Arg(2048)->UseRealTime();
BENCHMARK(BM_Memcpy)->Arg(512)->Arg(2048);
