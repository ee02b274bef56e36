#pragma once
// The chart as the user sees it, with its channel rows and marks, saved as a picture: PNG pixel
// for pixel, SVG as drawing. The file is replaced whole or not at all. Each returns an empty
// text on success, else the reason for the user.
#include <QString>

class TChannelChart;

QString SaveChartPng(TChannelChart *chart, const QString &path);
QString SaveChartSvg(TChannelChart *chart, const QString &path);
