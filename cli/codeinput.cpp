#include "cli/codeinput.h"

#include "cli/clioutput.h"
#include "cli/codetext.h"
#include "core/ircode.h"

#include <QFile>

#include <cstdio>

namespace {

[[noreturn]] void badFile(const QString &message)
{
    throw ECliError(ExitFailure, QStringLiteral("bad-file"), message);
}

const std::vector<std::pair<const char *, TCodeFormat>> &formatNames()
{
    static const std::vector<std::pair<const char *, TCodeFormat>> names{{"pronto", TCodeFormat::Pronto},
                                                                         {"raw", TCodeFormat::Raw},
                                                                         {"csv", TCodeFormat::Csv},
                                                                         {"lirc", TCodeFormat::Lirc},
                                                                         {"ir", TCodeFormat::IrFile},
                                                                         {"sendir", TCodeFormat::GlobalCache},
                                                                         {"broadlink", TCodeFormat::Broadlink},
                                                                         {"broadlink-hex", TCodeFormat::BroadlinkHex}};
    return names;
}

} // namespace

std::optional<TCodeFormat> FormatByName(const QString &name)
{
    for (const auto &[text, format] : formatNames())
        if (name.toLower() == QLatin1String(text))
            return format;
    return std::nullopt;
}

QString FormatNames()
{
    QStringList names;
    for (const auto &entry : formatNames())
        names.append(QString::fromUtf8(entry.first));
    return names.join(QLatin1Char('|'));
}

QByteArray ReadInput(const QString &path)
{
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        badFile(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return file.readAll();
}

std::vector<TCodeRecord> CodesFromText(const QByteArray &text, const QString &where, TCliOutput &out)
{
    const THexReading hex = ReadHexText(QString::fromUtf8(text));
    if (hex.Error.isEmpty() && EmitFrameProblem(hex.Bytes).isEmpty()) {
        TCodeRecord record;
        record.Name = QStringLiteral("learned");
        record.Code = CodeFromReply(hex.Bytes);
        return {record};
    }
    if (text.startsWith(CodeLibraryHeader)) {
        const TLibraryRead library = ParseCodeLibrary(text);
        if (!library.Ok())
            badFile(QStringLiteral("%1: %2").arg(where, library.Error));
        return library.Records;
    }
    const TImport import = ImportCodes(text);
    if (!import.Ok())
        badFile(QStringLiteral("%1: %2").arg(where, import.Error));
    for (const TRefusal &r : import.Refused)
        out.Refused(r.Name, r.Reason);
    if (import.Records.empty())
        badFile(QStringLiteral("%1: none of its %2 record(s) could be taken:\n%3")
                    .arg(where)
                    .arg(import.Refused.size())
                    .arg(RefusalsText(import.Refused)));
    return import.Records;
}

TCodeRecord LibraryRecord(const QString &path, const QString &name, const QString &remote)
{
    const TLibraryRead library = LoadCodeLibrary(path);
    if (library.Missing)
        badFile(QStringLiteral("%1: no such library").arg(path));
    if (!library.Ok())
        badFile(QStringLiteral("%1: %2").arg(path, library.Error));
    for (const TCodeRecord &r : library.Records)
        if (r.Name == name && (remote.isNull() || r.Remote == remote))
            return r;
    throw ECliError(ExitFailure, QStringLiteral("not-found"),
                    remote.isNull() ? QStringLiteral("%1: no code named \"%2\"").arg(path, name)
                                    : QStringLiteral("%1: no code named \"%2\" of remote \"%3\"").arg(path, name, remote));
}

void PutIntoLibrary(const QString &path, const std::vector<TCodeRecord> &records)
{
    TLibraryRead library = LoadCodeLibrary(path);
    if (!library.Ok() && !library.Missing)
        badFile(QStringLiteral("%1: %2").arg(path, library.Error));
    for (const TCodeRecord &r : records)
        PutRecord(library.Records, r);
    if (const QString error = SaveCodeLibrary(path, library.Records); !error.isEmpty())
        throw ECliError(ExitFailure, QStringLiteral("write"), error);
}

void WriteCodes(const QString &path, TCodeFormat format, const std::vector<TCodeRecord> &records, const QString &remote)
{
    const TExport out = ExportCodes(format, records, remote);
    if (!out.Error.isEmpty())
        throw ECliError(ExitFailure, QStringLiteral("export"), out.Error);
    if (const QString error = WriteCodeFile(path, out.Text); !error.isEmpty())
        throw ECliError(ExitFailure, QStringLiteral("write"), error);
}
