#pragma once
// Captures as a module delivers them, written from the protocols' published timings: the bits of a
// frame as fields in the order they are sent, turned into durations, then stretched and shortened
// as a receiver does, jittered and quantised to the module's 10 µs.
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace capture {

struct TField {
    uint32_t Value;
    int Width;
};

// "0"/"1" per bit in the order sent; fields go first bit lowest unless msbFirst.
inline std::string Bits(std::initializer_list<TField> fields, bool msbFirst = false)
{
    std::string out;
    for (const TField &f : fields)
        for (int i = 0; i < f.Width; ++i)
            out += ((f.Value >> (msbFirst ? f.Width - 1 - i : i)) & 1) ? '1' : '0';
    return out;
}

struct TPulseDistance {
    int HeaderMark, HeaderSpace, BitMark, ZeroSpace, OneSpace;
};

inline void AppendPulseDistance(std::vector<int> &d, const TPulseDistance &t, const std::string &bits)
{
    if (t.HeaderMark) {
        d.push_back(t.HeaderMark);
        d.push_back(t.HeaderSpace);
    }
    for (char b : bits) {
        d.push_back(t.BitMark);
        d.push_back(b == '1' ? t.OneSpace : t.ZeroSpace);
    }
    d.push_back(t.BitMark);
}

// SIRC: header 2400/600, a 1200 µs mark for 1 and 600 µs for 0, 600 µs spaces.
inline void AppendSirc(std::vector<int> &d, const std::string &bits)
{
    d.push_back(2400);
    d.push_back(600);
    for (char b : bits) {
        d.push_back(b == '1' ? 1200 : 600);
        d.push_back(600);
    }
    d.pop_back();
}

// Half-bit levels ('1' mark, '0' space) merged into durations; leading and trailing spaces vanish.
inline void AppendLevels(std::vector<int> &d, const std::string &levels, int halfBitUs)
{
    std::size_t i = levels.find('1');
    while (i < levels.size()) {
        std::size_t j = i;
        while (j < levels.size() && levels[j] == levels[i])
            ++j;
        if (levels[i] == '1' || j < levels.size())
            d.push_back(int(j - i) * halfBitUs);
        i = j;
    }
}

// RC5: 1 is a space then a mark, first bit highest.
inline std::string Rc5Levels(const std::string &bits)
{
    std::string out;
    for (char b : bits)
        out += b == '1' ? "01" : "10";
    return out;
}

// RC6 mode 0: leader, start 1, mode 000, double-length toggle, 16 bits; 1 is a mark then a space.
inline std::string Rc6Levels(const std::string &bits, bool toggle)
{
    std::string out = "11111100" "10" "010101";
    out += toggle ? "1100" : "0011";
    for (char b : bits)
        out += b == '1' ? "10" : "01";
    return out;
}

inline void AppendGap(std::vector<int> &d, int us)
{
    if (d.size() % 2 == 0)
        d.back() += us;
    else
        d.push_back(us);
}

// Marks longer and spaces shorter by skewUs, each duration off by up to jitterPercent, then
// rounded to 10 µs.
inline std::vector<int> Captured(const std::vector<int> &nominal, std::mt19937 &random, int jitterPercent,
                                 int skewUs = 0)
{
    std::uniform_int_distribution<int> jitter(-jitterPercent * 10, jitterPercent * 10);
    std::vector<int> out;
    for (std::size_t i = 0; i < nominal.size(); ++i) {
        const double skewed = nominal[i] + (i % 2 == 0 ? skewUs : -skewUs);
        const double jittered = skewed * (1.0 + jitter(random) / 1000.0);
        out.push_back(std::max(10, int((jittered + 5) / 10) * 10));
    }
    return out;
}

} // namespace capture
