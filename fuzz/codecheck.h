#pragma once
// What every code-file fuzzer checks: a reader takes a file whole or not at all, what it takes is a
// code the program can hold, and what it took comes back the same after a writer and the reader.
#include "core/formats/importresult.h"
#include "core/formats/textscan.h"
#include "fuzz/check.h"

#include <cstddef>
#include <cstdint>

inline QByteArray FuzzInput(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// An error leaves no codes; a file read whole gives at least one, or lists what it refused; every
// code taken is one the program can hold.
inline void CheckTaken(const TImport &in)
{
    FUZZ_CHECK(in.Ok() ? !in.Records.empty() || !in.Refused.empty() : in.Records.empty());
    for (const TCodeRecord &r : in.Records) {
        FUZZ_CHECK(!r.Code.DurationsUs.empty());
        for (int us : r.Code.DurationsUs)
            FUZZ_CHECK(us >= 1 && us <= textscan::MaxDurationUs);
        FUZZ_CHECK(r.Code.CarrierHz == 0
                   || (r.Code.CarrierHz >= textscan::MinCarrierHz && r.Code.CarrierHz <= textscan::MaxCarrierHz));
    }
}

// Writers may simplify the blanks of a name; a name of blanks only is left out of the check.
inline bool SameName(const QString &written, const QString &read)
{
    return written.simplified().isEmpty() || written.simplified() == read.simplified();
}

// The records read again after a writer: as many, the same durations and carriers, the same names.
inline void CheckSameCodes(const TImport &first, const TImport &again, bool names = true)
{
    FUZZ_CHECK(again.Ok());
    FUZZ_CHECK(again.Records.size() == first.Records.size());
    for (size_t i = 0; i < first.Records.size(); ++i) {
        FUZZ_CHECK(again.Records[i].Code.DurationsUs == first.Records[i].Code.DurationsUs);
        FUZZ_CHECK(again.Records[i].Code.CarrierHz == first.Records[i].Code.CarrierHz);
        FUZZ_CHECK(!names || SameName(first.Records[i].Name, again.Records[i].Name));
    }
}
