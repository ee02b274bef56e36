// The package framer: head/tail receiving and encoding beside a plain byte-by-byte scan of the same
// bytes in the same run, and the delay from a silence-framed package's last byte to its report.
#include "serial/pelmcommpkg.h"
#include "serial/ptypair.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
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

// Real engine over a pseudo-terminal, 50 ms silence framing: the time from writing a package's last
// byte at the far end to the framer's report. min_ms and max_ms show the spread.
void BM_SilencePackageDelay(benchmark::State &state)
{
    using Clock = std::chrono::steady_clock;
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
        std::lock_guard lock(m);
        reported = Clock::now();
        done = true;
        cv.notify_one();
    };
    comm.Open();
    pkg.fSetActive(true);
    const std::vector<uint8_t> package(37, 0x5A);
    std::vector<uint8_t> buf(64);
    double minMs = 1e9, maxMs = 0;
    for (auto _ : state) {
        {
            std::lock_guard lock(m);
            done = false;
        }
        pty.FarWrite(package.data(), package.size());
        const auto sent = Clock::now();
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return done; });
        const double ms = std::chrono::duration<double, std::milli>(reported - sent).count();
        lock.unlock();
        state.SetIterationTime(ms / 1000);
        minMs = std::min(minMs, ms);
        maxMs = std::max(maxMs, ms);
        pkg.ReadPackage(buf.data(), static_cast<uint32_t>(buf.size()));
    }
    comm.Close();
    state.counters["min_ms"] = minMs;
    state.counters["max_ms"] = maxMs;
}
BENCHMARK(BM_SilencePackageDelay)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace
