#include "core/formats/repeatshape.h"

#include <algorithm>

TRepeatShape FindRepeatShape(const std::vector<int> &d, int maxCopies, bool wholeOnly)
{
    const size_t n = d.size();
    TRepeatShape best{0, n, 1};
    if (n % 2 != 0)
        return best;
    const size_t cap = static_cast<size_t>(maxCopies);
    for (size_t block = 2; block <= n / 2; block += 2) {
        // Longer blocks fit fewer copies: once they cannot beat the best, none after them can.
        if (n / block <= static_cast<size_t>(best.Copies) || static_cast<size_t>(best.Copies) == cap)
            break;
        if (wholeOnly && n % block != 0)
            continue;
        // Equal durations one block apart, counted back from the end, give the copies at the end.
        const size_t limit = wholeOnly ? n - block : std::min(n - block, (cap - 1) * block);
        size_t matching = 0;
        while (matching < limit && d[n - 1 - matching] == d[n - 1 - matching - block])
            ++matching;
        const size_t copies = std::min<size_t>(1 + matching / block, cap);
        if (wholeOnly && copies * block != n)
            continue;
        if (copies > static_cast<size_t>(best.Copies))
            best = {n - copies * block, block, static_cast<int>(copies)};
    }
    return best;
}

std::vector<int> RepeatTail(const std::vector<int> &durations, size_t repeatFrom, int copies)
{
    std::vector<int> out(durations);
    out.reserve(durations.size() + (durations.size() - repeatFrom) * static_cast<size_t>(copies - 1));
    for (int i = 1; i < copies; ++i)
        out.insert(out.end(), durations.begin() + static_cast<std::ptrdiff_t>(repeatFrom), durations.end());
    return out;
}
