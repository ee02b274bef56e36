#pragma once
// Biphase (Manchester) codes: every bit is two halves of opposite level, so a bit's value is the
// direction of the change in its middle, and equal halves of neighbouring bits merge into one
// duration of two half-bits. RC5 (and its extended form RC5X) and RC6 mode 0 are this family.
#include "core/protocols/protocols.h"
#include "core/protocols/timing.h"

#include <optional>

std::optional<TProtocolCode> DecodeRc5Frame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeRc6Frame(TDurationReader &reader);

// Protocol "RC5" (command 0..63) or "RC5X" (command 64..127); the toggle bit is 0.
std::optional<TIrCode> EncodeRc5(const TProtocolCode &code);
// RC6 mode 0, toggle 0.
std::optional<TIrCode> EncodeRc6(const TProtocolCode &code);
