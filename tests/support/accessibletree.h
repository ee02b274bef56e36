#pragma once
// What an assistive technology finds: every object reachable from a widget by walking the
// accessibility interfaces' children, as an AT-SPI client walks the bus.
#include <QAccessible>
#include <QAccessibleInterface>
#include <QList>
#include <QWidget>

namespace testsupport {

struct TAccessibleNode {
    QAccessible::Role Role;
    QString Name;
    QString Description;
    QObject *Object;
};

inline void collectAccessible(QAccessibleInterface *iface, QList<TAccessibleNode> &out, int depth)
{
    // Deep enough for any window of this program; a cycle in the tree must not hang the test.
    if (!iface || depth > 32)
        return;
    out.append({iface->role(), iface->text(QAccessible::Name), iface->text(QAccessible::Description), iface->object()});
    for (int i = 0; i < iface->childCount(); ++i)
        collectAccessible(iface->child(i), out, depth + 1);
}

inline QList<TAccessibleNode> AccessibleTree(QWidget *root)
{
    QList<TAccessibleNode> out;
    collectAccessible(QAccessible::queryAccessibleInterface(root), out, 0);
    return out;
}

} // namespace testsupport
