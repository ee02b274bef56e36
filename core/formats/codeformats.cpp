#include "core/formats/codeformats.h"

#include "core/formats/broadlink.h"
#include "core/formats/globalcache.h"
#include "core/formats/irfile.h"
#include "core/formats/lirc.h"
#include "core/formats/pronto.h"
#include "core/formats/rawtimings.h"
#include "core/formats/tasmota.h"
#include "core/formats/textscan.h"

#include "core/protocols/protocols.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

using namespace textscan;

const std::vector<TFormatInfo> &CodeFormats()
{
    static const std::vector<TFormatInfo> formats = {
        {TCodeFormat::IrFile, QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "红外信号文件")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "红外信号文件 (*.ir)")), {"ir"}},
        {TCodeFormat::Lirc, QStringLiteral("LIRC"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "LIRC 配置 (*.conf *.lircd.conf)")), {"lircd.conf", "conf"}},
        {TCodeFormat::Pronto, QStringLiteral("Pronto Hex"), QString::fromUtf8("Pronto Hex (*.txt *.pronto)"), {"txt", "pronto"}},
        {TCodeFormat::Raw, QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "原始时序")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "原始时序，微秒 (*.txt *.raw)")), {"raw", "txt"}},
        {TCodeFormat::Csv, QStringLiteral("CSV"), QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "CSV 时序 (*.csv)")),
         {"csv"}},
        {TCodeFormat::GlobalCache, QStringLiteral("Global Caché sendir"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "Global Caché sendir 命令 (*.txt *.sendir)")), {"sendir", "txt"}},
        {TCodeFormat::Broadlink, QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "博联 base64")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "博联数据包，base64 (*.txt *.b64)")), {"b64", "txt"}},
        {TCodeFormat::BroadlinkHex, QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "博联十六进制")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "博联数据包，十六进制 (*.txt *.hex)")), {"hex", "txt"}},
        {TCodeFormat::BroadlinkStore, QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "Home Assistant 博联编码库")),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "Home Assistant 博联编码库 (*_codes *.json)")), {"json"}, false},
        {TCodeFormat::Tasmota, QStringLiteral("Tasmota"),
         QString::fromUtf8(QT_TRANSLATE_NOOP("CodeFormats", "Tasmota 原始时序 (*.txt)")), {"txt"}, false},
    };
    return formats;
}

const TFormatInfo &FormatInfo(TCodeFormat format)
{
    for (const TFormatInfo &f : CodeFormats()) {
        if (f.Format == format)
            return f;
    }
    return CodeFormats().front();
}

QString FormatName(TCodeFormat format)
{
    return QCoreApplication::translate("CodeFormats", FormatInfo(format).Name.toUtf8().constData());
}

QString FormatFilter(TCodeFormat format)
{
    return QCoreApplication::translate("CodeFormats", FormatInfo(format).Filter.toUtf8().constData());
}

std::optional<TCodeFormat> FormatOfFilter(const QString &filter)
{
    for (const TFormatInfo &f : CodeFormats()) {
        if (f.Filter == filter || FormatFilter(f.Format) == filter)
            return f.Format;
    }
    return std::nullopt;
}

QString ImportFileFilter()
{
    QStringList patterns;
    for (const TFormatInfo &f : CodeFormats()) {
        const QString inside = f.Filter.section(u'(', -1).chopped(1);
        for (const QString &p : inside.split(u' ', Qt::SkipEmptyParts))
            if (!patterns.contains(p))
                patterns << p;
    }
    return QCoreApplication::translate("CodeFormats", "编码文件 (%1)").arg(patterns.join(u' '));
}

namespace {

// One token of base64 beginning like an infrared packet ("Jg"), or of hexadecimal beginning with 26.
bool isBlasterPacket(std::string_view t)
{
    if (StartsWith(t, "b64:"))
        return true;
    if (t.size() < 8 || t.find_first_of(" \t,") != std::string_view::npos)
        return false;
    const bool hex = t.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
    return StartsWith(t, "Jg") || (hex && StartsWith(t, "26") && t.size() % 2 == 0);
}

bool isTasmota(std::string_view t)
{
    if (t.size() >= 6 && QByteArray(t.data(), 6).toLower() == "irsend")
        return true;
    const size_t digits = t.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos)
        return false;
    const std::string_view rest = Trim(t.substr(digits));
    if (StartsWith(rest, ",") && StartsWith(Trim(rest.substr(1)), "+"))
        return true;
    return std::count(t.begin(), t.end(), ',') >= 3 && t.find('-') == std::string_view::npos;
}

} // namespace

std::optional<TCodeFormat> FormatOfFileName(const QString &path, TCodeFormat preferred)
{
    const QString name = QFileInfo(path).fileName();
    std::optional<TCodeFormat> named;
    for (const TFormatInfo &f : CodeFormats()) {
        if (!f.Exports)
            continue;
        const bool claims = std::any_of(f.Suffixes.begin(), f.Suffixes.end(), [&](const QString &suffix) {
            return name.endsWith(u'.' + suffix, Qt::CaseInsensitive);
        });
        if (claims && (!named || f.Format == preferred))
            named = f.Format;
    }
    return named;
}

TExportTarget ExportTarget(const QString &path, TCodeFormat chosen)
{
    if (const std::optional<TCodeFormat> named = FormatOfFileName(path, chosen))
        return {path, *named};
    if (QFileInfo(path).fileName().contains(u'.'))
        return {path, chosen};
    return {path + u'.' + FormatInfo(chosen).Suffixes.front(), chosen};
}

TCodeFormat GuessFormat(const QByteArray &text)
{
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(std::min<qsizetype>(text.size(), 64 * 1024))));
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty() || t.front() == '#')
            continue;
        if (StartsWith(t, "Filetype:"))
            return TCodeFormat::IrFile;
        if (StartsWith(t, "begin remote"))
            return TCodeFormat::Lirc;
        if (t == "index,level,duration_us")
            return TCodeFormat::Csv;
        if (t.front() == '{')
            return TCodeFormat::BroadlinkStore;
        if (StartsWith(t, "sendir,"))
            return TCodeFormat::GlobalCache;
        if (isBlasterPacket(t))
            return TCodeFormat::Broadlink;
        if (isTasmota(t))
            return TCodeFormat::Tasmota;
        std::string_view rest = t;
        auto word = [](std::string_view w) {
            return w.size() == 4 && w.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
        };
        const std::string_view first = NextToken(rest);
        if (word(first) && word(NextToken(rest)) && t.find('-') == std::string_view::npos)
            return TCodeFormat::Pronto;
        if (std::count(t.begin(), t.end(), ',') == 2 && t.find('-') == std::string_view::npos)
            return TCodeFormat::Csv;
        return TCodeFormat::Raw;
    }
    return TCodeFormat::Raw;
}

namespace {

TImport importAs(TCodeFormat format, const QByteArray &text)
{
    switch (format) {
    case TCodeFormat::Pronto:
        return ImportPronto(text);
    case TCodeFormat::Raw:
        return ImportRaw(text);
    case TCodeFormat::Csv:
        return ImportCsv(text);
    case TCodeFormat::Lirc:
        return ImportLirc(text);
    case TCodeFormat::IrFile:
        return ImportIrFile(text);
    case TCodeFormat::GlobalCache:
        return ImportGlobalCache(text);
    case TCodeFormat::Broadlink:
    case TCodeFormat::BroadlinkHex:
        return ImportBroadlink(text);
    case TCodeFormat::BroadlinkStore:
        return ImportBroadlinkStore(text);
    case TCodeFormat::Tasmota:
        return ImportTasmota(text);
    }
    return ImportRaw(text);
}

} // namespace

TImport ImportCodes(const QByteArray &text)
{
    TImport in = importAs(GuessFormat(text), text);
    // A code from a file is kept with its protocol, as a learned one is, when it is recognised.
    for (TCodeRecord &r : in.Records) {
        if (r.Protocol.isEmpty())
            r.Protocol = ProtocolHint(r.Code.DurationsUs);
    }
    return in;
}

TImport ImportCodeFile(const QString &path)
{
    TImport in;
    const std::optional<QByteArray> text = ReadCodeFile(path, in.Error);
    if (!text)
        return in;
    in = ImportCodes(*text);
    if (!in.Ok())
        in.Error = QString::fromUtf8("%1 %2").arg(path, in.Error);
    return in;
}

TExport ExportCodes(TCodeFormat format, const std::vector<TCodeRecord> &records, const QString &remoteName)
{
    if (records.empty()) {
        TExport out;
        out.Error = QCoreApplication::translate("CodeFormats", "没有选择编码");
        return out;
    }
    switch (format) {
    case TCodeFormat::Pronto:
        return ExportPronto(records);
    case TCodeFormat::Raw:
        return ExportRaw(records);
    case TCodeFormat::Csv:
        if (records.size() > 1) {
            TExport out;
            out.Error = QCoreApplication::translate("CodeFormats", "CSV 文件只能保存一个编码，却选了 %1 个").arg(records.size());
            return out;
        }
        return ExportCsv(records.front());
    case TCodeFormat::Lirc:
        return ExportLirc(remoteName, records);
    case TCodeFormat::IrFile:
        return ExportIrFile(records);
    case TCodeFormat::GlobalCache:
        return ExportGlobalCache(records);
    case TCodeFormat::Broadlink:
        return ExportBroadlink(records);
    case TCodeFormat::BroadlinkHex:
        return ExportBroadlinkHex(records);
    case TCodeFormat::BroadlinkStore:
    case TCodeFormat::Tasmota:
        break;
    }
    TExport out;
    out.Error = QCoreApplication::translate("CodeFormats", "%1 只能导入，不能导出").arg(FormatFilter(format));
    return out;
}

QString WriteCodeFile(const QString &path, const QByteArray &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("CodeFormats", "无法写入 %1：%2").arg(path, file.errorString());
    if (file.write(text) != text.size() || !file.commit())
        return QCoreApplication::translate("CodeFormats", "写入 %1 失败：%2").arg(path, file.errorString());
    return QString();
}
