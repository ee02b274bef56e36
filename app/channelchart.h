#pragma once
// The four-channel waveform chart with its channel store: one learned code per channel, drawn as a
// step waveform, and per channel a row of controls in the chart's right margin (select, emit,
// clear). The time axis counts the module's 10 µs units and says so in its title and in the
// chart's accessible description. Dragging over the plot toward the lower right zooms the time
// axis to the dragged range, toward the upper left it returns to the full range; the level axis
// never moves.
#include <QChartView>

#include <array>
#include <vector>

class QButtonGroup;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QRubberBand;
class QScatterSeries;
class QToolButton;
class QValueAxis;

class TChannelChart : public QChartView {
    Q_OBJECT
public:
    static constexpr int ChannelCount = 4;
    static constexpr int StartTotal = 1000;
    static constexpr int AxisHeadroom = 500;
    static constexpr double LevelMinimum = 0;
    static constexpr double LevelMaximum = 9;

    explicit TChannelChart(QWidget *parent = nullptr);

    // Controls and series, named as the window's design names them (channel in the comment).
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3, *RadioButton4; // 1, 2, 3, 4
    QPushButton *Button4, *Button5, *Button3, *Button2;                       // 1, 2, 3, 4
    QToolButton *Image9, *Image8, *Image7, *Image3;                           // 1, 2, 3, 4
    QLineSeries *Series1, *Series2, *Series3, *Series4;                       // 1, 2, 3, 4
    QValueAxis *BottomAxis, *LeftAxis;

    QRadioButton *RadioButton(int channel) const;
    QPushButton *EmitButton(int channel) const;
    QToolButton *ClearIcon(int channel) const;
    QLineSeries *Series(int channel) const;

    // The channel whose radio button is on; exactly one always is.
    int SelectedChannel() const;

    QString ChannelCode(int channel) const;
    void SetChannelCode(int channel, const QString &code);
    // Trace and code: the channel becomes empty.
    void ClearChannel(int channel);
    // Replaces the trace with a step waveform from time 0 at the channel's lower level, changing
    // level after each duration.
    void DrawDurations(int channel, const std::vector<int> &durations);
    // Grows the time axis when the total is the largest so far; it never shrinks.
    void OfferTotal(int total);
    int LargestTotal() const { return largestTotal; }
    // What the channel's code is, for its row: the radio button's tooltip and the row's accessible
    // description. Empty removes it; clearing the channel does too.
    void SetChannelHint(int channel, const QString &hint);
    QString ChannelHint(int channel) const;
    // Marks durations of the channel's trace (positions from 0, as drawn) with a square in the
    // middle of each, as a comparison found them. Drawing or clearing the channel removes them.
    void MarkDurations(int channel, const std::vector<int> &positions);
    void ClearMarks();
    QScatterSeries *Marks(int channel) const;
    void ResetLevelAxis();

    void Image9Click();
    void Image8Click();
    void Image7Click();
    void Image3Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    struct TRow {
        QRadioButton *radio;
        QPushButton *emitButton;
        QToolButton *clear;
        QLineSeries *series;
        QScatterSeries *marks;
    };

    void createChart();
    void createRows();
    void retranslateUi();
    void placeRows();
    void showFullTimeRange();
    void setTimeRange(double min, double max);
    QPointF valueAt(const QPoint &viewPoint) const;
    const TRow &row(int channel) const;

    std::array<TRow, ChannelCount> rows{};
    std::array<QString, ChannelCount> codes;
    QButtonGroup *selection;
    QRubberBand *band;
    QPoint dragOrigin;
    bool dragging = false;
    int largestTotal = StartTotal;
    double timeMaximum = StartTotal;
};
