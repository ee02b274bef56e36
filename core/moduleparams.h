#pragma once
// The module's network parameter block and the frames that carry it: the 37-byte parameter
// write, the read request, and the recognition of read replies and write acknowledgements.
#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

constexpr int ParameterEditCount = 24;
constexpr int ParameterFrameSize = 37;

// Texts of the configuration window's 24 edits, index 0 holding Edit1.
using TParameterTexts = std::array<QString, ParameterEditCount>;

// What the window shows and the settings file falls back to, Edit1 first.
extern const char *const ParameterDefaults[ParameterEditCount];

const QByteArray &ReadRequestFrame();

// Converts the edits in the module's order (IP, gateway, mask, port, target IP, target port, then
// the MAC), raising EConvertError at the first text that is not a decimal integer. Bytes take
// the low 8 bits; ports go high byte first.
QByteArray BuildParameterFrame(const TParameterTexts &edits, int workMode, bool restartOnTimeout);

struct TReadReply {
    TParameterTexts Edits;
    int WorkMode;          // the byte as received
    bool RestartOnTimeout; // byte value 1 only
};

// A read reply needs all 37 bytes; a shorter package is not one.
std::optional<TReadReply> ParseReadReply(const QByteArray &package);
bool IsWriteAcknowledgement(const QByteArray &package);
