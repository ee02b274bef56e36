#include "tools/simulator/durationcode.h"

#include <algorithm>

namespace irsim {

QByteArray EncodeDurations(const std::vector<int> &durations)
{
    QByteArray data;
    data.reserve(static_cast<qsizetype>(durations.size()) * 2);
    for (int d : durations) {
        d = std::clamp(d, 0, MaxDuration);
        if (d >= MinOneByteDuration && d <= MaxOneByteDuration) {
            data.append(static_cast<char>(d));
            continue;
        }
        const int high = std::min(d / 255, MinOneByteDuration - 1);
        data.append(static_cast<char>(high));
        data.append(static_cast<char>(d - high * 255));
    }
    return data;
}

std::vector<int> DecodeDurations(const QByteArray &data)
{
    std::vector<int> durations;
    for (qsizetype p = 0; p < data.size(); ++p) {
        int v = static_cast<quint8>(data[p]);
        if (v < MinOneByteDuration) {
            if (p + 1 >= data.size())
                break;
            v = v * 255 + static_cast<quint8>(data[++p]);
        }
        durations.push_back(v);
    }
    return durations;
}

} // namespace irsim
