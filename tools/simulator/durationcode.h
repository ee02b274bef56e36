#pragma once
// How a module writes pulse durations (units of 10 us) into its timing data: a byte of 22 or more
// is one duration; a byte below 22 is the high digit of a two-byte duration high * 255 + low.
#include <QByteArray>
#include <vector>

namespace irsim {

constexpr int MinOneByteDuration = 22;
constexpr int MaxOneByteDuration = 255;
// High digit 21 with low byte 255: 56.1 ms, the longest a module can report.
constexpr int MaxDuration = 21 * 255 + 255;

// Durations outside 0 .. MaxDuration are clamped to that range.
QByteArray EncodeDurations(const std::vector<int> &durations);

// Reads timing data back into durations. A high digit on the last byte has no low byte to go
// with it and ends the decoding.
std::vector<int> DecodeDurations(const QByteArray &data);

} // namespace irsim
