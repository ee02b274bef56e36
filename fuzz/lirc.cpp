// Any file as lircd.conf: the codes it takes, written as one raw remote, are read back with the same
// durations, but for a final space, which the remote's gap takes.
#include "core/formats/lirc.h"
#include "fuzz/codecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TImport in = ImportLirc(FuzzInput(data, size));
    CheckTaken(in);
    if (!in.Ok() || in.Records.empty())
        return 0;
    const TExport out = ExportLirc(QStringLiteral("remote"), in.Records);
    FUZZ_CHECK(out.Error.isEmpty());
    const TImport again = ImportLirc(out.Text);
    FUZZ_CHECK(again.Ok() && again.Records.size() == in.Records.size());
    for (size_t i = 0; i < in.Records.size(); ++i) {
        std::vector<int> expected = in.Records[i].Code.DurationsUs;
        if (expected.size() % 2 == 0)
            expected.pop_back();
        FUZZ_CHECK(again.Records[i].Code.DurationsUs == expected);
        FUZZ_CHECK(again.Records[i].Name == LircName(in.Records[i].Name) || again.Records[i].Name.startsWith(LircName(in.Records[i].Name) + u'_'));
    }
    return 0;
}
