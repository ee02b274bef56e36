// Any file as sendir commands: counts of carrier periods turned into µs and back are the same
// counts, and repeats written out are found again, so a second round gives the same codes.
#include "core/formats/globalcache.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportGlobalCache(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    const TExport out = ExportGlobalCache(in.Records);
    FUZZ_CHECK(out.Error.isEmpty() && out.Note.isEmpty());
    CheckSameCodes(in, ImportGlobalCache(out.Text));
    return 0;
}
