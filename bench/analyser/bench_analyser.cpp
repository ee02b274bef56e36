// The analyser's costs beside their floors in the same run: comparing four full channels beside
// decoding their replies and beside a plain loop over the same durations; exporting the chart as
// PNG beside grabbing it and writing a same-sized image with plain Qt.
#include "app/Unit1.h"
#include "app/channelchart.h"
#include "app/chartexport.h"
#include "core/codecompare.h"
#include "core/ircode.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int ReplySize = 1000;
constexpr int Channels = 4;

// Four captures of one long pulse-distance code, each a full reply of ReplySize bytes with its
// own jitter of up to ±3 units, as four learns of one button give.
std::vector<QByteArray> fullReplies()
{
    std::mt19937 rng(13);
    std::uniform_int_distribution<int> jitter(-3, 3);
    std::vector<QByteArray> replies;
    const int length = ReplySize - 5;
    for (int k = 0; k < Channels; ++k) {
        QByteArray reply;
        reply.append(char(0xFF)).append(char(length % 255)).append(char(length / 255)).append(char(0xFD));
        for (int i = 0; i < length; ++i)
            reply.append(char((i % 2 == 0 || i % 3 == 0 ? 56 : 169) + jitter(rng)));
        reply.append(char(0x16));
        replies.push_back(reply);
    }
    return replies;
}

std::vector<std::vector<int>> fullCodes()
{
    std::vector<std::vector<int>> codes;
    for (const QByteArray &r : fullReplies())
        codes.push_back(ReplyDurationsUs(r));
    return codes;
}

void BM_CompareFourFullChannels(benchmark::State &state)
{
    const std::vector<std::vector<int>> codes = fullCodes();
    const QStringList names = {"1", "2", "3", "4"};
    for (auto _ : state) {
        const TCodeComparison c = CompareCodes(codes);
        benchmark::DoNotOptimize(CompareLogLines(names, c));
    }
    state.counters["durations"] = double(codes.front().size());
}

// Floor 1: decoding the four replies, which the window does before it compares.
void BM_BaselineDecodeFourReplies(benchmark::State &state)
{
    const std::vector<QByteArray> replies = fullReplies();
    for (auto _ : state) {
        for (const QByteArray &r : replies)
            benchmark::DoNotOptimize(ReplyDurationsUs(r));
    }
}

// Floor 2: the least a comparison must do, the spread of every position across the codes.
void BM_BaselinePlainSpreadLoop(benchmark::State &state)
{
    const std::vector<std::vector<int>> codes = fullCodes();
    const size_t n = codes.front().size();
    for (auto _ : state) {
        int largest = 0;
        for (size_t i = 0; i < n; ++i) {
            int lo = codes[0][i], hi = lo;
            for (const std::vector<int> &c : codes) {
                lo = std::min(lo, c[i]);
                hi = std::max(hi, c[i]);
            }
            largest = std::max(largest, hi - lo);
        }
        benchmark::DoNotOptimize(largest);
    }
}

// A shown main window with four full channels learned.
struct TLoadedWindow {
    TForm1 form;
    TLoadedWindow()
    {
        form.show();
        const std::vector<QByteArray> replies = fullReplies();
        for (int c = 1; c <= Channels; ++c) {
            form.Chart1->RadioButton(c)->click();
            form.Edit4->setText(QString::fromLatin1(replies[size_t(c - 1)].toHex(' ').toUpper()));
            form.Timer2Timer();
        }
        QCoreApplication::processEvents();
    }
};

void BM_ExportChartPng(benchmark::State &state)
{
    TLoadedWindow w;
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.png");
    for (auto _ : state) {
        if (!SaveChartPng(w.form.Chart1, path).isEmpty())
            state.SkipWithError("export failed");
    }
}

// Floor 1: grabbing the chart's pixels, without encoding or writing them.
void BM_BaselineChartGrab(benchmark::State &state)
{
    TLoadedWindow w;
    for (auto _ : state)
        benchmark::DoNotOptimize(w.form.Chart1->grab());
}

// Floor 2: plain Qt writing an image of the chart's size, already drawn, as PNG.
void BM_BaselinePlainPngWrite(benchmark::State &state)
{
    TLoadedWindow w;
    const QImage image = w.form.Chart1->grab().toImage();
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.png");
    for (auto _ : state) {
        if (!image.save(path, "png"))
            state.SkipWithError("write failed");
    }
}

BENCHMARK(BM_CompareFourFullChannels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselineDecodeFourReplies)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BaselinePlainSpreadLoop)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportChartPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineChartGrab)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselinePlainPngWrite)->Unit(benchmark::kMillisecond);

} // namespace
