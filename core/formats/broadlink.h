#pragma once
// Broadlink infrared packets as home-automation users keep them: base64 ("JgBQAAAB...", also with
// "b64:" before it) or hexadecimal ("26005000..."), one packet a line after an optional "# name"
// line; and the Home Assistant code store (.storage/broadlink_remote_*_codes), JSON whose "data"
// maps each device to its commands, each a base64 packet or a list of them.
//
// A packet: 0x26 (infrared), the repeat count, the length of the durations in bytes (two bytes, low
// first), then each duration in ticks of 269/8192 ms, one byte when below 256, else 0x00 and two
// bytes high first. What follows the length (the end mark 0x0D 0x05, padding) is not read, but the
// two bytes of a long duration that starts at the length's last byte are. The device sends the
// durations 1 + repeat times: they are imported written out that often, and written back as one copy
// with the repeat count (core/formats/repeatshape.h). A packet carries no carrier.
#include "core/formats/importresult.h"

constexpr double BroadlinkTickUs = 269000.0 / 8192;

// One code: the durations (with their repeats written out) of a packet, or why it cannot be read.
std::optional<QString> ReadBroadlinkPacket(const QByteArray &packet, TIrCode &code);
// A packet for one code, or why the code does not fit one.
std::optional<QString> WriteBroadlinkPacket(const TIrCode &code, QByteArray &packet);

TExport ExportBroadlink(const std::vector<TCodeRecord> &records);
TExport ExportBroadlinkHex(const std::vector<TCodeRecord> &records);
// Lines of base64 or hexadecimal packets, told apart line by line.
TImport ImportBroadlink(const QByteArray &text);

// One remote per device: a record's remote is its device, its name the command; the codes of a
// command with a list are named "command 1", "command 2", ... Packets that cannot be read are listed
// as refused, with the reason.
TImport ImportBroadlinkStore(const QByteArray &json);
