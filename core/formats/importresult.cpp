#include "core/formats/importresult.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>
#include <QFile>

QString TRefusal::Text() const
{
    return Name + QString::fromUtf8("：") + Reason;
}

QString RefusalsText(const std::vector<TRefusal> &refused)
{
    QStringList lines;
    for (const TRefusal &r : refused)
        lines << r.Text();
    return lines.join(QLatin1Char('\n'));
}

QString ExportCodeError(const QString &name, const QString &reason)
{
    return QCoreApplication::translate("ImportResult", "编码 %1：%2").arg(name, reason);
}

QString AssumedCarrierNote(int carrierHz)
{
    return QCoreApplication::translate("ImportResult", "没有测得载波的编码按 %1 kHz 导出").arg(carrierHz / 1000);
}

QString RecordNameInFile(const QString &name, std::size_t position)
{
    const QString simple = name.simplified();
    return simple.isEmpty() ? QString::fromUtf8("编码 %1").arg(position) : simple;
}

std::optional<QByteArray> ReadCodeFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QCoreApplication::translate("ImportResult", "无法读取 %1：%2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > textscan::MaxFileBytes) {
        error = QCoreApplication::translate("ImportResult", "文件 %1 超过 %2 MB")
            .arg(path).arg(textscan::MaxFileBytes >> 20);
        return std::nullopt;
    }
    return file.readAll();
}

TImport ImportCodeLines(const QByteArray &text, const QString &unnamed, const QString &noCodes,
                        const std::function<std::optional<QString>(std::string_view line, TIrCode &code)> &read)
{
    using namespace textscan;
    TImport in;
    std::vector<TCodeRecord> records;
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    std::string_view line;
    QString name;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty())
            continue;
        if (t.front() == '#') {
            const std::string_view n = Trim(t.substr(1));
            name = ToQString(n);
            continue;
        }
        TCodeRecord r;
        if (const auto e = read(t, r.Code)) {
            in.Error = LineError(lines.Number(), *e);
            return in;
        }
        if (r.Code.DurationsUs.empty())
            continue;
        r.Name = name.isEmpty() ? unnamed.arg(records.size() + 1) : name;
        name.clear();
        records.push_back(std::move(r));
    }
    if (records.empty()) {
        in.Error = noCodes;
        return in;
    }
    in.Records = std::move(records);
    return in;
}
