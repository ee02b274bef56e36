// The channel rows as an assistive technology finds them: walked from the main window, every
// radio button, emit button and clear icon is there with its role and a name that tells the
// channel.
#include "windowfixture.h"

#include "support/accessibletree.h"

#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QValueAxis>

#include <algorithm>

namespace {

using testsupport::AccessibleTree;
using testsupport::TAccessibleNode;

TEST_F(LearnWindowTest, EveryChannelControlIsFoundByRoleAndNameFromTheWindow)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QList<TAccessibleNode> tree = AccessibleTree(&form);
    TChannelChart *chart = form.Chart1;
    for (int c = 1; c <= 4; ++c) {
        const struct {
            QAccessible::Role role;
            QString name;
            QWidget *widget;
        } expected[] = {
            {QAccessible::RadioButton, u8("%1 通道").arg(c), chart->RadioButton(c)},
            {QAccessible::Button, u8("发射 %1 通道").arg(c), chart->EmitButton(c)},
            {QAccessible::Button, u8("清除 %1 通道波形").arg(c), chart->ClearIcon(c)},
        };
        for (const auto &e : expected) {
            const auto found = std::find_if(tree.begin(), tree.end(), [&](const TAccessibleNode &n) {
                return n.Role == e.role && n.Name == e.name;
            });
            ASSERT_NE(found, tree.end()) << e.name.toStdString();
            EXPECT_EQ(found->Object, e.widget) << e.name.toStdString();
            EXPECT_EQ(std::count_if(tree.begin(), tree.end(), [&](const TAccessibleNode &n) { return n.Name == e.name; }), 1)
                << e.name.toStdString() << " is told apart from every other object";
        }
    }
}

// The chart's numbers are the module's 10 µs units: the axis title says so on screen, and since a
// title drawn inside the chart is not on the accessibility tree, the chart's description says it too.
TEST_F(LearnWindowTest, TheTimeUnitIsOnTheAxisAndInTheChartsDescription)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.Chart1->BottomAxis->isTitleVisible());
    EXPECT_EQ(form.Chart1->BottomAxis->titleText(), u8("时间（×10 微秒）"));
    const QList<TAccessibleNode> tree = AccessibleTree(&form);
    const auto chart = std::find_if(tree.begin(), tree.end(), [](const TAccessibleNode &n) { return n.Name == u8("波形图"); });
    ASSERT_NE(chart, tree.end());
    EXPECT_EQ(chart->Object, form.Chart1);
    EXPECT_TRUE(chart->Description.contains(u8("10 微秒"))) << chart->Description.toStdString();
}

// The interface's screen rectangle is where a screen reader's pointer and magnifier go: it must
// lie on the control's own place on the screen (a radio button reports its clickable part).
TEST_F(LearnWindowTest, ChannelControlsReportWhereTheyAreDrawn)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int c = 1; c <= 4; ++c) {
        for (QWidget *w : {static_cast<QWidget *>(form.Chart1->RadioButton(c)),
                           static_cast<QWidget *>(form.Chart1->EmitButton(c)),
                           static_cast<QWidget *>(form.Chart1->ClearIcon(c))}) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(iface, nullptr);
            EXPECT_FALSE(iface->rect().isEmpty());
            EXPECT_TRUE(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).contains(iface->rect()));
            EXPECT_FALSE(iface->state().invisible);
            EXPECT_TRUE(iface->state().focusable);
            // Up the tree from the control leads back to the window.
            QAccessibleInterface *up = iface;
            int steps = 0;
            while (up && up->object() != &form && steps++ < 32)
                up = up->parent();
            ASSERT_NE(up, nullptr);
            EXPECT_EQ(up->object(), &form);
        }
    }
}

} // namespace
