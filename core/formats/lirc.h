#pragma once
// lircd.conf remotes, in microseconds. Raw codes are taken as written: LIRC's raw codes end on a
// mark, so the final space of a code becomes the remote's gap on export and is not read back on
// import. Remotes given as protocol parameters ("begin codes") become the durations LIRC sends for
// the first press of each button (see lircencode.h); a remote or button that cannot be taken is
// listed in Refused with its reason, and a file from which nothing was taken gives those reasons
// as its error.
#include "core/formats/importresult.h"

// The remote is named remoteName; every code keeps its name with blanks, "#" and unprintable
// characters made "_" and a number added where two would otherwise share a name in any case.
TExport ExportLirc(const QString &remoteName, const std::vector<TCodeRecord> &records);
TImport ImportLirc(const QByteArray &text);

// The key name a code gets in an exported lircd.conf (before a duplicate number is added).
QString LircName(const QString &name);
