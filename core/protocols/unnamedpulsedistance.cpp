#include "core/protocols/unnamedpulsedistance.h"

#include "core/protocols/timing.h"

#include <algorithm>

namespace {

// Fewer bits than a byte say too little to call a pulse train a code.
constexpr int LeastBits = 8;
// A header mark is clearly longer than the bit marks.
constexpr int HeaderMarkFactor = 2;
// A space of at least twice the mark is a one, when all spaces have one length.
constexpr int OneSpaceFactor = 2;
// Zeros and ones differ at least by this ratio of their spaces (tenths); jittered ones stay apart.
constexpr int SpaceSplitTenths = 15;

bool allNear(const std::vector<int> &values, int nominal)
{
    return std::all_of(values.begin(), values.end(), [nominal](int v) { return IsNear(v, nominal); });
}

} // namespace

std::optional<TProtocolCode> DecodeUnnamedPulseDistance(const std::vector<int> &d)
{
    std::vector<int> marks;
    for (std::size_t i = 0; i < d.size(); i += 2)
        marks.push_back(d[i]);
    if (int(marks.size()) <= LeastBits)
        return std::nullopt;
    const int bitMark = Median(marks);

    // Data marks and the spaces after them, frame by frame; a header may open each frame.
    std::vector<int> dataMarks, bitSpaces;
    bool frameStart = true;
    for (std::size_t i = 0; i < d.size(); i += 2) {
        const bool last = i + 1 >= d.size();
        if (frameStart && d[i] > HeaderMarkFactor * bitMark) {
            if (last)
                return std::nullopt;
            frameStart = false;
            continue;
        }
        dataMarks.push_back(d[i]);
        frameStart = last || d[i + 1] >= FrameGapUs || i + 2 >= d.size();
        if (!frameStart)
            bitSpaces.push_back(d[i + 1]);
    }
    if (int(bitSpaces.size()) < LeastBits || !allNear(dataMarks, bitMark))
        return std::nullopt;

    std::vector<int> sorted = bitSpaces;
    std::sort(sorted.begin(), sorted.end());
    int split = sorted.back() + 1; // everything a zero unless a clear step shows the ones
    for (std::size_t i = 1; i < sorted.size(); ++i) {
        if (sorted[i] * 10 >= sorted[i - 1] * SpaceSplitTenths) {
            split = sorted[i];
            break;
        }
    }
    std::vector<int> zeros(sorted.begin(), std::lower_bound(sorted.begin(), sorted.end(), split));
    std::vector<int> ones(zeros.size() + sorted.begin(), sorted.end());
    if (!zeros.empty() && !allNear(zeros, Median(zeros)))
        return std::nullopt;
    if (!ones.empty() && !allNear(ones, Median(ones)))
        return std::nullopt;
    // Spaces of a single length are zeros when they are about as long as the mark (a stretched
    // mark takes from its space), ones when clearly longer.
    if (ones.empty() && Median(zeros) >= OneSpaceFactor * bitMark)
        split = 0;

    TProtocolCode code;
    code.Protocol = QStringLiteral("Pulse distance");
    code.Bits = int(bitSpaces.size());
    code.Data = QByteArray((code.Bits + 7) / 8, '\0');
    for (int i = 0; i < code.Bits; ++i) {
        if (bitSpaces[i] >= split)
            code.Data[i / 8] = char(code.Data[i / 8] | 1 << (i % 8));
    }
    return code;
}
