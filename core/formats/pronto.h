#pragma once
// Pronto Hex, learned form: "0000 FREQ N1 N2" and then N1 + N2 pairs of mark and space lengths in
// carrier periods, every word four hexadecimal digits. FREQ is the carrier period in units of
// 0.241246 µs. Durations are kept to one carrier period (about 26 µs at 38 kHz).
//
// A file holds one code per line; a line "# name" before it names it.
#include "core/formats/importresult.h"

// The carrier written when a code has none measured.
constexpr int ProntoDefaultCarrierHz = 38000;

// One line per code, preceded by "# name". A code with an odd number of durations gets a final
// space of one period, as Pronto counts in pairs.
TExport ExportPronto(const std::vector<TCodeRecord> &records);
TImport ImportPronto(const QByteArray &text);
