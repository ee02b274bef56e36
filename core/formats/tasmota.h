#pragma once
// Tasmota's raw IRsend forms, one code a line after an optional "# name" line, "IRsend " before it
// allowed. The first number is the carrier: 0 for Tasmota's 38 kHz, below 1000 in kHz, else in Hz.
// Then the durations in µs, either plain ("38000,9000,4500,560,...", signs allowed) or compact
// ("0,+9185-4490+650-500C..."): "+" before a mark, "-" before a space, and a letter for a value
// written before, the n-th number written being the n-th letter of the alphabet, upper case for a
// mark and lower case for a space. Durations are taken as written (Tasmota rounds to 5 µs).
#include "core/formats/importresult.h"

TImport ImportTasmota(const QByteArray &text);
