#pragma once
// Building a decoded-data reply from a code's durations: the frame a module sends after learning,
// so that an imported code can be emitted like a learned one. Decoding the built reply gives back
// the durations rounded to the module's 10 µs unit.
//
// Frame: FF l1 l2 FD, the durations, end mark 16. A duration of 22 to 255 units takes one byte;
// any other takes two, high × 255 + low with a high byte below 22, so 0 to 5610 units fit. The
// data length L = l1 + 255 × l2 counts the duration bytes.
#include "core/ircode.h"

#include <QByteArray>
#include <QString>

// The longest duration the two-byte form carries: 21 × 255 + 255 units (56.1 ms).
constexpr int MaxFrameDurationUnits = 5610;
// A module's reply and the command buffers hold at most this many bytes.
constexpr int MaxFrameBytes = 1000;

struct TFrameBuild {
    QByteArray Reply;       // empty when refused
    QString Error;          // why it was refused; empty when built
    int ShortenedLeadOutUs = 0; // the final space's length before it was cut to the limit; 0 if not

    bool Ok() const { return Error.isEmpty(); }
};

// Microseconds to the module's units, to the nearest unit.
int UsToModuleUnits(int us);

// Refuses an empty code, a duration that rounds to no unit or exceeds MaxFrameDurationUnits, and a
// frame longer than MaxFrameBytes, with a message naming the duration or size and the limit. A
// final space above the limit only separates repeats: it is cut to the limit and reported in
// ShortenedLeadOutUs.
TFrameBuild BuildModuleReply(const TIrCode &code);

// The log line telling that a final space was cut; empty when none was.
QString LeadOutNotice(const TFrameBuild &build);

// The bytes a code is emitted with: the module's own reply when it was learned, else the frame
// built from its durations.
TFrameBuild ReplyForCode(const TIrCode &code);
