#pragma once
// Global Caché "sendir" commands, one a line after an optional "# name" line:
//   sendir,<module>:<connector>,<id>,<frequency>,<repeat>,<offset>,<on1>,<off1>,...
// Durations count carrier periods; the blaster sends the whole sequence, then the part from the
// 1-based, odd offset again, until it was sent repeat times in all. The import writes those repeats
// out (core/formats/repeatshape.h); the export finds them again, and numbers its commands 1, 2, ...
// on connector 1:1. The compressed form, with letters for earlier pairs, is refused.
#include "core/formats/importresult.h"

constexpr int GlobalCacheMinHz = 15'000;
constexpr int GlobalCacheMaxHz = 500'000;
constexpr int GlobalCacheMaxRepeat = 50;
// The carrier written when a code has none measured.
constexpr int GlobalCacheDefaultHz = 38'000;

TExport ExportGlobalCache(const std::vector<TCodeRecord> &records);
TImport ImportGlobalCache(const QByteArray &text);
