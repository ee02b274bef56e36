#pragma once
// A module frame typed or stored as hex text ("FF 0C 00 FD ... 16"): read strictly, so that a
// mistyped byte is reported where it is instead of being sent as something else.
#include <QByteArray>
#include <QString>

struct THexReading {
    QByteArray Bytes;
    QString Error; // empty when the text was read; else what is wrong and, for files, on which line
};

// Blanks and line breaks separate bytes; every byte is one or two hexadecimal digits, at most
// MaxHexTextBytes of them. where ("FILE" or empty) prefixes the error with "where:LINE: ".
THexReading ReadHexText(const QString &text, const QString &where = {});

// Empty when bytes are a decoded-data frame a module can emit; else why not.
QString EmitFrameProblem(const QByteArray &bytes);
