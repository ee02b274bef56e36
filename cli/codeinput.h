#pragma once
// Codes as the command line takes them in and gives them out: files, standard input, a module's
// reply as hex text, the code library, and the exchange formats by their short names.
#include "cli/clioutput.h"
#include "core/codelibrary.h"
#include "core/formats/codeformats.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// "pronto", "raw", "csv", "lirc", "ir"; std::nullopt for others.
std::optional<TCodeFormat> FormatByName(const QString &name);
QString FormatNames();

// The whole of a file, or of standard input for "-"; a "bad-file" failure when it cannot be read.
QByteArray ReadInput(const QString &path);

// The codes text holds: a module's reply as hex text is one learned code; a code library is read
// as one; any other text in the exchange format its contents tell. Records the file holds but that
// cannot be taken go to out.Refused; where names the source in the "bad-file" failure raised when
// nothing can be read or taken, which gives every reason.
std::vector<TCodeRecord> CodesFromText(const QByteArray &text, const QString &where, TCliOutput &out);

// The record named name (and remote, when given) of the library at path; a failure naming what is
// missing.
TCodeRecord LibraryRecord(const QString &path, const QString &name, const QString &remote);

// Adds or replaces records in the library at path (created when missing) and saves it whole.
void PutIntoLibrary(const QString &path, const std::vector<TCodeRecord> &records);

// Writes records to path in format, under a temporary name renamed over path.
void WriteCodes(const QString &path, TCodeFormat format, const std::vector<TCodeRecord> &records, const QString &remote);
