// Reading codes from files: a library of 10,000 learned codes and a signal file of 5,000 raw
// records, each beside a plain std::ifstream read of the same file into a string in the same run.
// Each reader also reports its processor time as a multiple of three baselines, measured in
// alternating batches: the sized read ("x_read"), the usual istreambuf_iterator read
// ("x_iterator_read"), and the sized read followed by a loop that reads every number of the file
// ("x_number_scan"). The window's load of the same library reports the longest time its
// event loop went without an event ("max_event_ms") from the menu action to the list of codes,
// beside the same measure on an idle event loop, which shows what the machine's load alone causes.
#include "app/Unit1.h"
#include "app/codedialogs.h"
#include "app/codesui.h"
#include "core/codelibrary.h"
#include "core/formats/irfile.h"
#include "core/moduleframe.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <random>

namespace {

constexpr int LibraryCodes = 10000;
constexpr int SignalRecords = 5000;

// A learned pulse-distance code with the jitter of a real capture, and its module reply.
TCodeRecord learnedCode(std::mt19937 &random, int index)
{
    std::uniform_int_distribution<int> jitter(-3, 3);
    std::vector<int> units = {900 + jitter(random), 450 + jitter(random)};
    for (int i = 0; i < 32; ++i)
        units.insert(units.end(), {56 + jitter(random), (random() & 1 ? 169 : 56) + jitter(random)});
    units.push_back(56 + jitter(random));
    TIrCode code;
    for (int u : units)
        code.DurationsUs.push_back(u * ModuleUnitUs);
    TCodeRecord r;
    r.Name = QString::fromUtf8("按键 %1").arg(index);
    r.Remote = QString::fromUtf8("遥控器 %1").arg(index / 40);
    r.Code = CodeFromReply(BuildModuleReply(code).Reply);
    return r;
}

struct TFiles {
    QTemporaryDir Dir;
    QString Library, Signals;

    TFiles()
    {
        std::mt19937 random(12);
        std::vector<TCodeRecord> records;
        for (int i = 0; i < LibraryCodes; ++i)
            records.push_back(learnedCode(random, i));
        Library = Dir.filePath("codes.txt");
        SaveCodeLibrary(Library, records);
        records.resize(SignalRecords);
        for (TCodeRecord &r : records)
            r.Code.CarrierHz = 38000;
        Signals = Dir.filePath("remotes.ir");
        QFile f(Signals);
        f.open(QIODevice::WriteOnly);
        f.write(ExportIrFile(records).Text);
    }
};

const TFiles &files()
{
    static const TFiles f;
    return f;
}

// The file's size first, then one read into a string of that size: the fastest plain read.
std::string plainRead(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary | std::ios::ate);
    std::string text(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return text;
}

template <typename Work, typename Baseline>
double timeRatio(Work work, Baseline baseline)
{
    constexpr int Rounds = 10;
    std::clock_t workTicks = 0, baselineTicks = 0;
    for (int round = 0; round < Rounds; ++round) {
        std::clock_t start = std::clock();
        work();
        workTicks += std::clock() - start;
        start = std::clock();
        baseline();
        baselineTicks += std::clock() - start;
    }
    return double(workTicks) / double(std::max<std::clock_t>(baselineTicks, 1));
}

// The usual way of reading a whole file into a string with the standard library.
std::string iteratorRead(const QString &path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The least a reader of decimal text must do: the plain read, then every digit into a number. The
// sum keeps the compiler from dropping the loop.
long long readAndSumNumbers(const QString &path)
{
    const std::string text = plainRead(path);
    long long sum = 0, value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        } else {
            sum += value;
            value = 0;
        }
    }
    return sum + value;
}

// A reader's processor time as a multiple of each of the three baselines, measured by turns.
template <typename Work>
void reportRatios(benchmark::State &state, const QString &path, Work work)
{
    state.counters["x_read"] = timeRatio(work, [&] { benchmark::DoNotOptimize(plainRead(path)); });
    state.counters["x_iterator_read"] = timeRatio(work, [&] { benchmark::DoNotOptimize(iteratorRead(path)); });
    state.counters["x_number_scan"] = timeRatio(work, [&] { benchmark::DoNotOptimize(readAndSumNumbers(path)); });
}

TImport importSignals(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return ImportIrFile(f.readAll());
}

void BM_PlainReadOfLibrary(benchmark::State &state)
{
    const QString path = files().Library;
    for (auto _ : state)
        benchmark::DoNotOptimize(plainRead(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * QFile(path).size());
}

void BM_LoadLibraryOf10000Codes(benchmark::State &state)
{
    const QString path = files().Library;
    for (auto _ : state) {
        const TLibraryRead r = LoadCodeLibrary(path);
        if (r.Records.size() != LibraryCodes)
            state.SkipWithError("library not read whole");
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * QFile(path).size());
    reportRatios(state, path, [&] { benchmark::DoNotOptimize(LoadCodeLibrary(path)); });
}

void BM_PlainReadOfSignalFile(benchmark::State &state)
{
    const QString path = files().Signals;
    for (auto _ : state)
        benchmark::DoNotOptimize(plainRead(path));
    state.SetBytesProcessed(int64_t(state.iterations()) * QFile(path).size());
}

void BM_ImportSignalFileOf5000Records(benchmark::State &state)
{
    const QString path = files().Signals;
    for (auto _ : state) {
        const TImport in = importSignals(path);
        if (in.Records.size() != SignalRecords)
            state.SkipWithError("signal file not read whole");
        benchmark::DoNotOptimize(in);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * QFile(path).size());
    reportRatios(state, path, [&] { benchmark::DoNotOptimize(importSignals(path)); });
}

// From "从编码库载入…" to the list of 10,000 codes on screen, with a 1 ms timer on the window's
// thread recording the longest gap between its ticks.
void BM_WindowLoadsLibraryOf10000Codes(benchmark::State &state)
{
    TForm1 form;
    form.show();
    form.Codes->LibraryPath = files().Library;
    // The window's first painting is not part of a load.
    const QDeadlineTimer settle(500);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    double longestMs = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestMs = std::max(longestMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        bool shown = false;
        QTimer closer;
        closer.setInterval(1);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto *d = qobject_cast<TCodePickDialog *>(QApplication::activeModalWidget())) {
                shown = true;
                d->reject();
            }
        });
        sinceTick.start();
        ticker.start();
        closer.start();
        form.Codes->LoadAction->trigger();
        const QDeadlineTimer deadline(60000);
        while (!(shown && !form.Codes->Busy()) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!shown)
            state.SkipWithError("the list of codes did not appear");
    }
    state.counters["max_event_ms"] = longestMs;
}

// The part of the window's load that runs on its thread: the list of 10,000 codes made and shown.
void BM_ListOf10000CodesShown(benchmark::State &state)
{
    QStringList entries;
    for (int i = 0; i < LibraryCodes; ++i)
        entries << QString::fromUtf8("按键 %1  —  遥控器 %2").arg(i).arg(i / 40);
    for (auto _ : state) {
        TCodePickDialog dialog(nullptr, [] { return QStringLiteral("list"); }, entries, false);
        dialog.show();
        QCoreApplication::processEvents();
        dialog.hide();
    }
}

// The same 1 ms timer on an idle event loop for as long as a window load takes: the gaps that the
// machine's load alone causes, as the baseline of max_event_ms.
void BM_IdleEventLoopGaps(benchmark::State &state)
{
    double longestMs = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestMs = std::max(longestMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        sinceTick.start();
        ticker.start();
        const QDeadlineTimer deadline(300);
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    state.counters["max_event_ms"] = longestMs;
}

BENCHMARK(BM_PlainReadOfLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLibraryOf10000Codes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadOfSignalFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportSignalFileOf5000Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListOf10000CodesShown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowLoadsLibraryOf10000Codes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_IdleEventLoopGaps)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
