#pragma once
// Reading durations against a protocol's nominal timings. Marks are the even positions, spaces the
// odd ones, as in TIrCode.
#include <cstddef>
#include <vector>

// A captured duration matches a nominal one within 25 %, but never tighter than 150 µs: receivers
// stretch marks and shorten spaces by about that much, which matters most for short pulses.
constexpr int TolerancePercent = 25;
constexpr int ToleranceFloorUs = 150;
// A space at least this long ends a frame; no protocol here has a space this long inside a frame
// apart from a header space after its header mark.
constexpr int FrameGapUs = 4000;

bool IsNear(int measuredUs, int nominalUs);

// A cursor over a code's durations that remembers whether a decoder wanted more than there was,
// which tells a frame cut short by the end of the capture from one that does not fit.
class TDurationReader {
public:
    explicit TDurationReader(const std::vector<int> &durationsUs, std::size_t position = 0);

    bool AtEnd() const { return Position_ >= Durations_->size(); }
    bool RanOut() const { return RanOut_; }
    // Keeps what a failed reading on a copy of this reader learned about the code's end.
    void NoteRanOut() { RanOut_ = true; }
    std::size_t Position() const { return Position_; }
    bool NextIsMark() const { return Position_ % 2 == 0; }
    // The next duration, or 0 (and RanOut) past the end.
    int Next();
    // Reads the next duration and tells whether it matches nominalUs.
    bool NextNear(int nominalUs);
    // After a frame's last mark: the end of the code, or a space of at least FrameGapUs (consumed).
    // A final space of any length also ends the code, since the capture stopped there.
    bool FrameEnds();

private:
    const std::vector<int> *Durations_;
    std::size_t Position_;
    bool RanOut_ = false;
};
