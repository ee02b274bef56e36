#pragma once
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace PelmComm {

// The position of the first byte among p[0..n) that equals a, b or c; n when there is none. The
// framer's marks are rare in data, so the runs between them are found sixteen bytes at a time.
inline size_t FindMark(const uint8_t *p, size_t n, uint8_t a, uint8_t b, uint8_t c)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(static_cast<char>(a));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, va), _mm_cmpeq_epi8(x, vb)), _mm_cmpeq_epi8(x, vc));
        if (const int bits = _mm_movemask_epi8(hit))
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
    }
#endif
    for (; i < n; ++i)
        if (p[i] == a || p[i] == b || p[i] == c)
            return i;
    return n;
}

} // namespace PelmComm
