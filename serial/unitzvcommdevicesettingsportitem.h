#pragma once
// Draws an entry of the port list: the port's name, a thin divider, then the port's description.
#include "serial/pelmenumserial.h"

#include <QStyledItemDelegate>

namespace PelmComm {

class TPortItemDelegate : public QStyledItemDelegate {
public:
    TPortItemDelegate(const TPelmSerialPortList &ports, int itemHeight, QObject *parent)
        : QStyledItemDelegate(parent), FPorts(ports), FItemHeight(itemHeight)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Names narrower than this still get their description at the same column.
    static constexpr int MinNameWidth = 55;

private:
    const TPelmSerialPortList &FPorts;
    int FItemHeight;
};

} // namespace PelmComm
