#pragma once
// The plain-text infrared signal files that universal-remote users exchange: a header
// "Filetype: IR signals file" and "Version: 1", then records of "key: value" lines, each beginning
// with "name:". Raw records carry the carrier, a duty cycle and the durations in µs (to the
// microsecond). Parsed records name a protocol, an address and a command instead; they are listed
// as refused, since building their durations needs a protocol encoder.
#include "core/formats/importresult.h"

constexpr int IrFileDefaultCarrierHz = 38000;

TExport ExportIrFile(const std::vector<TCodeRecord> &records);
TImport ImportIrFile(const QByteArray &text);
