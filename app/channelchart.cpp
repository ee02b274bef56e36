#include "app/channelchart.h"

#include "app/application.h"
#include "app/icons.h"

#include <QButtonGroup>
#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QScatterSeries>
#include <QToolButton>
#include <QValueAxis>

#include <cmath>

namespace {

const QColor MoneyGreen(192, 220, 192);
const QColor Maroon(128, 0, 0);
const QColor MarkColour(255, 140, 0);
constexpr double MarkSize = 8;

// Margins of the chart in per cent of its size; the right one holds the channel rows.
constexpr double MarginTop = 5, MarginBottom = 5, MarginLeft = 0, MarginRight = 13;
constexpr int RowHeight = 22;
constexpr int RadioWidth = 64;
constexpr int EmitWidth = 26;
constexpr int IconSize = 20;
constexpr int RowGap = 3;
// A shorter drag is a click, not a zoom.
constexpr int MinimumDrag = 4;
constexpr int TargetTickCount = 10;

// 1, 2 or 5 times a power of ten, so that the time labels stay round numbers.
double niceStep(double span)
{
    const double raw = span / TargetTickCount;
    if (raw <= 0)
        return 1;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw)
            return std::max(1.0, factor * magnitude);
    }
    return std::max(1.0, 10 * magnitude);
}

} // namespace

TChannelChart::TChannelChart(QWidget *parent) : QChartView(new QChart, parent)
{
    setFrameShape(QFrame::NoFrame);
    setRubberBand(QChartView::NoRubberBand);
    setFocusPolicy(Qt::NoFocus);
    band = new QRubberBand(QRubberBand::Rectangle, viewport());
    createChart();
    createRows();
    showFullTimeRange();
    retranslateUi();
    connect(chart(), &QChart::plotAreaChanged, this, &TChannelChart::placeRows);
}

void TChannelChart::retranslateUi()
{
    setAccessibleName(tr("波形图"));
    // What the drawn axis title says, for screen readers, which do not see it.
    setAccessibleDescription(tr("横轴为时间，单位 10 微秒（0.01 毫秒）"));
    chart()->setTitle(tr("万能学习型红外遥控器波形图 （在波形上按住鼠标左键，右下和左上滑动实现波形缩放）"));
    // The trace's times are the module's 10 µs units, as its replies carry them.
    BottomAxis->setTitleText(tr("时间（×10 微秒）"));
    for (int i = 0; i < ChannelCount; ++i) {
        const int channel = i + 1;
        const TRow &r = rows[i];
        r.radio->setText(tr("%1 通道", "chart row").arg(channel));
        r.emitButton->setText(tr("发"));
        r.emitButton->setAccessibleName(tr("发射 %1 通道").arg(channel));
        r.emitButton->setToolTip(tr("发射 %1 通道的红外数据").arg(channel));
        r.clear->setToolTip(tr("清除 %1 通道波形").arg(channel));
        r.clear->setAccessibleName(r.clear->toolTip());
    }
}

void TChannelChart::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QChartView::changeEvent(event);
}

void TChannelChart::createChart()
{
    QChart *c = chart();
    c->legend()->hide();
    c->setBackgroundBrush(MoneyGreen);
    c->setBackgroundRoundness(0);
    c->setDropShadowEnabled(false);
    c->setPlotAreaBackgroundVisible(false);
    c->layout()->setContentsMargins(0, 0, 0, 0);

    BottomAxis = new QValueAxis(c);
    BottomAxis->setLabelFormat("%i");
    BottomAxis->setTickType(QValueAxis::TicksDynamic);
    BottomAxis->setTickAnchor(0);
    LeftAxis = new QValueAxis(c);
    LeftAxis->setRange(LevelMinimum, LevelMaximum);
    LeftAxis->setVisible(false);
    c->addAxis(BottomAxis, Qt::AlignBottom);
    c->addAxis(LeftAxis, Qt::AlignLeft);

    const std::array<QColor, ChannelCount> colours = {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::black), Maroon};
    std::array<QLineSeries **, ChannelCount> series = {&Series1, &Series2, &Series3, &Series4};
    for (int i = 0; i < ChannelCount; ++i) {
        auto *s = new QLineSeries(c);
        s->setPen(QPen(colours[i], 1));
        s->setPointLabelsVisible(false);
        c->addSeries(s);
        s->attachAxis(BottomAxis);
        s->attachAxis(LeftAxis);
        *series[i] = s;
        rows[i].series = s;
    }
    // Added after the traces, so that the marks lie on top of them.
    for (int i = 0; i < ChannelCount; ++i) {
        auto *m = new QScatterSeries(c);
        m->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        m->setMarkerSize(MarkSize);
        m->setColor(MarkColour);
        m->setBorderColor(MarkColour);
        c->addSeries(m);
        m->attachAxis(BottomAxis);
        m->attachAxis(LeftAxis);
        rows[i].marks = m;
    }
}

void TChannelChart::createRows()
{
    selection = new QButtonGroup(this);
    selection->setExclusive(true);
    const std::array<QColor, ChannelCount> colours = {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::black), Maroon};
    std::array<QRadioButton **, ChannelCount> radios = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4};
    std::array<QPushButton **, ChannelCount> emits = {&Button4, &Button5, &Button3, &Button2};
    std::array<QToolButton **, ChannelCount> clears = {&Image9, &Image8, &Image7, &Image3};
    std::array<void (TChannelChart::*)(), ChannelCount> clearHandlers = {
        &TChannelChart::Image9Click, &TChannelChart::Image8Click, &TChannelChart::Image7Click,
        &TChannelChart::Image3Click};
    // The rows live on the viewport, not on the view: a scroll area tells assistive technology
    // only about its viewport and scroll bars, so controls on the view itself would be invisible
    // to a screen reader. The viewport covers the whole view (no frame, no scroll bars), so the
    // rows keep their place. Created from the top row down, so that the keyboard walks the rows as
    // they are seen.
    QWidget *surface = viewport();
    for (int i = ChannelCount - 1; i >= 0; --i) {
        const int channel = i + 1;
        auto *radio = new QRadioButton(surface);
        QPalette pal = radio->palette();
        pal.setColor(QPalette::WindowText, colours[i]);
        radio->setPalette(pal);
        radio->resize(RadioWidth, RowHeight);
        selection->addButton(radio, channel);

        auto *emitter = new QPushButton(surface);
        emitter->resize(EmitWidth, RowHeight);

        auto *clear = new QToolButton(surface);
        clear->setIcon(QIcon(icons::ClearTrace(IconSize)));
        clear->setIconSize(QSize(IconSize - 4, IconSize - 4));
        clear->setAutoRaise(true);
        clear->setFocusPolicy(Qt::StrongFocus);
        clear->resize(IconSize, IconSize);
        connect(clear, &QToolButton::clicked, this, clearHandlers[i]);

        *radios[i] = radio;
        *emits[i] = emitter;
        *clears[i] = clear;
        rows[i].radio = radio;
        rows[i].emitButton = emitter;
        rows[i].clear = clear;
    }
    RadioButton1->setChecked(true);
}

void TChannelChart::resizeEvent(QResizeEvent *event)
{
    chart()->setMargins(QMargins(qRound(width() * MarginLeft / 100), qRound(height() * MarginTop / 100),
                                 qRound(width() * MarginRight / 100), qRound(height() * MarginBottom / 100)));
    QChartView::resizeEvent(event);
    placeRows();
}

// Each row sits in the right margin beside its trace, whose two levels are 2c-1 and 2c.
void TChannelChart::placeRows()
{
    const QRectF plot = chart()->plotArea();
    const int left = qRound(plot.right()) + 6;
    for (int i = 0; i < ChannelCount; ++i) {
        const double level = 2.0 * (i + 1) - 0.5;
        const double middle = plot.bottom() - (level - LevelMinimum) / (LevelMaximum - LevelMinimum) * plot.height();
        const int top = qRound(middle) - RowHeight / 2;
        const TRow &r = rows[i];
        r.radio->move(left, top);
        r.emitButton->move(left + RadioWidth + RowGap, top);
        r.clear->move(left + RadioWidth + RowGap + EmitWidth + RowGap, top + (RowHeight - IconSize) / 2);
    }
}

const TChannelChart::TRow &TChannelChart::row(int channel) const
{
    return rows.at(channel - 1);
}

QRadioButton *TChannelChart::RadioButton(int channel) const
{
    return row(channel).radio;
}

QPushButton *TChannelChart::EmitButton(int channel) const
{
    return row(channel).emitButton;
}

QToolButton *TChannelChart::ClearIcon(int channel) const
{
    return row(channel).clear;
}

QLineSeries *TChannelChart::Series(int channel) const
{
    return row(channel).series;
}

int TChannelChart::SelectedChannel() const
{
    return selection->checkedId();
}

QString TChannelChart::ChannelCode(int channel) const
{
    return codes.at(channel - 1);
}

void TChannelChart::SetChannelCode(int channel, const QString &code)
{
    codes.at(channel - 1) = code;
}

void TChannelChart::ClearChannel(int channel)
{
    Series(channel)->clear();
    Marks(channel)->clear();
    SetChannelCode(channel, QString());
    SetChannelHint(channel, QString());
}

void TChannelChart::SetChannelHint(int channel, const QString &hint)
{
    const TRow &r = row(channel);
    r.radio->setToolTip(hint);
    r.radio->setAccessibleDescription(hint);
    r.emitButton->setAccessibleDescription(hint);
}

QString TChannelChart::ChannelHint(int channel) const
{
    return row(channel).radio->toolTip();
}

QScatterSeries *TChannelChart::Marks(int channel) const
{
    return row(channel).marks;
}

void TChannelChart::MarkDurations(int channel, const std::vector<int> &positions)
{
    // Duration i is drawn from point 2i to point 2i + 1.
    const QList<QPointF> trace = Series(channel)->points();
    QList<QPointF> marks;
    for (int i : positions) {
        const qsizetype from = 2 * qsizetype(i);
        if (i < 0 || from + 1 >= trace.size())
            continue;
        marks.append((trace[from] + trace[from + 1]) / 2);
    }
    Marks(channel)->replace(marks);
}

void TChannelChart::ClearMarks()
{
    for (const TRow &r : rows)
        r.marks->clear();
}

void TChannelChart::DrawDurations(int channel, const std::vector<int> &durations)
{
    const double offset = 2.0 * (channel - 1);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(durations.size()) * 2);
    int level = 1;
    qint64 t = 0;
    for (int d : durations) {
        points.append(QPointF(double(t), level + offset));
        t += d;
        points.append(QPointF(double(t), level + offset));
        level = level == 1 ? 2 : 1;
    }
    // One replace instead of a point at a time: each append would lay out the chart again.
    Series(channel)->replace(points);
    Marks(channel)->clear();
}

void TChannelChart::OfferTotal(int total)
{
    if (total <= largestTotal)
        return;
    largestTotal = total;
    timeMaximum = double(total) + AxisHeadroom;
    showFullTimeRange();
}

void TChannelChart::ResetLevelAxis()
{
    LeftAxis->setRange(LevelMinimum, LevelMaximum);
}

void TChannelChart::showFullTimeRange()
{
    setTimeRange(0, timeMaximum);
}

// The axis lays out a label per tick on every change, so of range and interval the one that
// leaves fewer ticks goes first: a long code's range under the old short interval would mean
// thousands of labels for a moment, and a visible stall.
void TChannelChart::setTimeRange(double min, double max)
{
    const double step = niceStep(max - min);
    if (step > BottomAxis->tickInterval()) {
        BottomAxis->setTickInterval(step);
        BottomAxis->setRange(min, max);
    } else {
        BottomAxis->setRange(min, max);
        BottomAxis->setTickInterval(step);
    }
}

void TChannelChart::Image9Click()
{
    ClearChannel(1);
}

void TChannelChart::Image8Click()
{
    ClearChannel(2);
}

void TChannelChart::Image7Click()
{
    ClearChannel(3);
}

void TChannelChart::Image3Click()
{
    ClearChannel(4);
}

QPointF TChannelChart::valueAt(const QPoint &viewPoint) const
{
    return chart()->mapToValue(mapToScene(viewPoint), Series1);
}

void TChannelChart::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && chart()->plotArea().contains(mapToScene(at))) {
        dragging = true;
        dragOrigin = at;
        band->setGeometry(QRect(at, QSize()));
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void TChannelChart::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragging) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    // Only a drag toward the lower right selects a range; show it over the plot's full height.
    if (at.x() > dragOrigin.x() && at.y() > dragOrigin.y()) {
        const QRectF plot = chart()->plotArea();
        const int right = std::min(at.x(), qRound(plot.right()));
        band->setGeometry(QRect(QPoint(dragOrigin.x(), qRound(plot.top())), QPoint(right, qRound(plot.bottom()))));
        band->show();
    } else {
        band->hide();
    }
    event->accept();
}

void TChannelChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (!dragging || event->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    dragging = false;
    band->hide();
    const QPoint at = event->position().toPoint();
    const int dx = at.x() - dragOrigin.x();
    const int dy = at.y() - dragOrigin.y();
    if (dx >= MinimumDrag && dy > 0) {
        const double from = std::max(0.0, valueAt(dragOrigin).x());
        const double to = std::min(timeMaximum, valueAt(at).x());
        if (to > from)
            setTimeRange(from, to);
    } else if (dx <= -MinimumDrag && dy < 0) {
        showFullTimeRange();
    }
    event->accept();
}

// The chart does not pan; the wheel has nothing to scroll.
void TChannelChart::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
