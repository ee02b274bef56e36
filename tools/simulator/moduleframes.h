#pragma once
// The frames a module exchanges with the program over TCP: FF, two length digits (low, high; the
// length is low + 255 * high), a type byte, then for data frames the payload and a trailer byte.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace irsim {

constexpr quint8 FrameStart = 0xFF;
constexpr quint8 TypeLearn = 0xFE;
constexpr quint8 TypeCode = 0xFD;
constexpr quint8 TypeParameters = 0xFC;
constexpr quint8 TypeParameterRead = 0xFB;
constexpr quint8 TypeKeepAlive = 0xFA;
constexpr quint8 CodeEndMark = 0x16;
// Longer announced payloads are taken for line noise rather than waited for.
constexpr int MaxPayload = 4000;

QByteArray LearnCommand();        // FF 00 00 FE
QByteArray KeepAliveCommand();    // FF 00 00 FA; the module answers it with the same four bytes
QByteArray EmitDoneReply();       // FF 00 00 FD
QByteArray ConfigDoneReply();     // FF 00 00 FC
// A decoded-data frame whose length digit stays below 10 reads as a time-out to the program, so
// the time-out reply is the shortest such frame: FF 01 00 FD.
QByteArray DecodeTimeoutReply();
// FF l1 l2 FD, the encoded durations, end mark 16.
QByteArray DecodedDataReply(const std::vector<int> &durations);

// The durations of a decoded-data frame (header, data, end mark), without the end mark and
// without anything after it; empty when the frame is not one.
std::vector<int> CodeDurations(const QByteArray &frame);
// Sum of CodeDurations in units of 10 us: how long emitting the code takes.
qint64 CodeLength(const QByteArray &frame);

enum class TFrameKind { Learn, KeepAlive, Code, ParameterWrite, ParameterRead, Clear, Unknown };

struct TFrame {
    TFrameKind Kind;
    QByteArray Bytes;
};

QString FrameKindName(TFrameKind kind);

// Cuts the byte stream of one connection into frames. Bytes that start no known frame come out
// as Unknown frames, up to the next byte that could start one, so nothing goes unreported.
class TFrameReader {
public:
    void Append(const QByteArray &bytes);
    // The next complete frame, or nothing while the buffered bytes are only the start of one.
    std::optional<TFrame> Next();
    // The bytes of an unfinished frame, removed from the reader.
    QByteArray TakePending();
    bool HasPending() const { return !Buffer.isEmpty(); }

private:
    TFrame take(TFrameKind kind, qsizetype count);
    TFrame takeUnknown();
    QByteArray Buffer;
};

} // namespace irsim
