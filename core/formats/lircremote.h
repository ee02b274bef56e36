#pragma once
// One remote of a lircd.conf whose buttons are given as protocol parameters ("begin codes"), read
// with the meaning LIRC gives them. The reader fills it a line at a time; Finish() then does what
// LIRC does once a file is read (values cut to their bit counts, REVERSE applied, the old toggle_bit
// turned into a mask, the toggle state set up), and tells why a remote cannot be taken at all.
// Plain data; any thread.
#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// A flags word as LIRC spells it; the encodings are exclusive, the rest are modifiers.
enum class TLircEncoding { None, Raw, Rc5, Rc6, Rcmm, SpaceEnc, SpaceFirst, Goldstar, Grundig, Bo, Serial, Xmp };

namespace lircflag {
constexpr uint32_t Reverse = 1U << 0;
constexpr uint32_t NoHeadRep = 1U << 1;
constexpr uint32_t NoFootRep = 1U << 2;
constexpr uint32_t ConstLength = 1U << 3;
constexpr uint32_t RepeatHeader = 1U << 4;
} // namespace lircflag

// A mark and the space after it (or before it, for foot); LIRC sends a pair only when both are set.
struct TLircPair {
    uint32_t Pulse = 0;
    uint32_t Space = 0;
    bool Present() const { return Pulse > 0 && Space > 0; }
};

struct TLircButton {
    QString Name;
    uint64_t Code = 0; // the first value of the line: LIRC sends only that one on a first press
};

struct TLircRemote {
    QString Name;
    TLircEncoding Encoding = TLircEncoding::None; // None sends as SPACE_ENC does
    QString EncodingName;                          // as written, for messages
    uint32_t Flags = 0;                            // lircflag bits
    int Bits = 0;
    int PreDataBits = 0;
    int PostDataBits = 0;
    uint64_t PreData = 0;
    uint64_t PostData = 0;
    TLircPair Header, One, Zero, Foot, Pre, Post, Repeat;
    uint32_t Plead = 0;
    uint32_t Ptrail = 0;
    uint32_t Gap = 0;
    uint32_t Gap2 = 0; // a second gap value; LIRC waits the smaller one
    uint32_t RepeatGap = 0;
    int MinRepeat = 0;
    int ToggleBit = 0; // 1 = the first bit sent; 0 = none
    uint64_t ToggleBitMask = 0;
    uint64_t ToggleMask = 0;
    uint64_t Rc6Mask = 0;
    int DutyCycle = 0;
    std::vector<TLircButton> Buttons;
    std::vector<QString> ButtonProblems; // buttons LIRC would not read, each with its reason

    uint64_t ToggleBitMaskState = 0; // LIRC's state before the first press; set by Finish()
    QString Problem;                 // the first reason the remote cannot be taken; empty when it can

    int AllBits() const { return PreDataBits + Bits + PostDataBits; }
    bool Biphase() const
    {
        return Encoding == TLircEncoding::Rc5 || Encoding == TLircEncoding::Rc6 || Rc6Mask != 0;
    }
    uint32_t MinGap() const { return Gap2 != 0 && Gap2 < Gap ? Gap2 : Gap; }
};

// Reads one parameter line of a remote: key as written and the rest of the line. A value LIRC would
// not take makes the remote's Problem (the first one stays).
void ReadLircParameter(TLircRemote &remote, std::string_view key, std::string_view values);

// Reads one line inside "begin codes": a button name and its value(s). False when the line is a
// comment that LIRC would also pass over.
bool ReadLircButton(TLircRemote &remote, std::string_view name, std::string_view values);

// What LIRC does with a remote once its file was read; afterwards Problem says whether it can be sent.
void FinishLircRemote(TLircRemote &remote);

// strtoull with base 0, as LIRC reads every number: 0x.. hexadecimal, a leading 0 octal, else decimal.
std::optional<uint64_t> ParseLircNumber(std::string_view s);

// The next blank-separated word, as LIRC splits a line (commas belong to words).
std::string_view NextLircWord(std::string_view &s);

// LIRC compares keys, flags and section words without regard to case.
bool SameLircWord(std::string_view a, std::string_view b);
