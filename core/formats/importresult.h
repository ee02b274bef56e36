#pragma once
// What reading a code file gives: every code it holds, or an error naming the line and no codes.
#include "core/codelibrary.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

struct TImport {
    std::vector<TCodeRecord> Records;
    QString Error;       // empty when the file was read whole
    QStringList Refused; // records read but not taken, each with its name and the reason

    bool Ok() const { return Error.isEmpty(); }
};

struct TExport {
    QByteArray Text;
    QString Error; // empty when every code was written
    QString Note;  // something the user should know about the file, e.g. an assumed carrier
};

// Reads a file for an importer: refuses missing, unreadable and oversized files.
std::optional<QByteArray> ReadCodeFile(const QString &path, QString &error);

// Reads a file of one code a line, each named by an optional "# name" line before it; blank lines
// and lines without durations are passed over. read fills a code from one line or says why it
// cannot. Unnamed codes are called unnamed.arg(n); a file without any code gives noCodes.
TImport ImportCodeLines(const QByteArray &text, const QString &unnamed, const QString &noCodes,
                        const std::function<std::optional<QString>(std::string_view line, TIrCode &code)> &read);
