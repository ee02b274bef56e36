#include "core/codelibrary.h"

#include "core/formats/textscan.h"
#include "core/hextext.h"
#include "core/moduleframe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <charconv>
#include <iterator>
#include <string>

using namespace textscan;

const char *const CodeLibraryHeader = "irtool-codes 1";

namespace {

QString escape(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r"); // a reader takes a lone one for a line's end
        else if (c == u' ' && (i == 0 || i + 1 == s.size()))
            out += QStringLiteral("\\s"); // a reader trims the value's ends
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescape(std::string_view v)
{
    if (v.find('\\') == std::string_view::npos)
        return ToQString(v);
    std::string out;
    out.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\') {
            out += v[i];
            continue;
        }
        if (++i == v.size())
            return std::nullopt;
        if (v[i] == 'n')
            out += '\n';
        else if (v[i] == 'r')
            out += '\r';
        else if (v[i] == 's')
            out += ' ';
        else if (v[i] == '\\')
            out += '\\';
        else
            return std::nullopt;
    }
    return ToQString(out);
}

void appendField(QByteArray &out, const char *key, const QString &value)
{
    if (value.isEmpty())
        return;
    out += key;
    out += ": ";
    out += escape(value).toUtf8();
    out += '\n';
}

void appendTimings(QByteArray &out, const std::vector<int> &d)
{
    out += "timings:";
    char buffer[16];
    for (size_t i = 0; i < d.size(); ++i) {
        const int v = i % 2 == 0 ? d[i] : -d[i];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
        out += ' ';
        out.append(buffer, r.ptr - buffer);
    }
    out += '\n';
}

// Signed microseconds, a mark first; the signs must alternate.
std::optional<QString> parseTimings(std::string_view v, std::vector<int> &out)
{
    out.clear();
    out.reserve(v.size() / 4);
    for (std::string_view t = NextToken(v); !t.empty(); t = NextToken(v)) {
        const std::optional<long long> n = ParseInt(t);
        if (!n)
            return QCoreApplication::translate("CodeLibrary", "时长 %1 不是整数").arg(Quote(t));
        // Nothing can emit a pulse or a pause of no length, and no export could write one back.
        if (*n == 0)
            return QCoreApplication::translate("CodeLibrary", "第 %1 个时长 %2 为 0 微秒，时长至少 1 微秒")
                .arg(out.size() + 1).arg(Quote(t));
        const bool mark = out.size() % 2 == 0;
        if ((*n > 0) != mark)
            return WrongSignError(out.size(), *n);
        const long long magnitude = *n < 0 ? -*n : *n;
        if (magnitude > MaxDurationUs)
            return QCoreApplication::translate("CodeLibrary", "时长 %1 微秒超过 %2 微秒").arg(magnitude).arg(MaxDurationUs);
        out.push_back(static_cast<int>(magnitude));
    }
    if (out.empty())
        return QCoreApplication::translate("CodeLibrary", "timings 没有时长");
    return std::nullopt;
}

std::optional<QString> parseReply(std::string_view v, QByteArray &out)
{
    // Every byte takes at least three characters but the last: room for all, cut to size after.
    out.resize(static_cast<qsizetype>(std::min<size_t>(v.size() / 3 + 1, MaxHexTextBytes + 1)));
    char *const bytes = out.data();
    qsizetype n = 0;
    for (std::string_view t = NextToken(v); !t.empty(); t = NextToken(v)) {
        const long long byte = t.size() == 2 ? ParseInt(t, 16).value_or(-1) : -1;
        if (byte < 0) {
            out.clear();
            return QCoreApplication::translate("CodeLibrary", "回复字节 %1 不是两位十六进制数").arg(Quote(t));
        }
        if (n == MaxHexTextBytes) {
            out.clear();
            return QCoreApplication::translate("CodeLibrary", "回复超过 %1 字节").arg(MaxHexTextBytes);
        }
        bytes[n++] = static_cast<char>(byte);
    }
    out.truncate(n);
    return std::nullopt;
}

class TLibraryParser {
public:
    TLibraryRead Run(const QByteArray &text);

private:
    std::optional<QString> field(std::string_view key, std::string_view value);
    std::optional<QString> finishRecord();

    std::vector<TCodeRecord> records_;
    TCodeRecord current_;
    bool open_ = false;
    unsigned seen_ = 0;
    int replyLine_ = 0;
    int recordLine_ = 0;
    int errorLine_ = 0;
};

TLibraryRead TLibraryParser::Run(const QByteArray &text)
{
    TLibraryRead read;
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    std::string_view line;
    bool headerSeen = false;
    auto fail = [&](int at, const QString &reason) {
        read.Error = LineError(at, reason);
        return read;
    };
    while (lines.Next(line)) {
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;
        if (!headerSeen) {
            if (trimmed != CodeLibraryHeader)
                return fail(lines.Number(), QCoreApplication::translate("CodeLibrary", "不是编码库文件，第一行应为“%1”")
                                               .arg(QString::fromUtf8(CodeLibraryHeader)));
            headerSeen = true;
            continue;
        }
        std::string_view key, value;
        if (!SplitField(trimmed, key, value))
            return fail(lines.Number(), QCoreApplication::translate("CodeLibrary", "应为“名称: 值”，却是 %1")
                .arg(Quote(trimmed)));
        if (key == "code") {
            errorLine_ = recordLine_;
            if (const auto e = finishRecord())
                return fail(errorLine_, *e);
            open_ = true;
            recordLine_ = lines.Number();
        } else if (!open_) {
            return fail(lines.Number(), QCoreApplication::translate("CodeLibrary", "字段 %1 之前缺少“code:”")
                .arg(Quote(key)));
        }
        errorLine_ = lines.Number();
        if (key == "reply")
            replyLine_ = lines.Number();
        if (const auto e = field(key, value))
            return fail(lines.Number(), *e);
    }
    if (!headerSeen && !text.isEmpty())
        return fail(1, QCoreApplication::translate("CodeLibrary", "不是编码库文件，缺少第一行“%1”")
            .arg(QString::fromUtf8(CodeLibraryHeader)));
    errorLine_ = recordLine_;
    if (const auto e = finishRecord())
        return fail(errorLine_, *e);
    read.Records = std::move(records_);
    return read;
}

std::optional<QString> TLibraryParser::field(std::string_view key, std::string_view value)
{
    static const std::string_view keys[] = {"code", "remote", "notes", "protocol", "carrier", "timings", "reply"};
    unsigned bit = 0;
    while (bit < std::size(keys) && keys[bit] != key)
        ++bit;
    if (bit == std::size(keys))
        return QCoreApplication::translate("CodeLibrary", "未知字段 %1").arg(Quote(key));
    if (seen_ & (1u << bit))
        return QCoreApplication::translate("CodeLibrary", "同一编码中字段 %1 出现了两次").arg(Quote(key));
    seen_ |= 1u << bit;

    if (key == "timings")
        return parseTimings(value, current_.Code.DurationsUs);
    if (key == "reply")
        return parseReply(value, current_.Code.ModuleReply);
    if (key == "carrier") {
        const std::optional<long long> hz = ParseInt(value);
        if (!hz || (*hz != 0 && (*hz < MinCarrierHz || *hz > MaxCarrierHz)))
            return QCoreApplication::translate("CodeLibrary", "载波 %1 不在 %2 之内")
                .arg(Quote(value)).arg(CarrierRangeText());
        current_.Code.CarrierHz = static_cast<int>(*hz);
        return std::nullopt;
    }
    const std::optional<QString> text = unescape(value);
    if (!text)
        return QCoreApplication::translate("CodeLibrary", "%1 中的反斜杠只能写作 \\\\、\\n、\\r 或 \\s").arg(Quote(value));
    QString &target = key == "code" ? current_.Name : key == "remote" ? current_.Remote
                    : key == "notes" ? current_.Notes : current_.Protocol;
    target = *text;
    if (key == "code" && target.isEmpty())
        return QCoreApplication::translate("CodeLibrary", "编码名称为空");
    return std::nullopt;
}

std::optional<QString> TLibraryParser::finishRecord()
{
    if (!open_)
        return std::nullopt;
    if (current_.Code.DurationsUs.empty())
        return QCoreApplication::translate("CodeLibrary", "编码 %1 缺少“timings:”").arg(current_.Name);
    // The reply is what the emit button sends; the timings are what the user reads. A hand edit
    // of one without the other would make them tell different things.
    if (!current_.Code.ModuleReply.isEmpty()
        && ReplyDurationsUs(current_.Code.ModuleReply) != current_.Code.DurationsUs) {
        errorLine_ = replyLine_;
        return QCoreApplication::translate("CodeLibrary", "编码 %1 的 reply 与 timings 不一致").arg(current_.Name);
    }
    records_.push_back(std::move(current_));
    current_ = TCodeRecord();
    seen_ = 0;
    return std::nullopt;
}

} // namespace

QByteArray FormatCodeLibrary(const std::vector<TCodeRecord> &records)
{
    QByteArray out;
    out += CodeLibraryHeader;
    out += "\n# 红外编码库：每个编码一段，格式见程序文档 docs/code-library.md\n";
    for (const TCodeRecord &r : records) {
        out += '\n';
        out += "code: " + escape(r.Name).toUtf8() + '\n';
        appendField(out, "remote", r.Remote);
        appendField(out, "notes", r.Notes);
        appendField(out, "protocol", r.Protocol);
        if (r.Code.CarrierHz != 0)
            out += "carrier: " + QByteArray::number(r.Code.CarrierHz) + '\n';
        appendTimings(out, r.Code.DurationsUs);
        if (!r.Code.ModuleReply.isEmpty())
            out += "reply: " + BytesToHexText(r.Code.ModuleReply).trimmed().toLatin1() + '\n';
    }
    return out;
}

TLibraryRead ParseCodeLibrary(const QByteArray &text)
{
    return TLibraryParser().Run(text);
}

TLibraryRead LoadCodeLibrary(const QString &path)
{
    TLibraryRead read;
    QFile file(path);
    if (!file.exists()) {
        read.Missing = true;
        return read;
    }
    if (file.size() > MaxFileBytes) {
        read.Error = QCoreApplication::translate("CodeLibrary", "文件 %1 超过 %2 MB").arg(path).arg(MaxFileBytes >> 20);
        return read;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        read.Error = QCoreApplication::translate("CodeLibrary", "无法读取 %1：%2").arg(path, file.errorString());
        return read;
    }
    read = ParseCodeLibrary(file.readAll());
    if (!read.Ok())
        read.Error = QCoreApplication::translate("CodeLibrary", "编码库 %1 %2").arg(path, read.Error);
    return read;
}

QString SaveCodeLibrary(const QString &path, const std::vector<TCodeRecord> &records)
{
    // A record the reader would refuse would make the whole file unreadable.
    for (const TCodeRecord &r : records) {
        if (r.Name.trimmed().isEmpty() || r.Code.DurationsUs.empty())
            return QCoreApplication::translate("CodeLibrary", "编码“%1”没有名称或没有时长，编码库未保存").arg(r.Name);
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QCoreApplication::translate("CodeLibrary", "无法建立文件夹 %1").arg(folder);
    QSaveFile file(path);
    const QByteArray text = FormatCodeLibrary(records);
    if (!file.open(QIODevice::WriteOnly))
        return QCoreApplication::translate("CodeLibrary", "无法写入 %1：%2").arg(path, file.errorString());
    if (file.write(text) != text.size() || !file.commit())
        return QCoreApplication::translate("CodeLibrary", "保存 %1 失败：%2，原文件未改动").arg(path, file.errorString());
    return QString();
}

QString DefaultCodeLibraryPath()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/irtool/codes.txt");
}

size_t PutRecord(std::vector<TCodeRecord> &records, const TCodeRecord &record)
{
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].Name == record.Name && records[i].Remote == record.Remote) {
            records[i] = record;
            return i;
        }
    }
    records.push_back(record);
    return records.size() - 1;
}

const TCodeRecord *RecordOfReply(const std::vector<TCodeRecord> &records, const QByteArray &reply)
{
    for (const TCodeRecord &r : records) {
        if (ReplyForCode(r.Code).Reply == reply)
            return &r;
    }
    return nullptr;
}
