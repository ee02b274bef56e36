// Any file as an IR signals file: raw and encoded parsed records alike come back to the microsecond,
// with their carriers, after writing them as raw records.
#include "core/formats/irfile.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportIrFile(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    CheckSameCodes(in, ImportIrFile(ExportIrFile(in.Records).Text));
    return 0;
}
