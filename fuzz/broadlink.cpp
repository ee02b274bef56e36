// Any file as Broadlink packet lines: ticks turned into µs and back are the same ticks, and
// repeats written out come back as the repeat byte, so base64 and hex rounds give the same codes.
#include "core/formats/broadlink.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportBroadlink(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    for (const TExport &out : {ExportBroadlink(in.Records), ExportBroadlinkHex(in.Records)}) {
        FUZZ_CHECK(out.Error.isEmpty());
        CheckSameCodes(in, ImportBroadlink(out.Text));
    }
    return 0;
}
