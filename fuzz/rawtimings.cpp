// Any file as raw timing lines and as CSV: what each takes comes back to the microsecond after
// writing it in the same format.
#include "core/formats/rawtimings.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = FuzzInput(data, size);
    const TImport raw = ImportRaw(text);
    CheckTaken(raw);
    if (raw.Ok() && !raw.Records.empty())
        CheckSameCodes(raw, ImportRaw(ExportRaw(raw.Records).Text));
    const TImport csv = ImportCsv(text);
    CheckTaken(csv);
    if (csv.Ok() && !csv.Records.empty()) {
        FUZZ_CHECK(csv.Records.size() == 1);
        CheckSameCodes(csv, ImportCsv(ExportCsv(csv.Records.front()).Text));
    }
    return 0;
}
