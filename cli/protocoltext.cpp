#include "cli/protocoltext.h"

#include "core/protocols/protocols.h"

namespace {

QString hexNumber(uint32_t value)
{
    return QStringLiteral("0x%1").arg(value, value > 0xFF ? 4 : 2, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("0X"), QLatin1String("0x"));
}

int marks(const std::vector<int> &durationsUs)
{
    return static_cast<int>((durationsUs.size() + 1) / 2);
}

} // namespace

QString ProtocolText(const std::vector<int> &durationsUs)
{
    const std::optional<TProtocolCode> code = IdentifyCode(durationsUs);
    if (!code)
        return QStringLiteral("unidentified (%1 marks)").arg(marks(durationsUs));
    return QStringLiteral("%1  address %2  command %3  (%4 bits)")
        .arg(code->Protocol, hexNumber(code->Address), hexNumber(code->Command))
        .arg(code->Bits);
}

QString RecordTitle(const TCodeRecord &record)
{
    return record.Remote.isEmpty() ? record.Name : record.Remote + QLatin1Char('/') + record.Name;
}

QJsonObject ProtocolJson(const TCodeRecord &record)
{
    QJsonObject json{{QStringLiteral("name"), record.Name}, {QStringLiteral("remote"), record.Remote}};
    const std::optional<TProtocolCode> code = IdentifyCode(record.Code.DurationsUs);
    if (!code) {
        json.insert(QStringLiteral("protocol"), QJsonValue::Null);
        json.insert(QStringLiteral("marks"), marks(record.Code.DurationsUs));
        return json;
    }
    json.insert(QStringLiteral("protocol"), code->Protocol);
    json.insert(QStringLiteral("address"), static_cast<qint64>(code->Address));
    json.insert(QStringLiteral("command"), static_cast<qint64>(code->Command));
    json.insert(QStringLiteral("bits"), code->Bits);
    json.insert(QStringLiteral("hint"), ProtocolHint(*code));
    if (!code->Data.isEmpty())
        json.insert(QStringLiteral("data"), QString::fromLatin1(code->Data.toHex(' ').toUpper()));
    return json;
}
