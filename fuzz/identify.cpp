// Any durations, and any protocol, address and command: a code that is identified and encoded
// again is identified as the same protocol, address and command, and so is every code an encoder
// makes.
#include "core/protocols/protocols.h"
#include "fuzz/check.h"

#include <cstddef>
#include <cstdint>

namespace {

const char *const Encoded[] = {"NEC", "NECext", "Samsung32", "SIRC", "SIRC15", "SIRC20",
                               "RC5", "RC5X",   "RC6",       "JVC",  "Kaseikyo", "Sharp"};

// Two bytes where the second is the inverse of the first are one byte: an NECext address or 16-bit
// command of that form is rightly named as the NEC address or the command byte it is.
bool isInverted(uint32_t field)
{
    return (field >> 8) == (~field & 0xFF);
}

bool namesOneByte(const TProtocolCode &code)
{
    return code.Protocol == QLatin1String("NECext") && (isInverted(code.Address) || (code.Command > 0xFF && isInverted(code.Command)));
}

void checkSameAgain(const TProtocolCode &named)
{
    const std::optional<TIrCode> code = EncodeCode(named);
    if (!code)
        return;
    const std::optional<TProtocolCode> again = IdentifyCode(code->DurationsUs);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->Protocol == named.Protocol);
    FUZZ_CHECK(again->Address == named.Address);
    FUZZ_CHECK(again->Command == named.Command);
}

uint32_t word(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16
           | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first nine bytes name a code for the encoders; the bytes after them, two a duration in
    // 10 µs units, are a learned code for the decoders.
    if (size < 9)
        return 0;
    TProtocolCode named;
    named.Protocol = QString::fromLatin1(Encoded[data[0] % std::size(Encoded)]);
    named.Address = word(data + 1);
    named.Command = word(data + 5);
    if (!namesOneByte(named))
        checkSameAgain(named);
    std::vector<int> durations;
    for (size_t i = 9; i + 1 < size; i += 2)
        durations.push_back(10 * (1 + (data[i] | data[i + 1] << 8)));
    const std::optional<TProtocolCode> identified = IdentifyCode(durations);
    if (identified)
        checkSameAgain(*identified);
    return 0;
}
