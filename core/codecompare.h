#pragma once
// Two to four captures of a code side by side: do they carry the same data, how far apart are
// their corresponding durations, and which durations lie outside the tolerance. Durations are in
// µs, mark first, as TIrCode holds them.
//
// Captures of one button jitter by some tens of µs and come quantised to the module's 10 µs; the
// difference between two bits of a code is hundreds of µs. So two durations agree when they
// differ by at most TCompareTolerance::Percent of the shorter one or by at most FloorUs, whichever
// is larger: the floor keeps the shortest marks (a few hundred µs) from being judged on their
// jitter alone.
#include <QString>
#include <QStringList>

#include <vector>

struct TCompareTolerance {
    int Percent = 25;
    int FloorUs = 100;
};

struct TCodeComparison {
    std::vector<int> Counts;        // durations per code
    int ComparedCount = 0;          // the shortest code's count: durations beyond it are not compared
    int LargestDeviationUs = 0;     // largest spread of one duration across the codes
    double LargestDeviationPercent = 0; // that spread in per cent of the shortest of those durations
    int LargestDeviationIndex = -1; // its position, from 0; -1 when nothing was compared
    std::vector<int> Outside;       // positions whose spread exceeds the tolerance, ascending
    bool SameData = false;          // see CompareCodes

    bool CountsDiffer() const;
};

// Whether two durations agree within the tolerance.
bool DurationsAgree(int aUs, int bUs, const TCompareTolerance &tolerance = {});

// Compares position by position up to the shortest code. Codes that are all recognised carry the
// same data when their decodes (protocol, address, command, data) are equal, whatever their
// timings; otherwise when they have the same count of durations and every position agrees.
TCodeComparison CompareCodes(const std::vector<std::vector<int>> &codesUs, const TCompareTolerance &tolerance = {});

// The log's account of a comparison, one text per line, the first one empty. `names` says each
// code's place for the user ("1 通道"), in the order of the comparison's codes.
QStringList CompareLogLines(const QStringList &names, const TCodeComparison &comparison,
                            const TCompareTolerance &tolerance = {});
