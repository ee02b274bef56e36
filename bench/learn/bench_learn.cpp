// Learned codes on the chart: a full decoded-data reply processed and drawn, the chart redrawn with
// four full channels, and beside them plain Qt Charts refilling and drawing four series of the same
// size, as the floor the chart can hope for.
#include "app/Unit1.h"
#include "app/channelchart.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QValueAxis>
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

namespace {

constexpr int ChartWidth = 1057;
constexpr int ChartHeight = 250;
constexpr int ReplySize = 1000;

// A decoded-data reply of ReplySize bytes, as the accumulator holds it: header, single-byte
// durations of a pulse-distance code and the end mark.
QString fullReplyText()
{
    QByteArray reply;
    const int length = ReplySize - 5;
    reply.append(char(0xFF)).append(char(length % 255)).append(char(length / 255)).append(char(0xFD));
    for (int i = 0; i < length; ++i)
        reply.append(char(i % 2 == 0 || i % 3 == 0 ? 56 : 169));
    reply.append(char(0x16));
    return QString::fromLatin1(reply.toHex(' ').toUpper());
}

void render(QWidget *view, QImage &image)
{
    QPainter painter(&image);
    view->render(&painter);
}

QImage chartImage()
{
    return QImage(ChartWidth, ChartHeight, QImage::Format_ARGB32_Premultiplied);
}

void BM_FullReplyProcessedAndDrawn(benchmark::State &state)
{
    TForm1 form;
    form.show();
    QCoreApplication::processEvents();
    const QString text = fullReplyText();
    // The first reply also grows the time axis, once in the program's life; measure the ones after.
    form.Edit4->setText(text);
    form.Timer2Timer();
    QCoreApplication::processEvents();
    QImage image = chartImage();
    for (auto _ : state) {
        form.Edit4->setText(text);
        form.Timer2Timer();
        QCoreApplication::processEvents();
        render(form.Chart1, image);
        state.PauseTiming();
        form.Memo1->clear(); // a log that grows without end would be measured instead
        state.ResumeTiming();
    }
}

// The first long code grows the time axis from its start range to the code's length.
void BM_FirstReplyGrowsTheTimeAxis(benchmark::State &state)
{
    const QString text = fullReplyText();
    QImage image = chartImage();
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TForm1>();
        form->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form->Edit4->setText(text);
        form->Timer2Timer();
        QCoreApplication::processEvents();
        render(form->Chart1, image);
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

void BM_ChartRedrawnWithFourFullChannels(benchmark::State &state)
{
    TForm1 form;
    form.show();
    const QString text = fullReplyText();
    for (int c = 1; c <= TChannelChart::ChannelCount; ++c) {
        form.Chart1->RadioButton(c)->click();
        form.Edit4->setText(text);
        form.Timer2Timer();
    }
    QCoreApplication::processEvents();
    QImage image = chartImage();
    for (auto _ : state)
        render(form.Chart1, image);
}

void BM_PlainChartsFourSeriesRefilledAndDrawn(benchmark::State &state)
{
    auto *chart = new QChart;
    auto *x = new QValueAxis;
    auto *y = new QValueAxis;
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    x->setRange(0, 500);
    y->setRange(0, 9);
    std::array<QLineSeries *, 4> series{};
    std::array<QList<QPointF>, 4> points;
    for (int s = 0; s < 4; ++s) {
        series[s] = new QLineSeries;
        chart->addSeries(series[s]);
        series[s]->attachAxis(x);
        series[s]->attachAxis(y);
        for (int i = 0; i < 1000; ++i)
            points[s].append(QPointF((i + 1) / 2, 2 * s + 1 + (i / 2) % 2)); // a step waveform
    }
    QChartView view(chart);
    view.resize(ChartWidth, ChartHeight);
    view.show();
    QCoreApplication::processEvents();
    QImage image = chartImage();
    for (auto _ : state) {
        for (int s = 0; s < 4; ++s)
            series[s]->replace(points[s]);
        QCoreApplication::processEvents();
        render(&view, image);
    }
}

BENCHMARK(BM_FullReplyProcessedAndDrawn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstReplyGrowsTheTimeAxis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartRedrawnWithFourFullChannels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainChartsFourSeriesRefilledAndDrawn)->Unit(benchmark::kMillisecond);

} // namespace
