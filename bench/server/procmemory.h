#pragma once
// The process's own memory figures, read from /proc/self.
#include <QtGlobal>

struct TMemory {
    qint64 ResidentKiB = -1; // VmRSS
    qint64 PeakKiB = -1;     // VmHWM
};

TMemory ReadMemory();

inline double MiB(qint64 kib)
{
    return static_cast<double>(kib) / 1024.0;
}
