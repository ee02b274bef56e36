#include "core/formats/rawtimings.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>

using namespace textscan;

namespace {

const char *const CsvHeader = "index,level,duration_us";

std::optional<QString> checkDuration(long long us, size_t index)
{
    if (us < 1 || us > MaxDurationUs)
        return QCoreApplication::translate("RawTimings", "第 %1 个时长 %2 微秒不在 1 到 %3 微秒之内")
            .arg(index + 1).arg(us).arg(MaxDurationUs);
    return std::nullopt;
}

std::optional<QString> readSigned(std::string_view line, std::vector<int> &out)
{
    while (!line.empty() && (line.front() == '[' || line.front() == ' '))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == ']' || line.back() == ' '))
        line.remove_suffix(1);
    for (std::string_view t = NextToken(line); !t.empty(); t = NextToken(line)) {
        const std::optional<long long> n = ParseInt(t);
        if (!n)
            return QCoreApplication::translate("RawTimings", "%1 不是整数").arg(Quote(t));
        const bool mark = out.size() % 2 == 0;
        if ((*n > 0) != mark)
            return WrongSignError(out.size(), *n);
        if (const auto e = checkDuration(*n < 0 ? -*n : *n, out.size()))
            return e;
        out.push_back(static_cast<int>(*n < 0 ? -*n : *n));
    }
    return std::nullopt;
}

} // namespace

TExport ExportRaw(const std::vector<TCodeRecord> &records)
{
    TExport out;
    for (const TCodeRecord &r : records) {
        out.Text += "# " + r.Name.simplified().toUtf8() + '\n';
        const std::vector<int> &d = r.Code.DurationsUs;
        for (size_t i = 0; i < d.size(); ++i) {
            if (i > 0)
                out.Text += ' ';
            out.Text += QByteArray::number(i % 2 == 0 ? d[i] : -d[i]);
        }
        out.Text += '\n';
    }
    return out;
}

TImport ImportRaw(const QByteArray &text)
{
    return ImportCodeLines(text, QString::fromUtf8("时序 %1"), QCoreApplication::translate("RawTimings", "文件中没有时序"),
                           [](std::string_view line, TIrCode &code) { return readSigned(line, code.DurationsUs); });
}

TExport ExportCsv(const TCodeRecord &record)
{
    TExport out;
    out.Text = QByteArray(CsvHeader) + '\n';
    const std::vector<int> &d = record.Code.DurationsUs;
    for (size_t i = 0; i < d.size(); ++i)
        out.Text += QByteArray::number(static_cast<qulonglong>(i)) + (i % 2 == 0 ? ",1," : ",0,")
                    + QByteArray::number(d[i]) + '\n';
    return out;
}

TImport ImportCsv(const QByteArray &text)
{
    TImport in;
    TCodeRecord r;
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty() || t.front() == '#' || (r.Code.DurationsUs.empty() && t == CsvHeader))
            continue;
        std::string_view rest = t;
        const std::string_view cells[3] = {NextToken(rest), NextToken(rest), NextToken(rest)};
        const std::optional<long long> index = ParseInt(cells[0]);
        const std::optional<long long> level = ParseInt(cells[1]);
        const std::optional<long long> us = ParseInt(cells[2]);
        auto fail = [&](const QString &reason) {
            in.Error = LineError(lines.Number(), reason);
            return in;
        };
        if (!index || !level || !us || !Trim(rest).empty())
            return fail(QCoreApplication::translate("RawTimings", "应为“序号,电平,微秒”三个整数，却是 %1").arg(Quote(t)));
        const size_t n = r.Code.DurationsUs.size();
        if (*index != static_cast<long long>(n))
            return fail(QCoreApplication::translate("RawTimings", "序号应为 %1，却是 %2").arg(n).arg(*index));
        if (*level != (n % 2 == 0 ? 1 : 0))
            return fail(QCoreApplication::translate("RawTimings", "电平应为 %1（脉冲与间隔交替，以脉冲开始）").arg(n % 2 == 0 ? 1 : 0));
        if (const auto e = checkDuration(*us, n))
            return fail(*e);
        r.Code.DurationsUs.push_back(static_cast<int>(*us));
    }
    if (r.Code.DurationsUs.empty()) {
        in.Error = QCoreApplication::translate("RawTimings", "文件中没有时序");
        return in;
    }
    r.Name = QString::fromUtf8("CSV 时序");
    in.Records.push_back(std::move(r));
    return in;
}
