#pragma once
// Pulse-distance codes: every bit is a mark of one length followed by a short space (0) or a long
// space (1), first sent bit lowest, after an optional header and before a closing mark. NEC, its
// extended and 42-bit forms and repeat frame, Pioneer, Samsung32, JVC, Kaseikyo, RCA and Sharp are
// this family.
#include "core/protocols/protocols.h"
#include "core/protocols/timing.h"

#include <cstdint>
#include <optional>
#include <vector>

struct TPulseDistanceFormat {
    int HeaderMarkUs = 0; // 0: the frame has no header
    int HeaderSpaceUs = 0;
    int BitMarkUs = 0;
    int ZeroSpaceUs = 0;
    int OneSpaceUs = 0;
    int Bits = 0; // at most 64
};

// Header, bits, closing mark and the frame's end (see TDurationReader::FrameEnds).
std::optional<uint64_t> ReadPulseDistanceFrame(TDurationReader &reader, const TPulseDistanceFormat &format);
// Header, bits and closing mark.
void AppendPulseDistanceFrame(std::vector<int> &durationsUs, uint64_t bits, const TPulseDistanceFormat &format);

// One frame each (Sharp: its frame and, when present, the inverted frame that follows it).
std::optional<TProtocolCode> DecodeNecFrame(TDurationReader &reader);
std::optional<TProtocolCode> DecodePioneerFrame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeRcaFrame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeSamsung32Frame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeJvcFrame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeKaseikyoFrame(TDurationReader &reader);
std::optional<TProtocolCode> DecodeSharpFrame(TDurationReader &reader);

std::optional<TIrCode> EncodeNec(const TProtocolCode &code);
std::optional<TIrCode> EncodeNecExt(const TProtocolCode &code);
std::optional<TIrCode> EncodeNec42(const TProtocolCode &code);
std::optional<TIrCode> EncodeNec42Ext(const TProtocolCode &code);
std::optional<TIrCode> EncodePioneer(const TProtocolCode &code);
std::optional<TIrCode> EncodeRca(const TProtocolCode &code);
std::optional<TIrCode> EncodeSamsung32(const TProtocolCode &code);
std::optional<TIrCode> EncodeJvc(const TProtocolCode &code);
std::optional<TIrCode> EncodeKaseikyo(const TProtocolCode &code);
std::optional<TIrCode> EncodeSharp(const TProtocolCode &code);
