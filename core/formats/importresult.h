#pragma once
// What reading a code file gives: every code it holds, or an error naming the line and no codes.
#include "core/codelibrary.h"

#include <QStringList>

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
