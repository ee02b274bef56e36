#pragma once
// Blasters send a code with a repeat count: the whole sequence once, then its tail again for every
// further send. The library keeps what the air carries, the sequence with its repeats written out,
// so that every other format and the module send the same; a blaster format finds the shape again
// when it writes the code.
#include <cstddef>
#include <vector>

struct TRepeatShape {
    size_t Once = 0;  // durations sent only the first time
    size_t Block = 0; // durations sent on every send, after Once
    int Copies = 1;   // sends of Block in all
};

// The shape with the most copies of a block (the shorter block when equal), up to maxCopies. A
// block starts with a mark and ends with a space, so a code ending with a mark has no repeats.
// wholeOnly: the block is the whole sequence (Once is 0).
TRepeatShape FindRepeatShape(const std::vector<int> &durations, int maxCopies, bool wholeOnly);

// durations, then the durations from repeatFrom on, copies - 1 times more.
std::vector<int> RepeatTail(const std::vector<int> &durations, size_t repeatFrom, int copies);
