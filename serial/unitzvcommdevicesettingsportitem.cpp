#include "serial/unitzvcommdevicesettingsportitem.h"

#include <QPainter>

#include <algorithm>

namespace PelmComm {

void TPortItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!index.isValid())
        return;
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor back = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    const QColor fore = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->fillRect(r, back);
    painter->setFont(option.font);
    painter->setPen(fore);

    const QString name = index.data(Qt::DisplayRole).toString();
    const QRect nameRect(QPoint(r.left() + 2, r.top()), QPoint(r.right() - 1, r.bottom()));
    const int nameWidth = option.fontMetrics.horizontalAdvance(name);
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);

    const int x = r.left() + 2 + std::max(nameWidth, MinNameWidth) + 1;
    painter->setPen(QColor((back.red() + fore.red()) / 2, (back.green() + fore.green()) / 2,
                           (back.blue() + fore.blue()) / 2));
    painter->drawLine(x, r.top(), x, r.bottom());
    painter->setPen(fore);

    if (index.row() < FPorts.SPCount()) {
        const QString description = QString::fromStdString(FPorts.SPInfo(index.row())->FriendlyName);
        const QRect descriptionRect(QPoint(x + 3, r.top()), QPoint(r.right() - 1, r.bottom()));
        painter->drawText(descriptionRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, description);
    }
    painter->restore();
}

QSize TPortItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), FItemHeight};
}

} // namespace PelmComm
