// Any file as Pronto: what it takes comes back exactly after writing it as Pronto again, as each
// duration is a whole number of the carrier periods that were read.
#include "core/formats/pronto.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportPronto(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    const TExport out = ExportPronto(in.Records);
    FUZZ_CHECK(out.Error.isEmpty() && out.Note.isEmpty());
    CheckSameCodes(in, ImportPronto(out.Text));
    return 0;
}
