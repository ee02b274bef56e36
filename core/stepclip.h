#pragma once
// The part of a step waveform (points in ascending time, each segment level or upright) that lies
// in a time range, ends cut at the range's edges. For drawing surfaces that cannot clip.
#include <QList>
#include <QPointF>

QList<QPointF> ClipSteps(const QList<QPointF> &points, double from, double to);
