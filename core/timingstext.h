#pragma once
// A code's durations as plain text: microseconds in decimal, mark first, separated by blanks
// ("9000 4500 560 560"), for a report or another tool.
#include <QString>

#include <vector>

QString DurationsText(const std::vector<int> &durationsUs);
