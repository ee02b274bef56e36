// The package framer: head/tail receiving and encoding beside a plain byte-by-byte scan of the same
// bytes in the same run (the *Paired benchmarks time both by turns and report the ratio), and the
// delay from a silence-framed package's last byte to its report while busy threads load every core.
#include "platform/sys/waiting.h"
#include "serial/pelmcommpkg.h"
#include "serial/ptypair.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using PelmComm::TCommPackage;
using PelmComm::TPelmComm;
using testing_serial::PtyPair;

namespace {

constexpr size_t kPackage = 1000;
constexpr int kPackagesPerRound = 12; // fewer than the receive queue holds

// An engine without a port: Read serves prepared bytes, Write takes everything.
class TMemoryComm : public TPelmComm {
public:
    int32_t Read(void *buffer, int32_t length) override
    {
        const size_t n = std::min(static_cast<size_t>(length), Input.size() - Pos);
        std::memcpy(buffer, Input.data() + Pos, n);
        Pos += n;
        return static_cast<int32_t>(n);
    }
    int32_t Write(const void *, int32_t length) override
    {
        Written += static_cast<size_t>(length);
        return length;
    }
    std::vector<uint8_t> Input;
    size_t Pos = 0;
    size_t Written = 0;
};

// Data with about one byte in 64 equal to a mark.
std::vector<uint8_t> Payload(size_t n, unsigned seed)
{
    std::vector<uint8_t> v(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto &b : v) {
        x = x * 1664525u + 1013904223u;
        const uint8_t r = static_cast<uint8_t>(x >> 24);
        b = (x & 0x3F00) == 0 ? TCommPackage::DefaultFrameCtrl : static_cast<uint8_t>(r % 0xE0);
    }
    return v;
}

std::vector<uint8_t> Frame(const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> f{TCommPackage::DefaultFrameHead};
    for (uint8_t b : data) {
        if (b == TCommPackage::DefaultFrameHead || b == TCommPackage::DefaultFrameTail ||
            b == TCommPackage::DefaultFrameCtrl)
            f.push_back(TCommPackage::DefaultFrameCtrl);
        f.push_back(b);
    }
    f.push_back(TCommPackage::DefaultFrameTail);
    return f;
}

std::vector<uint8_t> Stream()
{
    std::vector<uint8_t> s;
    for (int i = 0; i < kPackagesPerRound; ++i) {
        const auto f = Frame(Payload(kPackage, i));
        s.insert(s.end(), f.begin(), f.end());
    }
    return s;
}

// The plain scan: every byte looked at once, control bytes dropped, the others copied.
size_t PlainScan(const uint8_t *in, size_t n, uint8_t *out)
{
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = in[i];
        if (c != TCommPackage::DefaultFrameCtrl)
            out[k++] = c;
    }
    return k;
}

void BM_PlainScan(benchmark::State &state)
{
    const auto stream = Stream();
    std::vector<uint8_t> out(stream.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainScan(stream.data(), stream.size(), out.data()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}
BENCHMARK(BM_PlainScan);

void BM_HeadTailReceive(benchmark::State &state)
{
    TMemoryComm comm;
    comm.Input = Stream();
    TCommPackage pkg(&comm);
    pkg.fSetPkgType(PelmComm::cptFrameHeadTail);
    pkg.fSetActive(true);
    std::vector<uint8_t> out(4096);
    for (auto _ : state) {
        comm.Pos = 0;
        comm.CommNotify(TPelmComm::EV_RXCHAR);
        int packages = 0;
        while (pkg.ReadPackage(out.data(), static_cast<uint32_t>(out.size())) > 0)
            ++packages;
        if (packages != kPackagesPerRound)
            state.SkipWithError("packages lost");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(comm.Input.size()));
}
BENCHMARK(BM_HeadTailReceive);

void BM_PlainScanEncode(benchmark::State &state)
{
    const auto data = Payload(kPackage, 7);
    std::vector<uint8_t> out(2 * kPackage + 2);
    for (auto _ : state) {
        size_t k = 0;
        for (uint8_t b : data) {
            if (b == TCommPackage::DefaultFrameCtrl)
                out[k++] = b;
            out[k++] = b;
        }
        benchmark::DoNotOptimize(k);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPackage));
}
BENCHMARK(BM_PlainScanEncode);

void BM_HeadTailEncode(benchmark::State &state)
{
    TMemoryComm comm;
    TCommPackage pkg(&comm);
    pkg.fSetPkgType(PelmComm::cptFrameHeadTail);
    pkg.fSetActive(true);
    const auto data = Payload(kPackage, 7);
    for (auto _ : state) {
        if (pkg.WritePackage(data.data(), kPackage) != int32_t(kPackage))
            state.SkipWithError("package refused");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPackage));
}
BENCHMARK(BM_HeadTailEncode);

using Clock = std::chrono::steady_clock;

// Each iteration times the plain scan and the framer over the same bytes, by turns.
void BM_HeadTailReceivePaired(benchmark::State &state)
{
    TMemoryComm comm;
    comm.Input = Stream();
    TCommPackage pkg(&comm);
    pkg.fSetPkgType(PelmComm::cptFrameHeadTail);
    pkg.fSetActive(true);
    std::vector<uint8_t> out(4096), plain(comm.Input.size());
    double plainSeconds = 0, framerSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int r = 0; r < 20; ++r) {
            benchmark::DoNotOptimize(PlainScan(comm.Input.data(), comm.Input.size(), plain.data()));
            benchmark::ClobberMemory();
        }
        const auto t1 = Clock::now();
        for (int r = 0; r < 20; ++r) {
            comm.Pos = 0;
            comm.CommNotify(TPelmComm::EV_RXCHAR);
            int packages = 0;
            while (pkg.ReadPackage(out.data(), static_cast<uint32_t>(out.size())) > 0)
                ++packages;
            if (packages != kPackagesPerRound)
                state.SkipWithError("packages lost");
        }
        const auto t2 = Clock::now();
        plainSeconds += std::chrono::duration<double>(t1 - t0).count();
        framerSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double bytes = 20.0 * static_cast<double>(state.iterations()) * static_cast<double>(comm.Input.size());
    state.counters["plain_GBps"] = bytes / plainSeconds / 1e9;
    state.counters["framer_GBps"] = bytes / framerSeconds / 1e9;
    state.counters["framer_to_plain"] = plainSeconds / framerSeconds;
}
BENCHMARK(BM_HeadTailReceivePaired);

void BM_HeadTailEncodePaired(benchmark::State &state)
{
    TMemoryComm comm;
    TCommPackage pkg(&comm);
    pkg.fSetPkgType(PelmComm::cptFrameHeadTail);
    pkg.fSetActive(true);
    const auto data = Payload(kPackage, 7);
    std::vector<uint8_t> out(2 * kPackage + 2);
    double plainSeconds = 0, framerSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int r = 0; r < 200; ++r) {
            size_t k = 0;
            for (uint8_t b : data) {
                if (b == TCommPackage::DefaultFrameCtrl)
                    out[k++] = b;
                out[k++] = b;
            }
            benchmark::DoNotOptimize(k);
            benchmark::ClobberMemory();
        }
        const auto t1 = Clock::now();
        for (int r = 0; r < 200; ++r)
            if (pkg.WritePackage(data.data(), kPackage) != int32_t(kPackage))
                state.SkipWithError("package refused");
        const auto t2 = Clock::now();
        plainSeconds += std::chrono::duration<double>(t1 - t0).count();
        framerSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    const double bytes = 200.0 * static_cast<double>(state.iterations()) * kPackage;
    state.counters["plain_GBps"] = bytes / plainSeconds / 1e9;
    state.counters["framer_GBps"] = bytes / framerSeconds / 1e9;
    state.counters["framer_to_plain"] = plainSeconds / framerSeconds;
}
BENCHMARK(BM_HeadTailEncodePaired);

// Threads that keep every core busy while they live, like a stress run beside the program.
class BusyLoad {
public:
    explicit BusyLoad(unsigned threads)
    {
        for (unsigned i = 0; i < threads; ++i)
            threads_.emplace_back([this] {
                uint64_t x = 1;
                while (run_.load(std::memory_order_relaxed))
                    benchmark::DoNotOptimize(x = x * 6364136223846793005ull + 1);
            });
    }
    ~BusyLoad()
    {
        run_ = false;
        for (auto &t : threads_)
            t.join();
    }

private:
    std::atomic<bool> run_{true};
    std::vector<std::thread> threads_;
};

// Real engine over a pseudo-terminal, 50 ms silence framing: the time from writing a package's last
// byte at the far end to the framer's report, over range(0) packages, while one busy thread per core
// runs. The far end stands for the device and its line, which no scheduler delays: it writes from a
// thread raised like the engine's own where the system permits. Counters: min, median, p99 and max
// in ms from the end of the write, and how many reports fell outside 50 to 100 ms (early counted from
// the start of the write, late from its end, so that neither is an artefact of the measurement).
void BM_SilencePackageDelay(benchmark::State &state)
{
    PtyPair pty;
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    TCommPackage pkg(&comm);
    std::mutex m;
    std::condition_variable cv;
    Clock::time_point reported;
    bool done = false;
    pkg.OnPackageNotify = [&](TCommPackage *, int32_t code) {
        if (!(code & TCommPackage::PackageReceived))
            return;
        const auto now = Clock::now(); // before the lock, which the far end's thread may hold
        std::lock_guard lock(m);
        reported = now;
        done = true;
        cv.notify_one();
    };
    comm.Open();
    pkg.fSetActive(true);
    std::vector<double> delays;
    int outside = 0;
    BusyLoad load(std::max(2u, std::thread::hardware_concurrency()));
    for (auto _ : state) {
        std::thread far([&] {
            platform::RaiseCurrentThreadPriority();
            const std::vector<uint8_t> package(37, 0x5A);
            std::vector<uint8_t> buf(64);
            for (int64_t i = 0; i < state.range(0); ++i) {
                {
                    std::lock_guard lock(m);
                    done = false;
                }
                const auto start = Clock::now();
                pty.FarWrite(package.data(), package.size());
                const auto end = Clock::now();
                std::unique_lock lock(m);
                if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return done; }))
                    break;
                const double fromEnd = std::chrono::duration<double, std::milli>(reported - end).count();
                const double fromStart = std::chrono::duration<double, std::milli>(reported - start).count();
                delays.push_back(fromEnd);
                outside += fromStart < 50 || fromEnd > 100;
                lock.unlock();
                pkg.ReadPackage(buf.data(), static_cast<uint32_t>(buf.size()));
            }
        });
        far.join();
        if (delays.size() != static_cast<size_t>(state.range(0)))
            state.SkipWithError("package not reported");
    }
    comm.Close();
    if (delays.empty())
        return;
    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) { return delays[std::min(delays.size() - 1, static_cast<size_t>(q * static_cast<double>(delays.size())))]; };
    state.counters["packages"] = static_cast<double>(delays.size());
    state.counters["min_ms"] = delays.front();
    state.counters["median_ms"] = at(0.5);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = delays.back();
    state.counters["outside_50_100"] = outside;
}
BENCHMARK(BM_SilencePackageDelay)->Arg(1000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
