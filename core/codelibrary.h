#pragma once
// The code library: named codes kept in a plain-text file that a person can read, edit and diff
// (the format is described in docs/code-library.md). Reading is all or nothing: a file with one
// bad line gives an error naming that line and no records. Saving goes to a temporary file that
// is synced and then renamed over the old one, so a failed save leaves the old file as it was.
// Everything here is plain data and may run on any thread.
#include "core/ircode.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct TCodeRecord {
    QString Name;
    QString Remote;   // the remote or device the code belongs to; may be empty
    QString Notes;    // free text, may span lines
    QString Protocol; // the protocol as identified, e.g. "NEC 0x04/0x08"; empty when unknown
    TIrCode Code;
};

struct TLibraryRead {
    std::vector<TCodeRecord> Records;
    QString Error;        // empty when the file was read whole
    bool Missing = false; // the file does not exist (not an error for the default library)

    bool Ok() const { return Error.isEmpty(); }
};

// The first line of every library file.
extern const char *const CodeLibraryHeader;

QByteArray FormatCodeLibrary(const std::vector<TCodeRecord> &records);
TLibraryRead ParseCodeLibrary(const QByteArray &text);

TLibraryRead LoadCodeLibrary(const QString &path);
// Empty on success, else the reason; the file at path is then unchanged.
QString SaveCodeLibrary(const QString &path, const std::vector<TCodeRecord> &records);

// $XDG_DATA_HOME/irtool/codes.txt, or ~/.local/share/irtool/codes.txt without that variable.
QString DefaultCodeLibraryPath();

// Adds the record, or replaces the one with the same name and remote; returns its index.
size_t PutRecord(std::vector<TCodeRecord> &records, const TCodeRecord &record);

// The first record that is emitted with exactly these bytes (ReplyForCode): the one a channel
// holding the reply was loaded from or saved as; nullptr when there is none.
const TCodeRecord *RecordOfReply(const std::vector<TCodeRecord> &records, const QByteArray &reply);
