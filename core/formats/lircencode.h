#pragma once
// A button of a "begin codes" remote as the marks and spaces LIRC sends for one press of it, to the
// microsecond: header, lead, pre_data with pre, the button's bits, post with post_data, trail and
// foot, every bit after the remote's encoding (pulse-space, space-first or biphase with RC-6's double
// bits), a mark first, marks and spaces that meet merged, and the gap LIRC then waits (for
// CONST_LENGTH what is left of it) as the final space. A press is the code once: LIRC's simulated
// sending (irsimsend) sends no repeat frames, and min_repeat, repeat and repeat_gap only shape what
// follows while a button is held.
//
// The toggle bit: LIRC flips a remote's toggle state before each press and starts from a state it
// derives from the first button, so that the first press of a single toggle bit sends it set; the
// code is that first press. A toggle_mask is applied only from the second frame of a press on, so
// never to one press.
#include "core/formats/lircremote.h"

#include <QString>

#include <optional>
#include <vector>

// The first press of the button with this code. The remote must have passed FinishLircRemote
// without a problem. Empty optional on success; else why LIRC would not send it.
std::optional<QString> EncodeLircPress(const TLircRemote &remote, uint64_t code, std::vector<int> &durationsUs);
