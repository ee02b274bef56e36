#include "core/protocols/timing.h"

#include <algorithm>
#include <cstdlib>

bool IsNear(int measuredUs, int nominalUs)
{
    const int allowed = std::max(nominalUs * TolerancePercent / 100, ToleranceFloorUs);
    return std::abs(measuredUs - nominalUs) <= allowed;
}

int NearerOf(int measuredUs, int zeroUs, int oneUs)
{
    const int bit = std::abs(measuredUs - oneUs) < std::abs(measuredUs - zeroUs) ? 1 : 0;
    return IsNear(measuredUs, bit ? oneUs : zeroUs) ? bit : -1;
}

TDurationReader::TDurationReader(const std::vector<int> &durationsUs, std::size_t position)
    : Durations_(&durationsUs), Position_(position)
{
}

void TDurationReader::SetMarkStretch(int stretchUs)
{
    MarkStretchUs_ = std::clamp(stretchUs, 0, MostMarkStretchUs);
}

int TDurationReader::Next()
{
    if (AtEnd()) {
        RanOut_ = true;
        return 0;
    }
    const bool mark = NextIsMark();
    const int d = (*Durations_)[Position_++];
    return mark ? d - MarkStretchUs_ : d + MarkStretchUs_;
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

int Median(std::vector<int> values)
{
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

TFrameAhead FrameAhead(TDurationReader reader)
{
    reader.SetMarkStretch(0);
    TFrameAhead frame;
    while (!reader.AtEnd()) {
        const bool mark = reader.NextIsMark();
        const int d = reader.Next();
        if (mark) {
            frame.Marks.push_back(d);
        } else {
            if (reader.AtEnd() || d >= FrameGapUs)
                break;
            frame.Spaces.push_back(d);
        }
    }
    return frame;
}
