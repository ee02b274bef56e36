#include "core/stepclip.h"

#include <algorithm>

QList<QPointF> ClipSteps(const QList<QPointF> &points, double from, double to)
{
    QList<QPointF> out;
    const auto clamp = [from, to](QPointF p) { return QPointF(std::clamp(p.x(), from, to), p.y()); };
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const QPointF a = points[i];
        const QPointF b = points[i + 1];
        if (b.x() < from || a.x() > to)
            continue;
        // An upright segment on an edge belongs to the range only where it stands inside it.
        if (a.x() == b.x() && (a.x() < from || a.x() > to))
            continue;
        // A level that only touches the range leaves nothing to draw.
        if (a.y() == b.y() && clamp(a) == clamp(b))
            continue;
        if (out.isEmpty() || out.last() != clamp(a))
            out.append(clamp(a));
        out.append(clamp(b));
    }
    return out;
}
