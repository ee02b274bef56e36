#include "platform/sys/textcodec.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

const std::string Replacement = "\xEF\xBF\xBD";

// One converter per thread and direction: opening one costs more than converting a settings line.
class TConverter {
public:
    TConverter(const char *to, const char *from) : FCd(iconv_open(to, from)) {}
    ~TConverter()
    {
        if (valid())
            iconv_close(FCd);
    }
    TConverter(const TConverter &) = delete;
    TConverter &operator=(const TConverter &) = delete;

    bool valid() const { return FCd != reinterpret_cast<iconv_t>(-1); }

    // Converts everything; an invalid or incomplete sequence either ends the conversion (no
    // errors pointer) or becomes one replacement for its first byte.
    std::optional<std::string> run(const std::string &in, size_t *errors)
    {
        if (!valid())
            return std::nullopt;
        iconv(FCd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 2);
        char *src = const_cast<char *>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char *dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t r = iconv(FCd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                if (!errors)
                    return std::nullopt;
                ++*errors;
                out += Replacement;
                ++src;
                --srcLeft;
                iconv(FCd, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t FCd;
};

TConverter &fromGbk()
{
    thread_local TConverter c("UTF-8", "GB18030");
    return c;
}

TConverter &toGbk()
{
    thread_local TConverter c("GB18030", "UTF-8");
    return c;
}

// Length of the valid UTF-8 sequence at i, or 0.
size_t utf8SequenceAt(const std::string &bytes, size_t i)
{
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80)
        return 1;
    size_t follow;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0)
        follow = 1, min = 0x80, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0)
        follow = 2, min = 0x800, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0)
        follow = 3, min = 0x10000, cp = c & 0x07;
    else
        return 0;
    if (i + follow >= bytes.size())
        return 0;
    for (size_t k = 1; k <= follow; ++k) {
        const auto f = static_cast<unsigned char>(bytes[i + k]);
        if ((f & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (f & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return follow + 1;
}

} // namespace

bool IsValidUtf8(const std::string &bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8SequenceAt(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::optional<std::string> GbkToUtf8(const std::string &gbk)
{
    return fromGbk().run(gbk, nullptr);
}

std::optional<std::string> Utf8ToGbk(const std::string &utf8)
{
    if (!IsValidUtf8(utf8))
        return std::nullopt;
    return toGbk().run(utf8, nullptr);
}

std::string GbkToUtf8Lenient(const std::string &gbk, size_t &errors)
{
    return fromGbk().run(gbk, &errors).value_or(std::string());
}

std::string Utf8Lenient(const std::string &bytes, size_t &errors)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8SequenceAt(bytes, i);
        if (n == 0) {
            ++errors;
            out += Replacement;
            ++i;
        } else {
            out.append(bytes, i, n);
            i += n;
        }
    }
    return out;
}

} // namespace platform
