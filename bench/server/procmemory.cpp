#include "procmemory.h"

#include <QFile>

TMemory ReadMemory()
{
    TMemory m;
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto value = [&] { return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toLongLong(); };
        if (line.startsWith("VmRSS:"))
            m.ResidentKiB = value();
        else if (line.startsWith("VmHWM:"))
            m.PeakKiB = value();
    }
    return m;
}
