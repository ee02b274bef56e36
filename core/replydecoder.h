#pragma once
// What a module's reply is, judged on its bytes alone, and the pulse durations a decoded-data reply
// carries. Durations are in units of 10 µs.
#include <QByteArray>

#include <vector>

enum TReplyKind { rkConfigDone, rkEmitDone, rkDecodeTimeout, rkDecodedData, rkUnknown };

constexpr unsigned char ReplyStart = 0xFF;
constexpr unsigned char EndMark = 0x16;
// Keeps the final level of a trace visible for 5 ms.
constexpr int TailUnits = 500;

// The first matching kind wins, so FF 00 00 FD is an emission, never a time-out. A low length
// digit below 10 means a time-out unless the high digit is 1 or more and the end mark stands at
// 4 + L: then it is a long learned code.
TReplyKind ClassifyReply(const QByteArray &reply);

struct TDecodedDurations {
    std::vector<int> Durations; // the last one carries the tail
    int Total = 0;              // sum of the durations before the end mark (all minus 22 + tail)
};

// Decodes everything from offset 4 to the reply's end, the end mark and any bytes after it
// included. A high digit on the reply's last byte has no low byte to pair with: decoding ends
// before it and the tail goes to the last complete duration.
TDecodedDurations DecodeDurations(const QByteArray &reply);
