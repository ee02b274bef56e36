#pragma once
// A remote-control code as its user knows it: alternating mark and space durations in
// microseconds, a mark first, the carrier when it is known, and the module's reply it was learned
// from. Every part that handles codes (library, formats, protocols, the window, the command line)
// passes this one shape around.
#include <QByteArray>

#include <vector>

// The module counts durations in units of 10 µs.
constexpr int ModuleUnitUs = 10;

struct TIrCode {
    std::vector<int> DurationsUs; // mark, space, mark, ...; all positive
    int CarrierHz = 0;            // 0 when unknown
    QByteArray ModuleReply;       // the decoded-data reply as received; empty for imported codes
};

// The durations a decoded-data reply carries, in µs, without the end mark and the drawing tail
// that the reply decoding adds at the end.
std::vector<int> ReplyDurationsUs(const QByteArray &reply);

// A learned code: the reply's durations and the reply itself.
TIrCode CodeFromReply(const QByteArray &reply);
