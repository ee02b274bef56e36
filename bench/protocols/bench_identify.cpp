// Naming the code of a full 1000-byte decoded-data reply, beside the reply decoding that every
// learned code already goes through (DecodeDurations), in the same run. Each naming benchmark also
// reports its processor time as a multiple of that decoding ("x_decode"), measured in alternating
// batches right after.
#include "core/ircode.h"
#include "core/protocols/protocols.h"
#include "core/replydecoder.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <random>

namespace {

constexpr int ReplySize = 1000;
constexpr int DataSize = ReplySize - 5;

void appendUnits(QByteArray &data, int units)
{
    if (units >= 22 && units <= 255) {
        data.append(char(units));
    } else {
        data.append(char(units / 255));
        data.append(char(units % 255));
    }
}

// Header, the durations (in 10 µs units) as far as they fill the data, end mark.
QByteArray reply(const std::vector<int> &units)
{
    QByteArray data;
    for (int u : units) {
        QByteArray next;
        appendUnits(next, u);
        if (data.size() + next.size() > DataSize)
            break;
        data += next;
    }
    while (data.size() < DataSize) // a last short space keeps the length exact
        data.append(char(43));
    QByteArray out;
    out.append(char(0xFF)).append(char(DataSize % 255)).append(char(DataSize / 255)).append(char(0xFD));
    return out + data + char(0x16);
}

void pulseDistanceFrame(std::vector<int> &units, int headerMark, int headerSpace, int bitMark, int zero, int one,
                        std::mt19937 &random, int bits)
{
    units.push_back(headerMark);
    units.push_back(headerSpace);
    for (int i = 0; i < bits; ++i) {
        units.push_back(bitMark);
        units.push_back(random() & 1 ? one : zero);
    }
    units.push_back(bitMark);
}

// An air conditioner's state in frames of 64 bits: no named protocol fits, so every decoder is
// tried before the unnamed reading takes it.
QByteArray airConditionerReply()
{
    std::mt19937 random(1);
    std::vector<int> units;
    while (units.size() < ReplySize) {
        pulseDistanceFrame(units, 350, 175, 43, 43, 130, random, 64);
        units.push_back(3500);
    }
    return reply(units);
}

// A held NEC button (address 0x04, command 0x08): the frame, then repeat frames every 108 ms.
QByteArray necHeldReply()
{
    constexpr uint32_t Bits = 0xF708FB04;
    std::vector<int> units = {900, 450};
    for (int i = 0; i < 32; ++i)
        units.insert(units.end(), {56, (Bits >> i) & 1 ? 169 : 56});
    units.push_back(56);
    while (units.size() < ReplySize) {
        units.push_back(4000);
        units.insert(units.end(), {900, 225, 56});
    }
    return reply(units);
}

QByteArray noiseReply()
{
    std::mt19937 random(3);
    std::uniform_int_distribution<int> duration(22, 255);
    std::vector<int> units(DataSize);
    for (int &u : units)
        u = duration(random);
    return reply(units);
}

// Processor time per call of the two kinds of work, measured in alternating batches so that both
// see the same load on a shared machine.
template <typename First, typename Second>
double timeRatio(First first, Second second)
{
    constexpr int Rounds = 20;
    constexpr int Calls = 200;
    std::clock_t firstTicks = 0, secondTicks = 0;
    for (int round = 0; round < Rounds; ++round) {
        std::clock_t start = std::clock();
        for (int i = 0; i < Calls; ++i)
            first();
        firstTicks += std::clock() - start;
        start = std::clock();
        for (int i = 0; i < Calls; ++i)
            second();
        secondTicks += std::clock() - start;
    }
    return double(firstTicks) / double(secondTicks);
}

void decode(const QByteArray &r)
{
    benchmark::DoNotOptimize(DecodeDurations(r));
}

void identify(const QByteArray &r)
{
    benchmark::DoNotOptimize(IdentifyCode(ReplyDurationsUs(r)));
}

void BM_DecodeDurations(benchmark::State &state, QByteArray (*make)())
{
    const QByteArray r = make();
    for (auto _ : state)
        decode(r);
}

void BM_IdentifyCode(benchmark::State &state, QByteArray (*make)())
{
    const QByteArray r = make();
    state.SetLabel(ProtocolLogLine(ReplyDurationsUs(r)).left(40).toStdString());
    for (auto _ : state)
        identify(r);
    state.counters["x_decode"] = timeRatio([&] { identify(r); }, [&] { decode(r); });
}

BENCHMARK_CAPTURE(BM_DecodeDurations, AirConditioner, airConditionerReply)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_IdentifyCode, AirConditioner, airConditionerReply)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeDurations, NecHeld, necHeldReply)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_IdentifyCode, NecHeld, necHeldReply)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeDurations, Noise, noiseReply)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_IdentifyCode, Noise, noiseReply)->Unit(benchmark::kMicrosecond);

} // namespace
