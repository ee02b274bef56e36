#pragma once
// Pulse-distance codes of no named protocol, such as the long codes of air conditioners: marks of
// one length, short and long spaces as 0 and 1, optional headers, one or more frames. The whole code
// is read as one bit string (first sent bit lowest in each byte); it is named "Pulse distance".
#include "core/protocols/protocols.h"

#include <optional>
#include <vector>

std::optional<TProtocolCode> DecodeUnnamedPulseDistance(const std::vector<int> &durationsUs);
