#pragma once
// Plain timings as home-automation tools take them, to the microsecond.
//
// Raw: one code per line of signed microseconds, marks positive and spaces negative, separated by
// blanks or commas, optionally in brackets; a line "# name" before it names it.
// CSV: one code, one row per duration: index (from 0), level (1 mark, 0 space), duration in µs,
// under the header "index,level,duration_us".
#include "core/formats/importresult.h"

TExport ExportRaw(const std::vector<TCodeRecord> &records);
TImport ImportRaw(const QByteArray &text);

TExport ExportCsv(const TCodeRecord &record);
TImport ImportCsv(const QByteArray &text);
