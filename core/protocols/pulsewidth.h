#pragma once
// Pulse-width codes: every bit is a short (0) or long (1) mark followed by a space of one length,
// first sent bit lowest, after a header. SIRC with 12, 15 and 20 bits is this family; the number of
// bits before the frame's gap tells the three apart.
#include "core/protocols/protocols.h"
#include "core/protocols/timing.h"

#include <optional>

std::optional<TProtocolCode> DecodeSircFrame(TDurationReader &reader);

// Protocol "SIRC", "SIRC15" or "SIRC20".
std::optional<TIrCode> EncodeSirc(const TProtocolCode &code);
