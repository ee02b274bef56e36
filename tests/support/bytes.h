#pragma once
#include <QByteArray>

#include <initializer_list>

namespace testsupport {

// Bytes written as numbers, for tables of frames.
inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// Bytes written in hex as a protocol trace shows them ("FF 0C 00"); the spaces are skipped.
inline QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace testsupport
