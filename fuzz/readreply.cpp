// Any package as the configuration window's read reply: it is taken exactly when it has the read
// reply's frame, and the parameters it yields build a write frame with the same parameter bytes.
#include "core/moduleparams.h"
#include "fuzz/check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray package(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    auto at = [&](int i) { return static_cast<unsigned char>(package[i]); };
    const bool framed = package.size() >= ParameterFrameSize && at(0) == 0xFF && at(3) == 0xFB && at(36) == 0xFB;
    const std::optional<TReadReply> reply = ParseReadReply(package);
    FUZZ_CHECK(reply.has_value() == framed);
    FUZZ_CHECK(IsWriteAcknowledgement(package) == (package.size() >= 4 && at(0) == 0xFF && at(3) == 0xFC));
    if (!reply)
        return 0;

    for (int i = 0; i < ParameterEditCount; ++i) {
        bool ok = false;
        const int value = reply->Edits[i].toInt(&ok);
        FUZZ_CHECK(ok && value >= 0 && value <= ((i == 12 || i == 17) ? 65535 : 255));
        FUZZ_CHECK(reply->Edits[i] == QString::number(value)); // as the window shows it: plain decimal
    }
    FUZZ_CHECK(reply->WorkMode == at(24));
    FUZZ_CHECK(reply->RestartOnTimeout == (at(25) == 1));

    const QByteArray frame = BuildParameterFrame(reply->Edits, reply->WorkMode, reply->RestartOnTimeout);
    FUZZ_CHECK(frame.size() == ParameterFrameSize);
    // Parameters from byte 4 to the MAC's last byte at 31; the restart flag at 25 is 0 or 1.
    for (int i = 4; i < 32; ++i)
        FUZZ_CHECK(static_cast<unsigned char>(frame[i]) == (i == 25 ? (at(25) == 1 ? 1 : 0) : at(i)));
    return 0;
}
