#pragma once
// One entry to every exchange format, for the window and the command line: the list of formats
// with their file filters, reading a file whose format is told by its contents, and writing codes
// in a chosen format.
#include "core/formats/importresult.h"

#include <QStringList>

enum class TCodeFormat { Pronto, Raw, Csv, Lirc, IrFile, GlobalCache, Broadlink, BroadlinkHex, BroadlinkStore, Tasmota };

struct TFormatInfo {
    TCodeFormat Format;
    QString Filter;     // for file dialogs, e.g. "Pronto Hex (*.txt)"
    QString Suffix;     // without the dot
    bool Exports = true; // false for formats that are only read
};

const std::vector<TFormatInfo> &CodeFormats();
const TFormatInfo &FormatInfo(TCodeFormat format);
// The format whose filter is given, else std::nullopt.
std::optional<TCodeFormat> FormatOfFilter(const QString &filter);

// "编码文件 (...)" with the file patterns of every format, for choosing a file to import.
QString ImportFileFilter();

// Told by the first lines: a signal-file header, a LIRC remote, a JSON code store, a sendir command,
// a blaster packet, Pronto words, CSV rows, a Tasmota line, else raw.
TCodeFormat GuessFormat(const QByteArray &text);

TImport ImportCodes(const QByteArray &text);
TImport ImportCodeFile(const QString &path);

// remoteName names the LIRC remote; the other formats ignore it.
TExport ExportCodes(TCodeFormat format, const std::vector<TCodeRecord> &records, const QString &remoteName);
// Writes through a temporary file; an empty result means success.
QString WriteCodeFile(const QString &path, const QByteArray &text);
