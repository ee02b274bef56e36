#include "core/formats/lircremote.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <limits>

using textscan::ToQString;

namespace {

constexpr int MaxBits = 64;

uint64_t bitMask(int bits)
{
    return bits >= MaxBits ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
}

uint64_t reversed(uint64_t value, int bits)
{
    uint64_t out = 0;
    for (int i = 0; i < bits; ++i) {
        if (value & (uint64_t{1} << i))
            out |= uint64_t{1} << (bits - 1 - i);
    }
    return out;
}

struct TFlagName {
    std::string_view Name;
    TLircEncoding Encoding;
    uint32_t Modifier;
};

constexpr std::array<TFlagName, 17> FlagNames = {{
    {"RAW_CODES", TLircEncoding::Raw, 0},
    {"RC5", TLircEncoding::Rc5, 0},
    {"SHIFT_ENC", TLircEncoding::Rc5, 0},
    {"RC6", TLircEncoding::Rc6, 0},
    {"RCMM", TLircEncoding::Rcmm, 0},
    {"SPACE_ENC", TLircEncoding::SpaceEnc, 0},
    {"SPACE_FIRST", TLircEncoding::SpaceFirst, 0},
    {"GOLDSTAR", TLircEncoding::Goldstar, 0},
    {"GRUNDIG", TLircEncoding::Grundig, 0},
    {"BO", TLircEncoding::Bo, 0},
    {"SERIAL", TLircEncoding::Serial, 0},
    {"XMP", TLircEncoding::Xmp, 0},
    {"REVERSE", TLircEncoding::None, lircflag::Reverse},
    {"NO_HEAD_REP", TLircEncoding::None, lircflag::NoHeadRep},
    {"NO_FOOT_REP", TLircEncoding::None, lircflag::NoFootRep},
    {"CONST_LENGTH", TLircEncoding::None, lircflag::ConstLength},
    {"REPEAT_HEADER", TLircEncoding::None, lircflag::RepeatHeader},
}};

class TParameterReader {
public:
    TParameterReader(TLircRemote &remote, std::string_view key, std::string_view values)
        : remote_(remote), key_(key), first_(NextLircWord(values)), second_(NextLircWord(values))
    {
    }

    void Read();

private:
    bool is(std::string_view name) const { return SameLircWord(key_, name); }
    void fail(const QString &why)
    {
        if (remote_.Problem.isEmpty())
            remote_.Problem = why;
    }
    std::optional<uint64_t> number(std::string_view v);
    void code(uint64_t &to);
    void count(int &to);
    void duration(uint32_t &to, std::string_view v);
    void pair(TLircPair &to);
    void flags();

    TLircRemote &remote_;
    std::string_view key_;
    std::string_view first_;
    std::string_view second_;
};

std::optional<uint64_t> TParameterReader::number(std::string_view v)
{
    const std::optional<uint64_t> n = ParseLircNumber(v);
    if (!n)
        fail(QCoreApplication::translate("LircRemote", "参数 %1 的值 %2 不是数").arg(ToQString(key_), textscan::Quote(v)));
    return n;
}

void TParameterReader::code(uint64_t &to)
{
    if (const auto n = number(first_))
        to = *n;
}

void TParameterReader::count(int &to)
{
    const auto n = number(first_);
    if (!n)
        return;
    if (*n > static_cast<uint64_t>(std::numeric_limits<int>::max())) {
        fail(QCoreApplication::translate("LircRemote", "参数 %1 的值 %2 太大").arg(ToQString(key_), textscan::Quote(first_)));
        return;
    }
    to = static_cast<int>(*n);
}

void TParameterReader::duration(uint32_t &to, std::string_view v)
{
    const auto n = number(v);
    if (!n)
        return;
    if (*n > static_cast<uint64_t>(textscan::MaxDurationUs)) {
        fail(QCoreApplication::translate("LircRemote", "参数 %1 的时长 %2 超过 %3 微秒")
                 .arg(ToQString(key_), textscan::Quote(v))
                 .arg(textscan::MaxDurationUs));
        return;
    }
    to = static_cast<uint32_t>(*n);
}

void TParameterReader::pair(TLircPair &to)
{
    if (second_.empty()) {
        fail(QCoreApplication::translate("LircRemote", "参数 %1 需要脉冲与间隔两个数").arg(ToQString(key_)));
        return;
    }
    duration(to.Pulse, first_);
    duration(to.Space, second_);
}

void TParameterReader::flags()
{
    std::string_view rest = first_;
    while (!rest.empty()) {
        const size_t bar = rest.find('|');
        const std::string_view name = rest.substr(0, bar);
        rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
        const auto *flag = std::find_if(FlagNames.begin(), FlagNames.end(),
                                        [&](const TFlagName &f) { return SameLircWord(f.Name, name); });
        if (flag == FlagNames.end()) {
            fail(QCoreApplication::translate("LircRemote", "未知的标志 %1").arg(textscan::Quote(name)));
            return;
        }
        if (flag->Encoding != TLircEncoding::None) {
            if (remote_.Encoding != TLircEncoding::None && remote_.Encoding != flag->Encoding) {
                fail(QCoreApplication::translate("LircRemote", "标志中有两种编码：%1 与 %2")
                    .arg(remote_.EncodingName, ToQString(flag->Name)));
                return;
            }
            remote_.Encoding = flag->Encoding;
            remote_.EncodingName = ToQString(flag->Name);
        }
        remote_.Flags |= flag->Modifier;
    }
}

void TParameterReader::Read()
{
    uint32_t ignored = 0;
    uint64_t ignoredCode = 0;
    int ignoredCount = 0;
    if (first_.empty()) {
        fail(QCoreApplication::translate("LircRemote", "参数 %1 没有值").arg(textscan::Quote(key_)));
    } else if (is("flags")) {
        flags();
    } else if (is("bits")) {
        count(remote_.Bits);
    } else if (is("pre_data_bits")) {
        count(remote_.PreDataBits);
    } else if (is("post_data_bits")) {
        count(remote_.PostDataBits);
    } else if (is("pre_data")) {
        code(remote_.PreData);
    } else if (is("post_data")) {
        code(remote_.PostData);
    } else if (is("plead")) {
        duration(remote_.Plead, first_);
    } else if (is("ptrail")) {
        duration(remote_.Ptrail, first_);
    } else if (is("gap")) {
        duration(remote_.Gap, first_);
        if (!second_.empty())
            duration(remote_.Gap2, second_);
    } else if (is("repeat_gap")) {
        duration(remote_.RepeatGap, first_);
    } else if (is("min_repeat")) {
        count(remote_.MinRepeat);
    } else if (is("toggle_bit") || is("repeat_bit")) {
        count(remote_.ToggleBit);
    } else if (is("toggle_bit_mask")) {
        code(remote_.ToggleBitMask);
    } else if (is("toggle_mask")) {
        code(remote_.ToggleMask);
    } else if (is("rc6_mask")) {
        code(remote_.Rc6Mask);
    } else if (is("duty_cycle")) {
        count(remote_.DutyCycle);
        if (remote_.DutyCycle > 100)
            fail(QCoreApplication::translate("LircRemote", "占空比 %1 超过 100%").arg(remote_.DutyCycle));
    } else if (is("header")) {
        pair(remote_.Header);
    } else if (is("one")) {
        pair(remote_.One);
    } else if (is("zero")) {
        pair(remote_.Zero);
    } else if (is("foot")) {
        pair(remote_.Foot);
    } else if (is("pre")) {
        pair(remote_.Pre);
    } else if (is("post")) {
        pair(remote_.Post);
    } else if (is("repeat")) {
        pair(remote_.Repeat);
    } else if (is("two") || is("three")) {
        TLircPair rcmmOnly;
        pair(rcmmOnly);
    } else if (is("eps") || is("aeps") || is("baud")) {
        duration(ignored, first_); // tolerances of the receiving side, and the SERIAL encoding's speed
    } else if (is("repeat_mask") || is("ignore_mask")) {
        code(ignoredCode); // concern repeats and decoding, never a first press
    } else if (is("manual_sort") || is("suppress_repeat") || is("min_code_repeat")) {
        count(ignoredCount);
    } else if (!is("driver") && !is("dyncodes_name") && !is("serial_mode")) {
        fail(QCoreApplication::translate("LircRemote", "未知的参数 %1").arg(textscan::Quote(key_)));
    }
}

} // namespace

bool SameLircWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

std::string_view NextLircWord(std::string_view &s)
{
    size_t begin = 0;
    while (begin < s.size() && (s[begin] == ' ' || s[begin] == '\t'))
        ++begin;
    size_t end = begin;
    while (end < s.size() && s[end] != ' ' && s[end] != '\t')
        ++end;
    const std::string_view word = s.substr(begin, end - begin);
    s.remove_prefix(end);
    return word;
}

std::optional<uint64_t> ParseLircNumber(std::string_view s)
{
    int base = 10;
    if (s.size() > 1 && s[0] == '0' && (s[1] | 0x20) == 'x') {
        base = 16;
        s.remove_prefix(2);
    } else if (s.size() > 1 && s[0] == '0') {
        base = 8;
    }
    if (s.empty())
        return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        const int digit = textscan::DigitValue(c, base == 16 ? 16 : 10);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        if (v > (~uint64_t{0} - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base))
            return std::nullopt;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return v;
}

void ReadLircParameter(TLircRemote &remote, std::string_view key, std::string_view values)
{
    TParameterReader(remote, key, values).Read();
}

bool ReadLircButton(TLircRemote &remote, std::string_view name, std::string_view values)
{
    const std::string_view value = NextLircWord(values);
    const std::optional<uint64_t> code = ParseLircNumber(value);
    // LIRC skips only lines starting with "#"; an indented one is a button named "#..." when a
    // value follows, and otherwise a comment that LIRC itself would stop at.
    if (name.front() == '#' && !code)
        return false;
    if (value.empty())
        remote.ButtonProblems.push_back(QCoreApplication::translate("LircRemote", "按键 %1 没有编码值").arg(ToQString(name)));
    else if (!code)
        remote.ButtonProblems.push_back(
            QCoreApplication::translate("LircRemote", "按键 %1 的编码值 %2 不是数").arg(ToQString(name), textscan::Quote(value)));
    else
        remote.Buttons.push_back(TLircButton{ToQString(name), *code});
    return true;
}

void FinishLircRemote(TLircRemote &r)
{
    const auto fail = [&r](const QString &why) {
        if (r.Problem.isEmpty())
            r.Problem = why;
    };
    switch (r.Encoding) {
    case TLircEncoding::Raw:
        fail(QCoreApplication::translate("LircRemote", "标志 RAW_CODES 与“begin codes”不符"));
        break;
    case TLircEncoding::Rcmm:
    case TLircEncoding::Goldstar:
    case TLircEncoding::Grundig:
    case TLircEncoding::Bo:
    case TLircEncoding::Serial:
    case TLircEncoding::Xmp:
        fail(QCoreApplication::translate("LircRemote", "使用 %1 编码，本程序的时序无法表达").arg(r.EncodingName));
        break;
    default:
        break;
    }
    // Each count alone first, so that their sum cannot overflow.
    if (r.Bits > MaxBits || r.PreDataBits > MaxBits || r.PostDataBits > MaxBits || r.AllBits() > MaxBits) {
        fail(QCoreApplication::translate("LircRemote", "共 %1 位，超过 %2 位")
                 .arg(int64_t{r.Bits} + r.PreDataBits + r.PostDataBits)
                 .arg(MaxBits));
        return;
    }
    if (r.AllBits() == 0)
        fail(QCoreApplication::translate("LircRemote", "没有位数（bits）"));
    if (r.Buttons.empty() && r.ButtonProblems.empty())
        fail(QCoreApplication::translate("LircRemote", "没有按键"));
    if (r.One.Pulse == 0 && r.One.Space == 0 && r.Zero.Pulse == 0 && r.Zero.Space == 0)
        fail(QCoreApplication::translate("LircRemote", "没有 0 与 1 的时序，只有供自行解码的接收器使用的编码值"));
    if (r.ToggleBit > r.AllBits())
        fail(QCoreApplication::translate("LircRemote", "toggle_bit %1 超出了共 %2 位").arg(r.ToggleBit).arg(r.AllBits()));
    if (!r.Problem.isEmpty())
        return;

    r.PreData &= bitMask(r.PreDataBits);
    r.PostData &= bitMask(r.PostDataBits);
    for (TLircButton &b : r.Buttons)
        b.Code &= bitMask(r.Bits);
    if (r.Flags & lircflag::Reverse) {
        r.PreData = reversed(r.PreData, r.PreDataBits);
        r.PostData = reversed(r.PostData, r.PostDataBits);
        for (TLircButton &b : r.Buttons)
            b.Code = reversed(b.Code, r.Bits);
    }
    // Older RC-6 files name the double-length bit only by its toggle_bit.
    if (r.Encoding == TLircEncoding::Rc6 && r.Rc6Mask == 0 && r.ToggleBit > 0)
        r.Rc6Mask = uint64_t{1} << (r.AllBits() - r.ToggleBit);
    if (r.ToggleBit > 0) {
        if (r.ToggleBitMask == 0)
            r.ToggleBitMask = uint64_t{1} << (r.AllBits() - r.ToggleBit);
        r.ToggleBit = 0;
    }
    // LIRC derives the state from its first button, so that a single toggle bit starts cleared.
    r.ToggleBitMaskState = r.Buttons.empty() ? 0 : r.Buttons.front().Code & r.ToggleBitMask;
    if (r.ToggleBitMaskState != 0)
        r.ToggleBitMaskState ^= r.ToggleBitMask;
}
