// Any file as a code library: read whole or refused, and what was read, written and read again is
// the same records, every field of them.
#include "core/codelibrary.h"
#include "fuzz/codecheck.h"

namespace {

bool same(const TCodeRecord &a, const TCodeRecord &b)
{
    return a.Name == b.Name && a.Remote == b.Remote && a.Notes == b.Notes && a.Protocol == b.Protocol
           && a.Code.DurationsUs == b.Code.DurationsUs && a.Code.CarrierHz == b.Code.CarrierHz
           && a.Code.ModuleReply == b.Code.ModuleReply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TLibraryRead read = ParseCodeLibrary(FuzzInput(data, size));
    FUZZ_CHECK(read.Ok() || read.Records.empty());
    const TLibraryRead again = ParseCodeLibrary(FormatCodeLibrary(read.Records));
    FUZZ_CHECK(again.Ok());
    FUZZ_CHECK(again.Records.size() == read.Records.size());
    for (size_t i = 0; i < read.Records.size(); ++i)
        FUZZ_CHECK(same(read.Records[i], again.Records[i]));
    return 0;
}
