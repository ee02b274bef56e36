#include "app/chartexport.h"

#include "app/channelchart.h"
#include "core/stepclip.h"

#include <QImageWriter>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>

#include <utility>
#include <vector>

namespace {

// The SVG engine ignores clip paths, so a trace beyond the visible time range would run over the
// chart's margins and rows. While alive, the series hold only their visible part.
class TVisibleOnly {
public:
    explicit TVisibleOnly(TChannelChart *chart)
    {
        const double from = chart->BottomAxis->min();
        const double to = chart->BottomAxis->max();
        for (int c = 1; c <= TChannelChart::ChannelCount; ++c) {
            QXYSeries *trace = chart->Series(c);
            QXYSeries *marks = chart->Marks(c);
            kept.emplace_back(trace, trace->points());
            kept.emplace_back(marks, marks->points());
            trace->replace(ClipSteps(trace->points(), from, to));
            QList<QPointF> shown;
            for (const QPointF &m : marks->points()) {
                if (m.x() >= from && m.x() <= to)
                    shown.append(m);
            }
            marks->replace(shown);
        }
    }
    ~TVisibleOnly()
    {
        for (auto &[series, points] : kept)
            series->replace(points);
    }
    TVisibleOnly(const TVisibleOnly &) = delete;
    TVisibleOnly &operator=(const TVisibleOnly &) = delete;

private:
    std::vector<std::pair<QXYSeries *, QList<QPointF>>> kept;
};

} // namespace

QString SaveChartPng(TChannelChart *chart, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "png");
    if (!writer.write(chart->grab().toImage()))
        return writer.errorString();
    if (!file.commit())
        return file.errorString();
    return {};
}

QString SaveChartSvg(TChannelChart *chart, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(chart->size());
    svg.setViewBox(QRect(QPoint(0, 0), chart->size()));
    // The screen's resolution, so that the fonts keep the size they have on the screen.
    svg.setResolution(chart->logicalDpiX());
    svg.setTitle(chart->accessibleName());
    const TVisibleOnly visible(chart);
    QPainter painter;
    if (!painter.begin(&svg))
        return file.errorString();
    // The widget's render, rows included; the view's own render would draw the scene alone.
    chart->QWidget::render(&painter);
    painter.end();
    if (!file.commit())
        return file.errorString();
    return {};
}
