#include "serverbench.h"

#include "eventwait.h"
#include "moduleswarm.h"
#include "procmemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int ConnectTimeoutMs = 300000;
constexpr int RoundTimeoutMs = 60000;

// Waits for every notice of the swarm's connects; returns the seconds from "go" to the last notice,
// or a negative value after reporting the failure.
double ConnectAll(benchmark::State &state, TModuleSwarm &swarm)
{
    QElapsedTimer clock;
    clock.start();
    swarm.Go();
    const bool done = RunUntil([&] { return swarm.Notified() || !swarm.Error().isEmpty(); }, ConnectTimeoutMs);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    if (!done || !swarm.Notified()) {
        state.SkipWithError((swarm.Error().isEmpty() ? QString("notices did not all arrive") : swarm.Error()).toStdString().c_str());
        return -1;
    }
    return seconds;
}

double KeepAliveRound(benchmark::State &state, TBenchServer &server)
{
    const qint64 expected = server.Received() + 4LL * server.Connections();
    QElapsedTimer clock;
    clock.start();
    server.KeepAlive();
    if (!RunUntil([&] { return server.Received() >= expected; }, RoundTimeoutMs)) {
        state.SkipWithError("keep-alive answers did not all arrive");
        return -1;
    }
    return static_cast<double>(clock.nsecsElapsed()) * 1e-9;
}

void BM_Connect(benchmark::State &state, TVariant variant, TModuleSwarm::TMode mode)
{
    double grownMiB = 0, residentMiB = 0;
    for (auto _ : state) {
        auto server = MakeServer(variant);
        TModuleSwarm swarm;
        if (!swarm.Start(server->Listen(), ModuleCount(), mode)) {
            state.SkipWithError(swarm.Error().toStdString().c_str());
            break;
        }
        const qint64 before = ReadMemory().ResidentKiB;
        const double seconds = ConnectAll(state, swarm);
        if (seconds < 0)
            break;
        state.SetIterationTime(seconds);
        const qint64 after = ReadMemory().ResidentKiB;
        residentMiB = MiB(after);
        grownMiB = MiB(after - before);
        server.reset();
        swarm.Stop();
    }
    state.counters["rss_MiB"] = residentMiB;
    state.counters["rss_growth_MiB"] = grownMiB;
}

void BM_KeepAlive(benchmark::State &state, TVariant variant)
{
    auto server = MakeServer(variant);
    TModuleSwarm swarm;
    if (!swarm.Start(server->Listen(), ModuleCount(), TModuleSwarm::Burst)) {
        state.SkipWithError(swarm.Error().toStdString().c_str());
        return;
    }
    if (ConnectAll(state, swarm) < 0)
        return;
    for (auto _ : state) {
        const double seconds = KeepAliveRound(state, *server);
        if (seconds < 0)
            break;
        state.SetIterationTime(seconds);
    }
    state.counters["rss_MiB"] = MiB(ReadMemory().ResidentKiB);
    server.reset();
    swarm.Stop();
}

// Memory is measured in a fresh process per server so that neither inherits the other's heap.
void BM_Memory(benchmark::State &state, TVariant variant)
{
    QList<qint64> figures;
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.start(QCoreApplication::applicationFilePath(), {"--memory-probe", VariantName(variant)});
        if (!probe.waitForFinished(ConnectTimeoutMs) || probe.exitCode() != 0) {
            state.SkipWithError("the memory probe failed");
            break;
        }
        figures.clear();
        for (const QByteArray &f : probe.readAllStandardOutput().trimmed().split(' '))
            figures.append(f.toLongLong());
    }
    if (figures.size() != 3)
        return;
    state.counters["base_MiB"] = MiB(figures[0]);
    state.counters["rss_MiB"] = MiB(figures[1]);
    state.counters["peak_MiB"] = MiB(figures[2]);
    state.counters["server_MiB"] = MiB(figures[2] - figures[0]);
}

} // namespace

int ModuleCount()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("BENCH_SERVER_MODULES", &ok);
    return ok && n > 0 ? n : 1000;
}

void RegisterServerBenchmarks()
{
    const TVariant variants[] = {vWindow, vPlain};
    for (TVariant v : variants)
        benchmark::RegisterBenchmark((std::string("connect_burst/") + VariantName(v)).c_str(), BM_Connect, v,
                                     TModuleSwarm::Burst)
            ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
    for (TVariant v : variants)
        benchmark::RegisterBenchmark((std::string("connect_one_at_a_time/") + VariantName(v)).c_str(), BM_Connect, v,
                                     TModuleSwarm::Serial)
            ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    for (TVariant v : variants)
        benchmark::RegisterBenchmark((std::string("keepalive_round/") + VariantName(v)).c_str(), BM_KeepAlive, v)
            ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
    for (TVariant v : variants)
        benchmark::RegisterBenchmark((std::string("memory/") + VariantName(v)).c_str(), BM_Memory, v)
            ->Unit(benchmark::kMillisecond)->Iterations(1);
}

int RunMemoryProbe(TVariant variant)
{
    auto server = MakeServer(variant);
    TModuleSwarm swarm;
    if (!swarm.Start(server->Listen(), ModuleCount(), TModuleSwarm::Burst)) {
        std::fprintf(stderr, "%s\n", qPrintable(swarm.Error()));
        return 1;
    }
    const qint64 before = ReadMemory().ResidentKiB;
    swarm.Go();
    const qint64 expected = 4LL * ModuleCount();
    const bool done = RunUntil([&] { return swarm.Notified() || !swarm.Error().isEmpty(); }, ConnectTimeoutMs)
                      && swarm.Notified() && (server->KeepAlive(), RunUntil([&] {
                                                  return server->Received() >= expected;
                                              }, RoundTimeoutMs));
    if (!done) {
        std::fprintf(stderr, "memory probe: %s\n", swarm.Error().isEmpty() ? "timed out" : qPrintable(swarm.Error()));
        return 1;
    }
    const TMemory m = ReadMemory();
    std::printf("%lld %lld %lld\n", before, m.ResidentKiB, m.PeakKiB);
    std::fflush(stdout);
    server.reset();
    swarm.Stop();
    return 0;
}
