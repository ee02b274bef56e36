#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace icons {

namespace {

QPixmap canvas(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap plug(int size, const QColor &color, bool joined)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(150), size / 16.0));
    p.setBrush(color);
    const double s = size;
    const double gap = joined ? 0 : s * 0.12;
    p.drawRoundedRect(QRectF(s * 0.08, s * 0.3, s * 0.34 - gap / 2, s * 0.4), 3, 3);
    p.drawRoundedRect(QRectF(s * 0.58 + gap / 2, s * 0.3, s * 0.34 - gap / 2, s * 0.4), 3, 3);
    p.drawLine(QPointF(s * 0.42 - gap / 2, s * 0.42), QPointF(s * 0.58 + gap / 2 - (joined ? 0 : gap), s * 0.42));
    p.drawLine(QPointF(s * 0.42 - gap / 2, s * 0.58), QPointF(s * 0.58 + gap / 2 - (joined ? 0 : gap), s * 0.58));
    return pm;
}

} // namespace

QPixmap LinkDown(int size)
{
    return plug(size, QColor(160, 160, 160), false);
}

QPixmap LinkUp(int size)
{
    return plug(size, QColor(40, 170, 60), true);
}

QPixmap Exit(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(200, 40, 40), s / 8.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(s * 0.18, s * 0.2, s * 0.64, s * 0.64), 120 * 16, 300 * 16);
    p.drawLine(QPointF(s * 0.5, s * 0.1), QPointF(s * 0.5, s * 0.48));
    return pm;
}

QPixmap Infrared(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(60, 60, 60), s / 20.0));
    p.setBrush(QColor(70, 70, 80));
    p.drawRoundedRect(QRectF(s * 0.05, s * 0.35, s * 0.4, s * 0.3), 2, 2);
    p.setBrush(QColor(220, 30, 30));
    p.drawEllipse(QPointF(s * 0.45, s * 0.5), s * 0.07, s * 0.07);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 30, 30), s / 18.0));
    for (int k = 1; k <= 3; ++k) {
        const double r = s * 0.12 * k;
        p.drawArc(QRectF(s * 0.45 - r, s * 0.5 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    return pm;
}

QPixmap Learn(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(200, 20, 20), s / 10.0));
    QPainterPath wave;
    wave.moveTo(s * 0.05, s * 0.7);
    wave.lineTo(s * 0.25, s * 0.7);
    wave.lineTo(s * 0.25, s * 0.3);
    wave.lineTo(s * 0.5, s * 0.3);
    wave.lineTo(s * 0.5, s * 0.7);
    wave.lineTo(s * 0.65, s * 0.7);
    wave.lineTo(s * 0.65, s * 0.3);
    wave.lineTo(s * 0.95, s * 0.3);
    p.drawPath(wave);
    return pm;
}

QPixmap Bracket(int height)
{
    QPixmap pm(14, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(220, 0, 0), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPolyline(QPolygon({QPoint(2, 2), QPoint(11, 2), QPoint(11, height - 3), QPoint(2, height - 3)}));
    return pm;
}

QPixmap LampOff(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(50, 50, 50), size / 7.0));
    p.drawEllipse(QRectF(size * 0.15, size * 0.15, size * 0.7, size * 0.7));
    return pm;
}

QPixmap LampOn(int size)
{
    QPixmap pm = LampOff(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 0, 0));
    p.drawEllipse(QRectF(size * 0.25, size * 0.25, size * 0.5, size * 0.5));
    return pm;
}

QPixmap ClearTrace(int size)
{
    QPixmap pm = canvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(QPen(QColor(90, 90, 90), s / 14.0));
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(QRectF(s * 0.12, s * 0.18, s * 0.76, s * 0.64));
    p.setPen(QPen(QColor(200, 30, 30), s / 8.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.3, s * 0.32), QPointF(s * 0.7, s * 0.68));
    p.drawLine(QPointF(s * 0.7, s * 0.32), QPointF(s * 0.3, s * 0.68));
    return pm;
}

} // namespace icons
