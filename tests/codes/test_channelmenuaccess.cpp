// The channel's context menu as an assistive technology finds it: walked from the main window while
// the menu is open, the menu and each of its items are there with their roles and names.
#include "codeswindowfixture.h"

#include "support/accessibletree.h"

#include <QContextMenuEvent>
#include <QRadioButton>

#include <algorithm>

namespace {

using testsupport::TAccessibleNode;

TEST_F(CodesWindowTest, OpenChannelMenuIsFoundWithItsItemsFromTheWindow)
{
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    for (int c = 1; c <= 4; ++c) {
        for (QWidget *control : {static_cast<QWidget *>(form->Chart1->RadioButton(c)),
                                 static_cast<QWidget *>(form->Chart1->EmitButton(c))}) {
            SCOPED_TRACE(control->accessibleName().isEmpty() ? control->objectName().toStdString()
                                                             : control->accessibleName().toStdString());
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(control, &event);
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, Patience));
            QWidget *popup = QApplication::activePopupWidget();

            const QList<TAccessibleNode> tree = testsupport::AccessibleTree(form.get());
            auto find = [&](QObject *object) {
                return std::find_if(tree.begin(), tree.end(), [&](const TAccessibleNode &n) { return n.Object == object; });
            };
            const auto menu = find(popup);
            ASSERT_NE(menu, tree.end()) << "the open menu is reachable from the window";
            EXPECT_EQ(menu->Role, QAccessible::PopupMenu);
            EXPECT_EQ(menu->Name, u8("%1 通道编码").arg(c));
            ASSERT_EQ(popup->actions().size(), 4);
            for (QAction *item : popup->actions()) {
                const auto node = find(item);
                ASSERT_NE(node, tree.end()) << item->text().toStdString();
                EXPECT_EQ(node->Role, QAccessible::MenuItem);
                EXPECT_EQ(node->Name, item->text());
            }
            popup->close();
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }, Patience));
        }
    }
}

} // namespace
