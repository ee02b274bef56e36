// Any file as a Home Assistant Broadlink code store: it is taken whole or refused, every code is
// either taken or listed as refused, and each taken code survives a packet line written again.
#include "core/formats/broadlink.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportBroadlinkStore(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok()) {
        FUZZ_CHECK(in.Refused.empty());
        return 0;
    }
    if (in.Records.empty())
        return 0; // every code refused: the callers give the reasons
    for (const TCodeRecord &r : in.Records)
        FUZZ_CHECK(!r.Name.trimmed().isEmpty());
    const TExport out = ExportBroadlink(in.Records);
    FUZZ_CHECK(out.Error.isEmpty());
    CheckSameCodes(in, ImportBroadlink(out.Text), false);
    return 0;
}
