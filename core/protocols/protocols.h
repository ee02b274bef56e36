#pragma once
// What a learned or loaded code is in its user's terms: protocol, address and command, and the way
// back from those to durations. Pure functions on durations in µs (mark first, as TIrCode holds
// them); no state, callable from any thread, never touching widgets.
//
// A code is identified only when every frame in it agrees: the first frame names the code, later
// frames (after a gap of at least FrameGapUs) must repeat it or be the protocol's repeat frame; a
// last frame cut short by the end of the capture is tolerated, because a module that learns a held
// button stops wherever its buffer ends. Timings may deviate by 25 % (at least 250 µs), which covers
// jitter and the module's 10 µs units; the lengthening of marks at the expense of spaces that
// receivers add (up to 250 µs) is measured on each frame and undone before its bits are read.
#include "core/ircode.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct TProtocolCode {
    QString Protocol;   // "NEC", "NECext", "NEC42", "NEC42ext", "NEC repeat", "Pioneer", "Samsung32",
                        // "RCA", "SIRC", "SIRC15", "SIRC20", "RC5", "RC5X", "RC6", "JVC", "Kaseikyo",
                        // "Sharp", "Pulse distance"
    uint32_t Address = 0;
    uint32_t Command = 0;
    int Bits = 0;       // data bits of one frame after its header, start and toggle bits included
                        // (NEC 32, NEC42 42, SIRC 12/15/20, RC5 14, RC6 21, ...; repeat frame 0;
                        // pulse distance: N)
    QByteArray Data;    // pulse distance: the data bytes, first sent first, each byte's first bit lowest
};

// Field layouts where a protocol has more than one field in Address or Command, as signal files
// hold them (so that a code reads the same in the log, the library and such a file):
// - NECext: Address is the first two bytes, Command the last two (each pair's first byte lowest),
//   whether or not a byte is the inverse of the one before it, so that encoding gives back the
//   bytes that were identified.
// - NEC42: 13-bit address and command byte, each sent with its inverse. NEC42ext: Address is the
//   26 address bits, Command the 16 command bits, as sent.
// - SIRC20: Address is the 5-bit device plus the 8-bit extension shifted left by 5.
// - RC5X: Command is the 7-bit command 64..127 (RC5 carries 0..63).
// - Kaseikyo: Address is id << 24 | vendor << 8 | genre 1 << 4 | genre 2 (id 2 bits, vendor 16,
//   genres 4 each); Command is the 10-bit command.
bool operator==(const TProtocolCode &a, const TProtocolCode &b);

std::optional<TProtocolCode> IdentifyCode(const std::vector<int> &durationsUs);

// "协议：NEC  地址 0x04  命令 0x08" or "协议：未识别（N 个脉冲）" (N marks).
QString ProtocolLogLine(const std::vector<int> &durationsUs);
// The same line for a code already identified (or not, std::nullopt) with the given number of marks.
QString ProtocolLogLine(const std::optional<TProtocolCode> &code, int marks);

// Short name for hints and the library ("NEC 0x04/0x08"), empty when unidentified.
QString ProtocolHint(const std::vector<int> &durationsUs);
QString ProtocolHint(const TProtocolCode &code);

// Durations and carrier of one frame, for NEC, NECext, NEC42, NEC42ext, Pioneer, Samsung32, RCA,
// SIRC, SIRC15, SIRC20, RC5, RC5X, RC6, JVC, Kaseikyo and Sharp; std::nullopt for other protocols and for an address or command that
// does not fit the protocol's fields. The durations end with the frame's last mark.
std::optional<TIrCode> EncodeCode(const TProtocolCode &code);
