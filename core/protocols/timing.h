#pragma once
// Reading durations against a protocol's nominal timings. Marks are the even positions, spaces the
// odd ones, as in TIrCode.
#include <cstddef>
#include <vector>

// A captured duration matches a nominal one within 25 %, but never tighter than 250 µs: receivers
// stretch marks and shorten spaces by up to about 150 µs, on top of the jitter, which matters most
// for short pulses.
constexpr int TolerancePercent = 25;
constexpr int ToleranceFloorUs = 250;
// Receivers lengthen marks (and shorten spaces) by up to this much; they do not shorten marks.
constexpr int MostMarkStretchUs = 250;
// A space at least this long ends a frame; no protocol here has a space this long inside a frame
// apart from a header space after its header mark.
constexpr int FrameGapUs = 4000;

bool IsNear(int measuredUs, int nominalUs);
// 0 or 1 for the nominal value the measured one is nearer to, when it is near that one; else -1.
int NearerOf(int measuredUs, int zeroUs, int oneUs);

int Median(std::vector<int> values); // of at least one value

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
    // From now on marks read this much shorter and spaces this much longer, undoing a receiver's
    // stretch of the marks; limited to what receivers do (MarkStretchRange), so that an estimate
    // from a train of another protocol cannot bend it into shape.
    void SetMarkStretch(int stretchUs);
    // Reads the next duration and tells whether it matches nominalUs.
    bool NextNear(int nominalUs);
    // After a frame's last mark: the end of the code, or a space of at least FrameGapUs (consumed).
    // A final space of any length also ends the code, since the capture stopped there.
    bool FrameEnds();

private:
    const std::vector<int> *Durations_;
    std::size_t Position_;
    int MarkStretchUs_ = 0;
    bool RanOut_ = false;
};

// The marks and the spaces of the frame that starts at the reader's position, up to its gap.
struct TFrameAhead {
    std::vector<int> Marks, Spaces;
};
TFrameAhead FrameAhead(TDurationReader reader);
