#include "core/protocols/timing.h"

#include <algorithm>
#include <cstdlib>

bool IsNear(int measuredUs, int nominalUs)
{
    const int allowed = std::max(nominalUs * TolerancePercent / 100, ToleranceFloorUs);
    return std::abs(measuredUs - nominalUs) <= allowed;
}

TDurationReader::TDurationReader(const std::vector<int> &durationsUs, std::size_t position)
    : Durations_(&durationsUs), Position_(position)
{
}

int TDurationReader::Next()
{
    if (AtEnd()) {
        RanOut_ = true;
        return 0;
    }
    return (*Durations_)[Position_++];
}

bool TDurationReader::NextNear(int nominalUs)
{
    return IsNear(Next(), nominalUs);
}

bool TDurationReader::FrameEnds()
{
    if (AtEnd())
        return true;
    const int space = Next();
    return AtEnd() || space >= FrameGapUs;
}
