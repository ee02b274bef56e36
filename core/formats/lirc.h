#pragma once
// lircd.conf remotes with raw codes, in microseconds. LIRC's raw codes end on a mark: the final
// space of a code becomes the remote's gap on export and is not read back on import. Remotes
// given as protocol parameters instead of raw codes are listed as refused.
#include "core/formats/importresult.h"

// The remote is named remoteName; every code keeps its name with blanks, "#" and unprintable
// characters made "_" and a number added where two would otherwise share a name in any case.
TExport ExportLirc(const QString &remoteName, const std::vector<TCodeRecord> &records);
TImport ImportLirc(const QByteArray &text);

// The key name a code gets in an exported lircd.conf (before a duplicate number is added).
QString LircName(const QString &name);
