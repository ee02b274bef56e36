#include "app/channelchart.h"
#include "support/uiwait.h"

#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <set>

namespace {

class ChannelChartTest : public ::testing::Test {
protected:
    ChannelChartTest()
    {
        chart.resize(1057, 250);
        chart.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }

    // Two durations so that a channel counts as loaded.
    void load(int channel)
    {
        chart.SetChannelCode(channel, QString("FF 0A 00 FD %1 ").arg(channel));
        chart.DrawDurations(channel, {100, 200});
    }

    TChannelChart chart;
};

TEST_F(ChannelChartTest, StartsEmptyOnChannelOneWithTheTimeAxisAtThousand)
{
    EXPECT_EQ(chart.SelectedChannel(), 1);
    EXPECT_TRUE(chart.RadioButton1->isChecked());
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(chart.Series(c)->count(), 0);
        EXPECT_TRUE(chart.ChannelCode(c).isEmpty());
    }
    EXPECT_EQ(chart.BottomAxis->min(), 0);
    EXPECT_EQ(chart.BottomAxis->max(), 1000);
    EXPECT_EQ(chart.LeftAxis->min(), 0);
    EXPECT_EQ(chart.LeftAxis->max(), 9);
    EXPECT_FALSE(chart.LeftAxis->isVisible());
    EXPECT_TRUE(chart.BottomAxis->isVisible());
    EXPECT_FALSE(chart.chart()->legend()->isVisible());
}

TEST_F(ChannelChartTest, DrawsAStepWaveformAtTheChannelsLevels)
{
    chart.DrawDurations(2, {900, 450, 56});
    const QList<QPointF> expected = {{0, 3}, {900, 3}, {900, 4}, {1350, 4}, {1350, 3}, {1406, 3}};
    EXPECT_EQ(chart.Series2->points(), expected);

    chart.DrawDurations(4, {10});
    EXPECT_EQ(chart.Series4->points(), (QList<QPointF>{{0, 7}, {10, 7}}));
    chart.DrawDurations(1, {10, 20});
    EXPECT_EQ(chart.Series1->points(), (QList<QPointF>{{0, 1}, {10, 1}, {10, 2}, {30, 2}}));

    // A second code replaces the first.
    chart.DrawDurations(2, {5});
    EXPECT_EQ(chart.Series2->points(), (QList<QPointF>{{0, 3}, {5, 3}}));
}

TEST_F(ChannelChartTest, TimeAxisGrowsWithTheLargestTotalAndNeverShrinks)
{
    chart.OfferTotal(1000);
    EXPECT_EQ(chart.BottomAxis->max(), 1000);
    chart.OfferTotal(1912);
    EXPECT_EQ(chart.BottomAxis->max(), 2412);
    EXPECT_EQ(chart.LargestTotal(), 1912);
    chart.OfferTotal(800);
    EXPECT_EQ(chart.BottomAxis->max(), 2412);
    load(1);
    chart.Image9Click();
    EXPECT_EQ(chart.BottomAxis->max(), 2412);
    EXPECT_EQ(chart.BottomAxis->min(), 0);
}

TEST_F(ChannelChartTest, EachClearIconEmptiesOnlyItsChannel)
{
    for (int cleared = 1; cleared <= 4; ++cleared) {
        for (int c = 1; c <= 4; ++c)
            load(c);
        chart.OfferTotal(3000);
        // Pressed from the keyboard: the icons are reachable without a mouse.
        chart.ClearIcon(cleared)->setFocus();
        QTest::keyClick(chart.ClearIcon(cleared), Qt::Key_Space);
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(chart.Series(c)->count(), c == cleared ? 0 : 4) << cleared << " " << c;
            EXPECT_EQ(chart.ChannelCode(c).isEmpty(), c == cleared) << cleared << " " << c;
        }
        EXPECT_EQ(chart.BottomAxis->max(), 3500);
    }
    EXPECT_EQ(chart.Image9, chart.ClearIcon(1));
    EXPECT_EQ(chart.Image8, chart.ClearIcon(2));
    EXPECT_EQ(chart.Image7, chart.ClearIcon(3));
    EXPECT_EQ(chart.Image3, chart.ClearIcon(4));
}

TEST_F(ChannelChartTest, RowsSitInTheRightMarginBesideTheirTracesChannelFourOnTop)
{
    const QRectF plot = chart.chart()->plotArea();
    int previousTop = -1;
    for (int c = 4; c >= 1; --c) {
        QWidget *row[] = {chart.RadioButton(c), chart.EmitButton(c), chart.ClearIcon(c)};
        const QPointF levelMiddle = chart.chart()->mapToPosition(QPointF(0, 2 * c - 0.5), chart.Series(c));
        for (QWidget *w : row) {
            EXPECT_TRUE(w->isVisible());
            EXPECT_GE(w->x(), plot.right());
            EXPECT_LE(w->geometry().right(), chart.width());
            EXPECT_NEAR(w->geometry().center().y(), levelMiddle.y(), 3) << c;
        }
        EXPECT_LT(row[0]->geometry().right(), row[1]->x());
        EXPECT_LT(row[1]->geometry().right(), row[2]->x());
        EXPECT_GT(row[0]->y(), previousTop);
        previousTop = row[0]->y();
    }
}

TEST_F(ChannelChartTest, RowControlsCarryTheirCaptionsAndNamesAndTakeTheKeyboard)
{
    std::set<QString> names;
    for (int c = 1; c <= 4; ++c) {
        EXPECT_EQ(chart.RadioButton(c)->text(), QString::fromUtf8("%1 通道").arg(c));
        EXPECT_EQ(chart.EmitButton(c)->text(), QString::fromUtf8("发"));
        EXPECT_EQ(chart.ClearIcon(c)->toolTip(), QString::fromUtf8("清除 %1 通道波形").arg(c));
        EXPECT_EQ(chart.ClearIcon(c)->accessibleName(), chart.ClearIcon(c)->toolTip());
        names.insert(chart.EmitButton(c)->accessibleName());
        EXPECT_TRUE(chart.EmitButton(c)->focusPolicy() & Qt::TabFocus);
        EXPECT_TRUE(chart.ClearIcon(c)->focusPolicy() & Qt::TabFocus);
    }
    EXPECT_EQ(names.size(), 4u) << "each emit button is told apart by its name";
    EXPECT_EQ(chart.Button4, chart.EmitButton(1));
    EXPECT_EQ(chart.Button5, chart.EmitButton(2));
    EXPECT_EQ(chart.Button3, chart.EmitButton(3));
    EXPECT_EQ(chart.Button2, chart.EmitButton(4));
}

// Tab reaches the group of radio buttons; the arrow keys move the selection between the rows.
TEST_F(ChannelChartTest, TheKeyboardMovesTheSelectionBetweenRows)
{
    int tabStops = 0;
    for (int c = 1; c <= 4; ++c)
        tabStops += (chart.RadioButton(c)->focusPolicy() & Qt::TabFocus) ? 1 : 0;
    EXPECT_EQ(tabStops, 1);
    chart.RadioButton1->setFocus();
    QTest::keyClick(chart.RadioButton1, Qt::Key_Up);
    EXPECT_EQ(chart.SelectedChannel(), 2);
    QTest::keyClick(chart.RadioButton2, Qt::Key_Up);
    EXPECT_EQ(chart.SelectedChannel(), 3);
    QTest::keyClick(chart.RadioButton3, Qt::Key_Down);
    EXPECT_EQ(chart.SelectedChannel(), 2);
}

TEST_F(ChannelChartTest, ExactlyOneChannelIsSelected)
{
    testsupport::Click(chart.RadioButton3);
    EXPECT_EQ(chart.SelectedChannel(), 3);
    EXPECT_FALSE(chart.RadioButton1->isChecked());
    testsupport::Click(chart.RadioButton4);
    testsupport::Click(chart.RadioButton4);
    EXPECT_EQ(chart.SelectedChannel(), 4);
    EXPECT_FALSE(chart.RadioButton3->isChecked());
}

class ChartZoomTest : public ChannelChartTest {
protected:
    QPoint at(double fractionX, double fractionY) const
    {
        const QRectF plot = chart.chart()->plotArea();
        return QPointF(plot.left() + fractionX * plot.width(), plot.top() + fractionY * plot.height()).toPoint();
    }

    void drag(QPoint from, QPoint to)
    {
        QWidget *surface = chart.viewport();
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        QTest::mouseMove(surface, (from + to) / 2);
        QTest::mouseMove(surface, to);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    }

    double tolerance() const { return 2 * (chart.BottomAxis->max() - chart.BottomAxis->min()) / chart.chart()->plotArea().width(); }
};

TEST_F(ChartZoomTest, DragTowardLowerRightZoomsTimeOnlyAndUpperLeftReturnsToFullRange)
{
    chart.OfferTotal(1500);
    const double tol = tolerance();
    drag(at(0.25, 0.2), at(0.5, 0.8));
    EXPECT_NEAR(chart.BottomAxis->min(), 500, tol);
    EXPECT_NEAR(chart.BottomAxis->max(), 1000, tol);
    EXPECT_EQ(chart.LeftAxis->min(), 0);
    EXPECT_EQ(chart.LeftAxis->max(), 9);

    // A zoomed view is zoomed again within its own range.
    drag(at(0.5, 0.3), at(1.0, 0.6));
    EXPECT_NEAR(chart.BottomAxis->min(), 750, 2 * tol);
    EXPECT_NEAR(chart.BottomAxis->max(), 1000, 2 * tol);

    drag(at(0.8, 0.8), at(0.3, 0.2));
    EXPECT_EQ(chart.BottomAxis->min(), 0);
    EXPECT_EQ(chart.BottomAxis->max(), 2000);
}

TEST_F(ChartZoomTest, ClicksOtherDragsAndTheWheelLeaveTheRangeAlone)
{
    QWidget *surface = chart.viewport();
    QTest::mouseClick(surface, Qt::LeftButton, {}, at(0.5, 0.5));
    drag(at(0.6, 0.2), at(0.3, 0.8)); // toward the lower left
    drag(at(0.3, 0.8), at(0.6, 0.2)); // toward the upper right
    QWheelEvent wheel(at(0.5, 0.5), chart.mapToGlobal(at(0.5, 0.5)), {}, {0, 120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(surface, &wheel);
    EXPECT_EQ(chart.BottomAxis->min(), 0);
    EXPECT_EQ(chart.BottomAxis->max(), 1000);
    EXPECT_EQ(chart.LeftAxis->min(), 0);
    EXPECT_EQ(chart.LeftAxis->max(), 9);
}

TEST_F(ChartZoomTest, GrowingTheAxisShowsTheWholeNewRange)
{
    drag(at(0.25, 0.2), at(0.5, 0.8));
    chart.OfferTotal(4000);
    EXPECT_EQ(chart.BottomAxis->min(), 0);
    EXPECT_EQ(chart.BottomAxis->max(), 4500);
}

} // namespace
