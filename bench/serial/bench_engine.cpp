// The engine over a pseudo-terminal beside a raw loop over another pseudo-terminal in the same run:
// throughput both ways, the latency of a 37-byte write, a slow consumer, and the processor time of
// an idle open port. The *Paired benchmarks time the raw loop and the engine by turns within each
// iteration, so that a load that comes and goes hits both alike; their counters carry the ratio.
#include "platform/sys/waiting.h"
#include "serial/pelmcomm.h"
#include "serial/ptypair.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <poll.h>
#include <semaphore>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using PelmComm::TPelmComm;
using testing_serial::PtyPair;

namespace {

constexpr size_t kStream = 4 << 20;
// BM_ReceiveEngine and BM_ReceiveRaw keep the far end at most this much ahead of the consumer, as in
// an exchange of requests and answers.
constexpr size_t kWindow = 6144;

void DrainFar(int far, size_t n)
{
    std::vector<uint8_t> buf(65536);
    for (size_t got = 0; got < n;) {
        pollfd p{far, POLLIN, 0};
        poll(&p, 1, 1000);
        const ssize_t k = read(far, buf.data(), std::min(buf.size(), n - got));
        if (k > 0)
            got += static_cast<size_t>(k);
    }
}

// window 0: as fast as the line takes the bytes.
void FeedFar(int far, size_t n, const std::atomic<size_t> &consumed, size_t window = kWindow)
{
    std::vector<uint8_t> buf(2048, 0x42);
    for (size_t sent = 0; sent < n;) {
        const size_t seen = consumed.load(std::memory_order_acquire);
        if (window > 0 && sent - seen + buf.size() > window) {
            consumed.wait(seen);
            continue;
        }
        const ssize_t k = write(far, buf.data(), std::min(buf.size(), n - sent));
        if (k > 0)
            sent += static_cast<size_t>(k);
        else {
            pollfd p{far, POLLOUT, 0};
            poll(&p, 1, 10);
        }
    }
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// One round of the raw loop: the far end sends n bytes, poll and read take them.
double RawReceiveRound(PtyPair &pty, size_t n, size_t window, std::vector<uint8_t> &buf)
{
    std::atomic<size_t> consumed{0};
    const auto t0 = Clock::now();
    std::thread far([&] { FeedFar(pty.FarFd(), n, consumed, window); });
    for (size_t got = 0; got < n;) {
        pollfd p{pty.PortFd(), POLLIN, 0};
        poll(&p, 1, -1);
        const ssize_t k = read(pty.PortFd(), buf.data(), buf.size());
        if (k > 0)
            got += static_cast<size_t>(k);
        consumed.store(got, std::memory_order_release);
        consumed.notify_one();
    }
    far.join();
    return Seconds(t0);
}

void BM_TransmitEngine(benchmark::State &state)
{
    PtyPair pty;
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    // Like the raw loop, the producer sleeps while the port is busy: it waits for EV_TXEMPTY.
    std::counting_semaphore<1 << 30> drained(0);
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_TXEMPTY)
            drained.release();
    };
    comm.Open();
    std::vector<uint8_t> block(2048, 0x42);
    for (auto _ : state) {
        std::thread far([&] { DrainFar(pty.FarFd(), kStream); });
        for (size_t sent = 0; sent < kStream;) {
            const int k = comm.Write(block.data(), static_cast<int32_t>(std::min(block.size(), kStream - sent)));
            if (k == 0)
                drained.try_acquire_for(std::chrono::milliseconds(5));
            sent += static_cast<size_t>(k);
        }
        far.join();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kStream);
}

void BM_TransmitRaw(benchmark::State &state)
{
    PtyPair pty;
    std::vector<uint8_t> block(static_cast<size_t>(state.range(0)), 0x42);
    for (auto _ : state) {
        std::thread far([&] { DrainFar(pty.FarFd(), kStream); });
        for (size_t sent = 0; sent < kStream;) {
            pollfd p{pty.PortFd(), POLLOUT, 0};
            poll(&p, 1, -1);
            const ssize_t k = write(pty.PortFd(), block.data(), std::min(block.size(), kStream - sent));
            if (k > 0)
                sent += static_cast<size_t>(k);
        }
        far.join();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kStream);
}

void BM_ReceiveEngine(benchmark::State &state)
{
    PtyPair pty;
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    // Like the raw loop, the consumer sleeps until the port has something: it waits for EV_RXCHAR.
    std::counting_semaphore<1 << 30> arrived(0);
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_RXCHAR)
            arrived.release();
    };
    comm.Open();
    std::vector<uint8_t> buf(8192);
    for (auto _ : state) {
        std::atomic<size_t> consumed{0};
        std::thread far([&] { FeedFar(pty.FarFd(), kStream, consumed); });
        for (size_t got = 0; got < kStream;) {
            const int k = comm.Read(buf.data(), static_cast<int32_t>(buf.size()));
            if (k == 0) {
                arrived.try_acquire_for(std::chrono::milliseconds(5));
                continue;
            }
            got += static_cast<size_t>(k);
            consumed.store(got, std::memory_order_release);
            consumed.notify_one();
        }
        far.join();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kStream);
}

void BM_ReceiveRaw(benchmark::State &state)
{
    PtyPair pty;
    std::vector<uint8_t> buf(8192);
    for (auto _ : state)
        RawReceiveRound(pty, kStream, kWindow, buf);
    state.SetBytesProcessed(int64_t(state.iterations()) * kStream);
}

void ReportPaired(benchmark::State &state, double rawSeconds, double engineSeconds, size_t bytesEach)
{
    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(bytesEach);
    state.counters["raw_MBps"] = bytes / rawSeconds / 1e6;
    state.counters["engine_MBps"] = bytes / engineSeconds / 1e6;
    state.counters["engine_to_raw"] = rawSeconds / engineSeconds; // throughput ratio
}

constexpr size_t kPairedStream = 1 << 20;

// Receive throughput; range(0) is the window of the far end (0: as fast as the line takes it).
void BM_ReceivePaired(benchmark::State &state)
{
    const auto window = static_cast<size_t>(state.range(0));
    PtyPair rawPty, enginePty;
    TPelmComm comm;
    comm.fSetPortName(enginePty.PortPath());
    std::counting_semaphore<1 << 30> arrived(0);
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_RXCHAR)
            arrived.release();
    };
    comm.Open();
    std::vector<uint8_t> buf(8192);
    double rawSeconds = 0, engineSeconds = 0;
    for (auto _ : state) {
        rawSeconds += RawReceiveRound(rawPty, kPairedStream, window, buf);
        {
            std::atomic<size_t> consumed{0};
            const auto t0 = Clock::now();
            std::thread far([&] { FeedFar(enginePty.FarFd(), kPairedStream, consumed, window); });
            for (size_t got = 0; got < kPairedStream;) {
                const int k = comm.Read(buf.data(), static_cast<int32_t>(buf.size()));
                if (k == 0) {
                    arrived.try_acquire_for(std::chrono::milliseconds(5));
                    continue;
                }
                got += static_cast<size_t>(k);
                consumed.store(got, std::memory_order_release);
                consumed.notify_one();
            }
            far.join();
            engineSeconds += Seconds(t0);
        }
    }
    ReportPaired(state, rawSeconds, engineSeconds, kPairedStream);
}

// Receive throughput when the owner takes the bytes in the engine's report, as the package framer
// does, against the raw loop; range(0) is the far end's window as above.
void BM_ReceiveInReportPaired(benchmark::State &state)
{
    const auto window = static_cast<size_t>(state.range(0));
    PtyPair rawPty, enginePty;
    TPelmComm comm;
    comm.fSetPortName(enginePty.PortPath());
    // Set only while a round runs: the reader thread reports the far end's first bytes of a round
    // before the round's counters are ready.
    std::atomic<std::atomic<size_t> *> round{nullptr};
    std::atomic<bool> done{false};
    size_t got = 0;
    std::vector<uint8_t> buf(8192);
    comm.OnCommNotify = [&](TPelmComm *c, int32_t mask) {
        std::atomic<size_t> *consumedNow = round.load(std::memory_order_acquire);
        if (!(mask & TPelmComm::EV_RXCHAR) || !consumedNow)
            return;
        for (int k; (k = c->Read(buf.data(), static_cast<int32_t>(buf.size()))) > 0;) {
            got += static_cast<size_t>(k);
            consumedNow->store(got, std::memory_order_release);
            consumedNow->notify_one();
        }
        if (got >= kPairedStream) {
            done.store(true, std::memory_order_release);
            done.notify_one();
        }
    };
    comm.Open();
    double rawSeconds = 0, engineSeconds = 0;
    for (auto _ : state) {
        rawSeconds += RawReceiveRound(rawPty, kPairedStream, window, buf);
        {
            std::atomic<size_t> consumed{0};
            got = 0;
            done = false;
            round.store(&consumed, std::memory_order_release);
            const auto t0 = Clock::now();
            std::thread far([&] { FeedFar(enginePty.FarFd(), kPairedStream, consumed, window); });
            done.wait(false);
            far.join();
            engineSeconds += Seconds(t0);
            round.store(nullptr, std::memory_order_release);
        }
    }
    ReportPaired(state, rawSeconds, engineSeconds, kPairedStream);
}

// Transmit throughput against a raw writer of 512-byte chunks, the engine's chunk size.
void BM_TransmitPaired(benchmark::State &state)
{
    PtyPair rawPty, enginePty;
    TPelmComm comm;
    comm.fSetPortName(enginePty.PortPath());
    std::counting_semaphore<1 << 30> drained(0);
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_TXEMPTY)
            drained.release();
    };
    comm.Open();
    std::vector<uint8_t> block(2048, 0x42);
    double rawSeconds = 0, engineSeconds = 0;
    for (auto _ : state) {
        {
            const auto t0 = Clock::now();
            std::thread far([&] { DrainFar(rawPty.FarFd(), kPairedStream); });
            for (size_t sent = 0; sent < kPairedStream;) {
                pollfd p{rawPty.PortFd(), POLLOUT, 0};
                poll(&p, 1, -1);
                const ssize_t k = write(rawPty.PortFd(), block.data(), std::min<size_t>(512, kPairedStream - sent));
                if (k > 0)
                    sent += static_cast<size_t>(k);
            }
            far.join();
            rawSeconds += Seconds(t0);
        }
        {
            const auto t0 = Clock::now();
            std::thread far([&] { DrainFar(enginePty.FarFd(), kPairedStream); });
            for (size_t sent = 0; sent < kPairedStream;) {
                const int k = comm.Write(block.data(), static_cast<int32_t>(std::min(block.size(), kPairedStream - sent)));
                if (k == 0)
                    drained.try_acquire_for(std::chrono::milliseconds(5));
                sent += static_cast<size_t>(k);
            }
            far.join();
            engineSeconds += Seconds(t0);
        }
    }
    ReportPaired(state, rawSeconds, engineSeconds, kPairedStream);
}

// A consumer on its own thread that spends a while on every 512 bytes, while the far end sends as
// fast as the line takes it: every byte must arrive (lost_bytes), and the engine should keep the
// pace of raw reads with the same consumer.
void SlowWork()
{
    const auto until = Clock::now() + std::chrono::microseconds(20);
    while (Clock::now() < until) {
    }
}

void BM_SlowConsumerPaired(benchmark::State &state)
{
    constexpr size_t kStreamBytes = 256 << 10;
    PtyPair rawPty, enginePty;
    TPelmComm comm;
    comm.fSetPortName(enginePty.PortPath());
    std::counting_semaphore<1 << 30> arrived(0);
    comm.OnCommNotify = [&](TPelmComm *, int32_t mask) {
        if (mask & TPelmComm::EV_RXCHAR)
            arrived.release();
    };
    comm.Open();
    std::vector<uint8_t> buf(512);
    double rawSeconds = 0, engineSeconds = 0;
    size_t lost = 0;
    const std::atomic<size_t> unused{0};
    for (auto _ : state) {
        {
            const auto t0 = Clock::now();
            std::thread far([&] { FeedFar(rawPty.FarFd(), kStreamBytes, unused, 0); });
            for (size_t got = 0; got < kStreamBytes;) {
                pollfd p{rawPty.PortFd(), POLLIN, 0};
                poll(&p, 1, -1);
                const ssize_t k = read(rawPty.PortFd(), buf.data(), buf.size());
                if (k > 0) {
                    got += static_cast<size_t>(k);
                    SlowWork();
                }
            }
            far.join();
            rawSeconds += Seconds(t0);
        }
        {
            const auto t0 = Clock::now();
            std::thread far([&] { FeedFar(enginePty.FarFd(), kStreamBytes, unused, 0); });
            size_t got = 0;
            // A second without bytes ends the round: whatever is missing then was lost.
            for (int idle = 0; got < kStreamBytes && idle < 200;) {
                const int k = comm.Read(buf.data(), static_cast<int32_t>(buf.size()));
                if (k == 0) {
                    idle += !arrived.try_acquire_for(std::chrono::milliseconds(5));
                    continue;
                }
                idle = 0;
                got += static_cast<size_t>(k);
                SlowWork();
            }
            lost += kStreamBytes - got;
            engineSeconds += Seconds(t0);
            if (got < kStreamBytes) {
                // Lets the sender finish by reading the rest past the engine.
                comm.Close();
                std::atomic<bool> farDone{false};
                std::thread rest([&] {
                    while (!farDone.load()) {
                        pollfd p{enginePty.PortFd(), POLLIN, 0};
                        if (poll(&p, 1, 10) > 0)
                            benchmark::DoNotOptimize(read(enginePty.PortFd(), buf.data(), buf.size()));
                    }
                });
                far.join();
                farDone = true;
                rest.join();
                state.SkipWithError("bytes lost");
                break;
            }
            far.join();
        }
    }
    ReportPaired(state, rawSeconds, engineSeconds, kStreamBytes);
    state.counters["lost_bytes"] = static_cast<double>(lost);
}

// A raw writer on a thread of its own, woken through an eventfd: the least that a write handed to
// another thread costs, which is one wake-up more than a raw write.
class RawHandOver {
public:
    RawHandOver(int port, std::vector<uint8_t> frame) : port_(port), frame_(std::move(frame)), thread_([this] { Run(); }) {}
    ~RawHandOver()
    {
        run_ = false;
        Write();
        thread_.join();
        close(wake_);
    }
    void Write()
    {
        const uint64_t one = 1;
        benchmark::DoNotOptimize(write(wake_, &one, sizeof one));
    }

private:
    void Run()
    {
        platform::RaiseCurrentThreadPriority(); // as the engine's writer
        while (run_) {
            pollfd p{wake_, POLLIN, 0};
            poll(&p, 1, -1);
            uint64_t count;
            benchmark::DoNotOptimize(read(wake_, &count, sizeof count));
            if (run_)
                benchmark::DoNotOptimize(write(port_, frame_.data(), frame_.size()));
        }
    }

    int port_;
    std::vector<uint8_t> frame_;
    int wake_ = eventfd(0, EFD_CLOEXEC);
    std::atomic<bool> run_{true};
    std::thread thread_;
};

// Paired samples: each iteration times a raw write, the same write handed to a thread of its own,
// and an engine write, each of 37 bytes until the far end has them.
void BM_Latency37(benchmark::State &state)
{
    PtyPair rawPty, handOverPty, enginePty;
    TPelmComm comm;
    comm.fSetPortName(enginePty.PortPath());
    comm.Open();
    const std::vector<uint8_t> frame(37, 0x37);
    RawHandOver handOver(handOverPty.PortFd(), frame);
    double rawNs = 0, handOverNs = 0, engineNs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(write(rawPty.PortFd(), frame.data(), frame.size()));
        DrainFar(rawPty.FarFd(), frame.size());
        const auto t1 = Clock::now();
        handOver.Write();
        DrainFar(handOverPty.FarFd(), frame.size());
        const auto t2 = Clock::now();
        comm.Write(frame.data(), static_cast<int32_t>(frame.size()));
        DrainFar(enginePty.FarFd(), frame.size());
        const auto t3 = Clock::now();
        rawNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        handOverNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
        engineNs += std::chrono::duration<double, std::nano>(t3 - t2).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["raw_us"] = rawNs / n / 1000;
    state.counters["hand_over_us"] = handOverNs / n / 1000;
    state.counters["engine_us"] = engineNs / n / 1000;
    state.counters["engine_to_raw"] = engineNs / rawNs;
    state.counters["engine_to_hand_over"] = engineNs / handOverNs;
}

// Close wakes both threads and joins them; Open starts them again.
void BM_OpenClose(benchmark::State &state)
{
    PtyPair pty;
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    double closeNs = 0;
    for (auto _ : state) {
        comm.Open();
        const auto t0 = std::chrono::steady_clock::now();
        comm.Close();
        closeNs += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["close_us"] = closeNs / static_cast<double>(state.iterations()) / 1000;
}

double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

void BM_IdleOpenPortCpu(benchmark::State &state)
{
    PtyPair pty;
    TPelmComm comm;
    comm.fSetPortName(pty.PortPath());
    comm.Open();
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.counters["cpu_percent_of_core"] = (CpuSeconds() - cpu0) / wall * 100;
    }
}

} // namespace

BENCHMARK(BM_TransmitEngine)->UseRealTime()->MinTime(1);
BENCHMARK(BM_TransmitRaw)->Arg(2048)->Arg(512)->UseRealTime()->MinTime(1);
BENCHMARK(BM_ReceiveEngine)->UseRealTime()->MinTime(1);
BENCHMARK(BM_ReceiveRaw)->UseRealTime()->MinTime(1);
BENCHMARK(BM_ReceivePaired)->Arg(0)->Arg(kWindow)->UseRealTime()->MinTime(2);
BENCHMARK(BM_ReceiveInReportPaired)->Arg(0)->Arg(kWindow)->UseRealTime()->MinTime(2);
BENCHMARK(BM_TransmitPaired)->UseRealTime()->MinTime(2);
BENCHMARK(BM_SlowConsumerPaired)->UseRealTime()->MinTime(2);
BENCHMARK(BM_Latency37)->UseRealTime()->MinTime(2);
BENCHMARK(BM_OpenClose)->UseRealTime();
BENCHMARK(BM_IdleOpenPortCpu)->Iterations(1)->UseRealTime();
