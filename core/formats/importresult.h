#pragma once
// What reading a code file gives: every code it holds, or an error naming the line and no codes.
#include "core/codelibrary.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// A record (or a remote) that was read but not taken.
struct TRefusal {
    QString Name;
    QString Reason;

    QString Text() const; // "name：reason"
};

// A file read whole may still leave records out: Records holds what was taken, Refused what was
// not, and every caller shows both, so that nothing is left out without a word.
struct TImport {
    std::vector<TCodeRecord> Records;
    QString Error;                 // empty when the file was read whole
    std::vector<TRefusal> Refused; // records read but not taken

    bool Ok() const { return Error.isEmpty(); }
};

// Every reason, one a line, for a file from which nothing could be taken.
QString RefusalsText(const std::vector<TRefusal> &refused);

struct TExport {
    QByteArray Text;
    QString Error; // empty when every code was written
    QString Note;  // something the user should know about the file, e.g. an assumed carrier
};

// The error of an export that stops at a code it cannot write.
QString ExportCodeError(const QString &name, const QString &reason);
// The note of an export that wrote the codes without a measured carrier at a default one.
QString AssumedCarrierNote(int carrierHz);

// The name a record goes by in a file: its name on one line, or, for a name of blanks only (as the
// full-width blank of an input method), "编码 N" after its position from 1, which any reader takes.
QString RecordNameInFile(const QString &name, std::size_t position);

// Reads a file for an importer: refuses missing, unreadable and oversized files.
std::optional<QByteArray> ReadCodeFile(const QString &path, QString &error);

// Reads a file of one code a line, each named by an optional "# name" line before it; blank lines
// and lines without durations are passed over. read fills a code from one line or says why it
// cannot. Unnamed codes are called unnamed.arg(n); a file without any code gives noCodes.
TImport ImportCodeLines(const QByteArray &text, const QString &unnamed, const QString &noCodes,
                        const std::function<std::optional<QString>(std::string_view line, TIrCode &code)> &read);
