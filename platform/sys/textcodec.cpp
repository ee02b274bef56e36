#include "platform/sys/textcodec.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

std::string convert(const std::string &in, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return in;
    std::string out;
    out.reserve(in.size() * 2);
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    char buffer[4096];
    while (srcLeft > 0) {
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // An invalid or incomplete sequence: keep going after it.
            out.push_back('?');
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

// GB18030 reads and writes every GBK byte sequence unchanged and also holds the characters GBK
// lacks, so nothing typed is lost on the way to disk.

bool IsValidUtf8(const std::string &bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        int follow;
        unsigned min;
        unsigned cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + follow >= bytes.size())
            return false;
        for (int k = 1; k <= follow; ++k) {
            const auto f = static_cast<unsigned char>(bytes[i + k]);
            if ((f & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (f & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

std::string GbkToUtf8(const std::string &gbk)
{
    return convert(gbk, "UTF-8", "GB18030");
}

std::string Utf8ToGbk(const std::string &utf8)
{
    return convert(utf8, "GB18030", "UTF-8");
}

} // namespace platform
