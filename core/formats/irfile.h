#pragma once
// The plain-text infrared signal files that universal-remote users exchange: a header
// "Filetype: IR signals file" and "Version: 1", then records of "key: value" lines, each beginning
// with "name:". Raw records carry the carrier, a duty cycle and the durations in µs (to the
// microsecond). Parsed records name a protocol, an address and a command instead (each up to four
// bytes, the first the lowest, meaning what the files' own encoders make of them); they are encoded
// into durations by the protocol encoders, and listed as refused, with the reason, where the
// protocol is unknown or a value is wider than its field. A name of blanks only is written and
// read as "编码 N".
#include "core/formats/importresult.h"

constexpr int IrFileDefaultCarrierHz = 38000;

TExport ExportIrFile(const std::vector<TCodeRecord> &records);
TImport ImportIrFile(const QByteArray &text);
