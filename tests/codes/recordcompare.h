#pragma once
// Comparing and printing code records in tests.
#include "core/codelibrary.h"

#include <gtest/gtest.h>

#include <ostream>

inline bool operator==(const TIrCode &a, const TIrCode &b)
{
    return a.DurationsUs == b.DurationsUs && a.CarrierHz == b.CarrierHz && a.ModuleReply == b.ModuleReply;
}

inline bool operator==(const TCodeRecord &a, const TCodeRecord &b)
{
    return a.Name == b.Name && a.Remote == b.Remote && a.Notes == b.Notes && a.Protocol == b.Protocol
           && a.Code == b.Code;
}

inline void PrintTo(const TCodeRecord &r, std::ostream *os)
{
    *os << "{" << r.Name.toStdString() << " / " << r.Remote.toStdString() << ", " << r.Code.CarrierHz << " Hz,";
    for (int d : r.Code.DurationsUs)
        *os << ' ' << d;
    *os << ", reply " << r.Code.ModuleReply.toHex(' ').toStdString() << "}";
}

inline TCodeRecord Record(const char *name, std::vector<int> us, int carrier = 0)
{
    TCodeRecord r;
    r.Name = QString::fromUtf8(name);
    r.Code.DurationsUs = std::move(us);
    r.Code.CarrierHz = carrier;
    return r;
}

// The line a reader's error names, or 0.
inline int ErrorLine(const QString &error)
{
    const qsizetype at = error.indexOf(QString::fromUtf8("第 "));
    if (at < 0)
        return 0;
    return error.mid(at + 2).section(u' ', 0, 0).toInt();
}
