#pragma once
// The program's text form of byte sequences: "FF 00 00 FE".
#include <QByteArray>
#include <QString>

constexpr int MaxHexTextBytes = 1000;

// Two upper-case digits and one blank per byte; the result ends with a blank.
QString BytesToHexText(const QByteArray &bytes);

enum class THexParse { Lenient, Strict };

// At most MaxHexTextBytes bytes; further tokens are ignored. Lenient reads every token as a
// base-16 number as far as it goes (commands). Strict requires every token but the last to be
// a hexadecimal number and raises EConvertError otherwise (replies from modules).
QByteArray HexTextToBytes(const QString &text, THexParse form);
