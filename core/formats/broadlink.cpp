#include "core/formats/broadlink.h"

#include "core/formats/repeatshape.h"
#include "core/formats/textscan.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace textscan;

namespace {

constexpr unsigned char InfraredType = 0x26;
constexpr int MaxTicks = 0xFFFF;
constexpr int MaxCopies = 256;
// Written out, a packet's repeats may not make a code longer than this.
constexpr size_t MaxRepeatedDurations = 100'000;

QString hexByte(unsigned char b)
{
    return QString::fromLatin1(QByteArray(1, static_cast<char>(b)).toHex().toUpper());
}

bool allHex(std::string_view s)
{
    return s.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

// A line's packet: base64 (with or without "b64:") or hexadecimal, blanks between parts allowed.
std::optional<QString> packetOfText(std::string_view line, QByteArray &packet)
{
    if (StartsWith(line, "b64:"))
        line.remove_prefix(4);
    QByteArray joined;
    for (std::string_view t = NextToken(line); !t.empty(); t = NextToken(line))
        joined.append(t.data(), static_cast<qsizetype>(t.size()));
    const std::string_view all(joined.constData(), static_cast<size_t>(joined.size()));
    if (allHex(all)) {
        if (all.size() % 2 != 0)
            return QCoreApplication::translate("Broadlink", "十六进制数据包 %1 的位数是奇数").arg(Quote(all));
        packet = QByteArray::fromHex(joined);
        return std::nullopt;
    }
    auto decoded = QByteArray::fromBase64Encoding(joined, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QCoreApplication::translate("Broadlink", "%1 既不是 base64 也不是十六进制").arg(Quote(all));
    packet = *decoded;
    return std::nullopt;
}

std::optional<QString> readLine(std::string_view line, TIrCode &code)
{
    QByteArray packet;
    if (const auto e = packetOfText(line, packet))
        return e;
    return ReadBroadlinkPacket(packet, code);
}

TExport exportLines(const std::vector<TCodeRecord> &records, bool hex)
{
    TExport out;
    bool carrier = false;
    for (const TCodeRecord &r : records) {
        QByteArray packet;
        if (const auto e = WriteBroadlinkPacket(r.Code, packet)) {
            out.Error = ExportCodeError(r.Name, *e);
            out.Text.clear();
            return out;
        }
        out.Text += "# " + r.Name.simplified().toUtf8() + '\n' + (hex ? packet.toHex() : packet.toBase64()) + '\n';
        carrier = carrier || r.Code.CarrierHz != 0;
    }
    if (carrier)
        out.Note = QCoreApplication::translate("Broadlink", "博联数据包不带载波，测得的载波未写入，设备按自己的载波发送");
    return out;
}

} // namespace

std::optional<QString> ReadBroadlinkPacket(const QByteArray &packet, TIrCode &code)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(packet[i]); };
    if (packet.size() < 4)
        return QCoreApplication::translate("Broadlink", "博联数据包只有 %1 字节，至少要有 4 字节").arg(packet.size());
    if (at(0) == 0xB2 || at(0) == 0xD7)
        return QCoreApplication::translate("Broadlink", "这是射频数据包（首字节 %1），不是红外").arg(hexByte(at(0)));
    if (at(0) != InfraredType)
        return QCoreApplication::translate("Broadlink", "首字节 %1 不是红外数据包的 26").arg(hexByte(at(0)));
    const int copies = at(1) + 1;
    const qsizetype length = at(2) | (at(3) << 8);
    if (length > packet.size() - 4)
        return QCoreApplication::translate("Broadlink", "长度字段为 %1 字节，数据包只有 %2 字节").arg(length).arg(packet.size() - 4);
    std::vector<int> durations;
    for (qsizetype i = 4; i < 4 + length;) {
        int ticks = at(i++);
        if (ticks == 0) {
            if (i + 2 > packet.size())
                return QCoreApplication::translate("Broadlink", "第 %1 个时长在数据包末尾被截断").arg(durations.size() + 1);
            ticks = (at(i) << 8) | at(i + 1);
            i += 2;
            if (ticks == 0)
                return QCoreApplication::translate("Broadlink", "第 %1 个时长为 0").arg(durations.size() + 1);
        }
        durations.push_back(static_cast<int>(std::lround(ticks * BroadlinkTickUs)));
    }
    if (durations.empty())
        return QCoreApplication::translate("Broadlink", "数据包没有时长");
    if (copies > 1 && durations.size() % 2 != 0)
        return QCoreApplication::translate("Broadlink", "重复 %1 次的数据包应以间隔结束，它却以脉冲结束").arg(copies - 1);
    if (durations.size() * static_cast<size_t>(copies) > MaxRepeatedDurations)
        return QCoreApplication::translate("Broadlink", "重复 %1 次后有 %2 个时长，超过 %3 个")
            .arg(copies - 1).arg(durations.size() * static_cast<size_t>(copies)).arg(MaxRepeatedDurations);
    code.DurationsUs = RepeatTail(durations, 0, copies);
    code.CarrierHz = 0;
    return std::nullopt;
}

std::optional<QString> WriteBroadlinkPacket(const TIrCode &code, QByteArray &packet)
{
    if (code.DurationsUs.empty())
        return QCoreApplication::translate("Broadlink", "编码没有时长");
    const TRepeatShape shape = FindRepeatShape(code.DurationsUs, MaxCopies, true);
    QByteArray stream;
    for (size_t i = 0; i < shape.Block; ++i) {
        const int us = code.DurationsUs[i];
        const long long ticks = std::max(1LL, std::llround(us / BroadlinkTickUs));
        if (ticks > MaxTicks)
            return QCoreApplication::translate("Broadlink", "时长 %1 微秒超过博联的上限 %2 微秒")
                .arg(us).arg(std::lround(MaxTicks * BroadlinkTickUs));
        if (ticks < 256) {
            stream += static_cast<char>(ticks);
        } else {
            stream += '\0';
            stream += static_cast<char>(ticks >> 8);
            stream += static_cast<char>(ticks & 0xFF);
        }
    }
    if (stream.size() > 0xFFFF)
        return QCoreApplication::translate("Broadlink", "数据包的时长部分有 %1 字节，超过 65535 字节").arg(stream.size());
    packet.clear();
    packet += static_cast<char>(InfraredType);
    packet += static_cast<char>(shape.Copies - 1);
    packet += static_cast<char>(stream.size() & 0xFF);
    packet += static_cast<char>(stream.size() >> 8);
    packet += stream;
    packet += "\x0D\x05";
    return std::nullopt;
}

TExport ExportBroadlink(const std::vector<TCodeRecord> &records)
{
    return exportLines(records, false);
}

TExport ExportBroadlinkHex(const std::vector<TCodeRecord> &records)
{
    return exportLines(records, true);
}

TImport ImportBroadlink(const QByteArray &text)
{
    return ImportCodeLines(text, QString::fromUtf8("博联 %1"),
                           QCoreApplication::translate("Broadlink", "文件中没有博联数据包"), readLine);
}

TImport ImportBroadlinkStore(const QByteArray &json)
{
    TImport in;
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        const int line = static_cast<int>(json.left(parse.offset).count('\n')) + 1;
        in.Error = LineError(line, QCoreApplication::translate("Broadlink", "不是有效的 JSON：%1").arg(parse.errorString()));
        return in;
    }
    const QJsonValue data = doc.object().value(QLatin1String("data"));
    if (!data.isObject()) {
        in.Error = QCoreApplication::translate("Broadlink", "不是 Home Assistant 的博联编码库：缺少对象“data”");
        return in;
    }
    const QJsonObject devices = data.toObject();
    for (auto device = devices.begin(); device != devices.end(); ++device) {
        if (!device->isObject()) {
            TImport refused;
            refused.Error = QCoreApplication::translate("Broadlink", "设备 %1 的值应为对象（命令到编码）").arg(device.key());
            return refused;
        }
        const QJsonObject commands = device->toObject();
        for (auto command = commands.begin(); command != commands.end(); ++command) {
            const QJsonArray list = command->isArray() ? command->toArray() : QJsonArray{*command};
            for (qsizetype i = 0; i < list.size(); ++i) {
                TCodeRecord r;
                r.Remote = device.key();
                r.Name = command->isArray() ? QString::fromUtf8("%1 %2").arg(command.key()).arg(i + 1) : command.key();
                const QByteArray text = list[i].toString().toUtf8();
                std::optional<QString> e;
                if (command.key().trimmed().isEmpty())
                    e = QCoreApplication::translate("Broadlink", "命令名为空");
                else if (!list[i].isString())
                    e = QCoreApplication::translate("Broadlink", "编码应为 base64 字符串");
                else
                    e = readLine(std::string_view(text.constData(), static_cast<size_t>(text.size())), r.Code);
                if (e)
                    in.Refused.push_back({r.Remote + QLatin1Char('/') + r.Name, *e});
                else
                    in.Records.push_back(std::move(r));
            }
        }
    }
    // A store whose codes were all refused is read whole: the callers give every reason.
    if (in.Records.empty() && in.Refused.empty())
        in.Error = QCoreApplication::translate("Broadlink", "编码库中没有编码");
    return in;
}
