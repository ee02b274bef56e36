// Any file as Tasmota raw lines: a code read from either form, written again in the plain form with
// its carrier in Hz, is read back the same.
#include "core/formats/tasmota.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportTasmota(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    QByteArray plain;
    for (const TCodeRecord &r : in.Records) {
        FUZZ_CHECK(r.Code.CarrierHz != 0);
        plain += "# " + r.Name.simplified().toUtf8() + "\nIRsend " + QByteArray::number(r.Code.CarrierHz);
        for (int us : r.Code.DurationsUs)
            plain += ',' + QByteArray::number(us);
        plain += '\n';
    }
    CheckSameCodes(in, ImportTasmota(plain));
    return 0;
}
