#pragma once
// One entry to every exchange format, for the window and the command line: the list of formats
// with their file filters, reading a file whose format is told by its contents, and writing codes
// in a chosen format.
#include "core/formats/importresult.h"

#include <QStringList>

enum class TCodeFormat { Pronto, Raw, Csv, Lirc, IrFile, GlobalCache, Broadlink, BroadlinkHex, BroadlinkStore, Tasmota };

// Name and Filter are the untranslated texts; FormatName() and FormatFilter() give them in the
// window's language.
struct TFormatInfo {
    TCodeFormat Format;
    QString Name;         // for the log, e.g. "LIRC"
    QString Filter;       // for file dialogs, e.g. "Pronto Hex (*.txt)"
    QStringList Suffixes; // the suffixes of the filter, without the dot; the first is given to new files
    bool Exports = true;  // false for formats that are only read
};

const std::vector<TFormatInfo> &CodeFormats();
const TFormatInfo &FormatInfo(TCodeFormat format);
QString FormatName(TCodeFormat format);
QString FormatFilter(TCodeFormat format);
// The format whose filter is given, translated or not, else std::nullopt.
std::optional<TCodeFormat> FormatOfFilter(const QString &filter);

// "编码文件 (...)" with the file patterns of every format, for choosing a file to import.
QString ImportFileFilter();

// The format that can be written which a file's name says by its suffix, in any case; std::nullopt
// when no such format claims the suffix. Where several formats share it (".txt"), the preferred one when it is among them, else the
// first of them in CodeFormats().
std::optional<TCodeFormat> FormatOfFileName(const QString &path, TCodeFormat preferred);

struct TExportTarget {
    QString Path;
    TCodeFormat Format;
};
// Where codes exported to a typed path go and in which format: the one its suffix says, whatever
// was chosen in the dialog's type list; else the chosen one, whose first suffix is added to a file
// name without any.
TExportTarget ExportTarget(const QString &path, TCodeFormat chosen);

// Told by the first lines: a signal-file header, a LIRC remote, a JSON code store, a sendir command,
// a blaster packet, Pronto words, CSV rows, a Tasmota line, else raw.
TCodeFormat GuessFormat(const QByteArray &text);

// Every code read carries its protocol (ProtocolHint) when the file does not name one and it is
// recognised.
TImport ImportCodes(const QByteArray &text);
TImport ImportCodeFile(const QString &path);

// remoteName names the LIRC remote; the other formats ignore it.
TExport ExportCodes(TCodeFormat format, const std::vector<TCodeRecord> &records, const QString &remoteName);
// Writes through a temporary file; an empty result means success.
QString WriteCodeFile(const QString &path, const QByteArray &text);
