#include "core/formats/irfile.h"

#include "core/formats/textscan.h"
#include "core/protocols/protocols.h"

#include <QCoreApplication>

#include <variant>

using namespace textscan;

namespace {

struct TField {
    std::string_view Value;
    int Line = 0;

    bool empty() const { return Value.empty(); }
};

struct TPending {
    int Line = 0;
    QString Name;
    TField Type, Frequency, DutyCycle, Data, Protocol, Address, Command;
};

// A field's error names the field's line; a missing field's, the record's first line.
std::optional<QString> takeRaw(const TPending &p, TCodeRecord &r, int &errorLine)
{
    if (p.Frequency.empty() || p.Data.empty())
        return QCoreApplication::translate("IrFile", "原始记录 %1 缺少 %2")
            .arg(p.Name, QString::fromUtf8(p.Data.empty() ? "data:" : "frequency:"));
    errorLine = p.Frequency.Line;
    const std::optional<long long> hz = ParseInt(p.Frequency.Value);
    if (!hz || *hz < MinCarrierHz || *hz > MaxCarrierHz)
        return QCoreApplication::translate("IrFile", "记录 %1 的载波 %2 不在 %3 之内")
            .arg(p.Name, Quote(p.Frequency.Value), CarrierRangeText());
    if (!p.DutyCycle.empty()) {
        errorLine = p.DutyCycle.Line;
        const std::optional<double> duty = ParseDouble(p.DutyCycle.Value);
        if (!duty || *duty <= 0 || *duty > 1)
            return QCoreApplication::translate("IrFile", "记录 %1 的占空比 %2 不在 0 到 1 之间")
                .arg(p.Name, Quote(p.DutyCycle.Value));
    }
    r.Name = p.Name;
    r.Code.CarrierHz = static_cast<int>(*hz);
    errorLine = p.Data.Line;
    std::string_view data = p.Data.Value;
    r.Code.DurationsUs.reserve(data.size() / 3);
    for (std::string_view t = NextToken(data); !t.empty(); t = NextToken(data)) {
        const std::optional<long long> us = ParseInt(t);
        if (!us || *us < 1 || *us > MaxDurationUs)
            return QCoreApplication::translate("IrFile", "记录 %1 的时长 %2 不是 1 到 %3 之间的微秒数")
                .arg(p.Name, Quote(t)).arg(MaxDurationUs);
        r.Code.DurationsUs.push_back(static_cast<int>(*us));
    }
    // Separators alone make a field that is not empty and yet holds no code.
    if (r.Code.DurationsUs.empty())
        return QCoreApplication::translate("IrFile", "记录 %1 的 data: 中没有时长").arg(p.Name);
    return std::nullopt;
}

// "07 00 00 00": up to four bytes, the first the lowest.
std::optional<uint32_t> littleEndian(std::string_view text)
{
    uint32_t value = 0;
    int shift = 0;
    for (std::string_view t = NextToken(text); !t.empty(); t = NextToken(text)) {
        const std::optional<long long> byte = t.size() == 2 ? ParseInt(t, 16) : std::nullopt;
        if (!byte || *byte < 0 || shift == 32)
            return std::nullopt;
        value |= static_cast<uint32_t>(*byte) << shift;
        shift += 8;
    }
    return value;
}

// The protocols of parsed records and the widths of their address and command as the files mean
// them. The files' RC5X command is the extended command's 6 low bits (its seventh is the protocol's
// own, and so is set whatever the file says); the other fields are as the protocol encoders take
// them.
struct TParsedProtocol {
    const char *Name;
    int AddressBits;
    int CommandBits;
};

constexpr TParsedProtocol ParsedProtocols[] = {
    {"NEC", 8, 8},       {"NECext", 16, 16}, {"NEC42", 13, 8},     {"NEC42ext", 26, 16}, {"Samsung32", 8, 8},
    {"RC6", 8, 8},       {"RC5", 5, 6},      {"RC5X", 5, 7},       {"SIRC", 5, 7},       {"SIRC15", 8, 7},
    {"SIRC20", 13, 7},   {"Kaseikyo", 26, 10}, {"RCA", 4, 8},      {"Pioneer", 8, 8},    {"JVC", 8, 8},
    {"Sharp", 5, 8}};

constexpr uint32_t Rc5ExtendedBit = 0x40;

QString hexValue(uint32_t value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

// The code a parsed record means, or why it cannot be sent.
std::variant<TProtocolCode, QString> parsedCode(std::string_view protocol, uint32_t address, uint32_t command)
{
    for (const TParsedProtocol &p : ParsedProtocols) {
        if (protocol != p.Name)
            continue;
        if (address >> p.AddressBits != 0)
            return QCoreApplication::translate("IrFile", "地址 %1 超出 %2 的 %3 位")
                .arg(hexValue(address), ToQString(protocol)).arg(p.AddressBits);
        if (command >> p.CommandBits != 0)
            return QCoreApplication::translate("IrFile", "命令 %1 超出 %2 的 %3 位")
                .arg(hexValue(command), ToQString(protocol)).arg(p.CommandBits);
        TProtocolCode code;
        code.Protocol = ToQString(protocol);
        code.Address = address;
        code.Command = protocol == "RC5X" ? (command & (Rc5ExtendedBit - 1)) | Rc5ExtendedBit : command;
        return code;
    }
    return QCoreApplication::translate("IrFile", "不支持协议 %1").arg(Quote(protocol));
}

class TIrFileParser {
public:
    TImport Run(const QByteArray &text);

private:
    std::optional<QString> finish();

    TPending pending_;
    bool open_ = false;
    int errorLine_ = 0;
    std::vector<TCodeRecord> records_;
    std::vector<TRefusal> refused_;
};

TImport TIrFileParser::Run(const QByteArray &text)
{
    TImport in;
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    std::string_view l;
    bool header = false;
    auto fail = [&](int at, const QString &reason) {
        in.Error = LineError(at, reason);
        return in;
    };
    while (lines.Next(l)) {
        const std::string_view t = Trim(l);
        if (t.empty() || t.front() == '#')
            continue;
        std::string_view key, value;
        if (!SplitField(t, key, value))
            return fail(lines.Number(), QCoreApplication::translate("IrFile", "应为“名称: 值”，却是 %1").arg(Quote(t)));
        if (!header) {
            if (key != "Filetype" || (value != "IR signals file" && value != "IR library file"))
                return fail(lines.Number(),
                            QCoreApplication::translate("IrFile", "不是红外信号文件，第一行应为“Filetype: IR signals file”"));
            header = true;
            continue;
        }
        if (key == "Version") {
            if (value != "1")
                return fail(lines.Number(), QCoreApplication::translate("IrFile", "不支持的版本 %1").arg(Quote(value)));
            continue;
        }
        if (key == "name") {
            errorLine_ = pending_.Line;
            if (const auto e = finish())
                return fail(errorLine_, *e);
            if (value.empty())
                return fail(lines.Number(), QCoreApplication::translate("IrFile", "名称为空"));
            pending_ = TPending();
            pending_.Line = lines.Number();
            pending_.Name = ToQString(value);
            if (pending_.Name.trimmed().isEmpty())
                pending_.Name = RecordNameInFile(pending_.Name, records_.size() + refused_.size() + 1);
            open_ = true;
            continue;
        }
        if (!open_)
            return fail(lines.Number(), QCoreApplication::translate("IrFile", "字段 %1 之前缺少“name:”").arg(Quote(key)));
        TField *slot = key == "type"       ? &pending_.Type
                               : key == "frequency"  ? &pending_.Frequency
                               : key == "duty_cycle" ? &pending_.DutyCycle
                               : key == "data"       ? &pending_.Data
                               : key == "protocol"   ? &pending_.Protocol
                               : key == "address"    ? &pending_.Address
                               : key == "command"    ? &pending_.Command
                                                     : nullptr;
        if (!slot)
            return fail(lines.Number(), QCoreApplication::translate("IrFile", "未知字段 %1").arg(Quote(key)));
        if (!slot->empty())
            return fail(lines.Number(), QCoreApplication::translate("IrFile", "记录 %1 中字段 %2 出现了两次")
                .arg(pending_.Name, Quote(key)));
        if (value.empty())
            return fail(lines.Number(), QCoreApplication::translate("IrFile", "字段 %1 为空").arg(Quote(key)));
        *slot = TField{value, lines.Number()};
    }
    if (!header)
        return fail(1, QCoreApplication::translate("IrFile", "不是红外信号文件，缺少“Filetype: IR signals file”"));
    errorLine_ = pending_.Line;
    if (const auto e = finish())
        return fail(errorLine_, *e);
    if (records_.empty() && refused_.empty())
        return fail(lines.Number(), QCoreApplication::translate("IrFile", "文件中没有记录"));
    in.Records = std::move(records_);
    in.Refused = refused_;
    return in;
}

std::optional<QString> TIrFileParser::finish()
{
    if (!open_)
        return std::nullopt;
    open_ = false;
    const TPending &p = pending_;
    if (p.Type.Value == "parsed") {
        if (p.Protocol.empty() || p.Address.empty() || p.Command.empty())
            return QCoreApplication::translate("IrFile", "解析记录 %1 缺少 protocol、address 或 command").arg(p.Name);
        uint32_t values[2] = {};
        for (const TField *f : {&p.Address, &p.Command}) {
            const std::optional<uint32_t> v = littleEndian(f->Value);
            if (!v) {
                errorLine_ = f->Line;
                return QCoreApplication::translate("IrFile", "记录 %1 的 %2 应为至多四个两位十六进制字节").arg(p.Name, Quote(f->Value));
            }
            values[f == &p.Address ? 0 : 1] = *v;
        }
        const auto meant = parsedCode(p.Protocol.Value, values[0], values[1]);
        if (const QString *reason = std::get_if<QString>(&meant)) {
            refused_.push_back({p.Name, QCoreApplication::translate("IrFile", "%1，未导入").arg(*reason)});
            return std::nullopt;
        }
        const TProtocolCode &parsed = std::get<TProtocolCode>(meant);
        const std::optional<TIrCode> encoded = EncodeCode(parsed);
        if (!encoded) {
            refused_.push_back({p.Name, QCoreApplication::translate("IrFile", "%1 的编码器不接受这个地址和命令，未导入")
                .arg(parsed.Protocol)});
            return std::nullopt;
        }
        TCodeRecord r;
        r.Name = p.Name;
        r.Protocol = ProtocolHint(parsed);
        r.Code = *encoded;
        records_.push_back(std::move(r));
        return std::nullopt;
    }
    if (p.Type.Value != "raw") {
        errorLine_ = p.Type.empty() ? p.Line : p.Type.Line;
        return QCoreApplication::translate("IrFile", "记录 %1 的类型 %2 不是 raw 或 parsed").arg(p.Name, Quote(p.Type.Value));
    }
    TCodeRecord r;
    if (const auto e = takeRaw(p, r, errorLine_))
        return e;
    records_.push_back(std::move(r));
    return std::nullopt;
}

} // namespace

TExport ExportIrFile(const std::vector<TCodeRecord> &records)
{
    TExport out;
    out.Text = "Filetype: IR signals file\nVersion: 1\n";
    bool assumed = false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TCodeRecord &r = records[i];
        const int carrier = r.Code.CarrierHz != 0 ? r.Code.CarrierHz : IrFileDefaultCarrierHz;
        assumed = assumed || r.Code.CarrierHz == 0;
        out.Text += "# \nname: " + RecordNameInFile(r.Name, i + 1).toUtf8() + "\ntype: raw\nfrequency: "
                    + QByteArray::number(carrier) + "\nduty_cycle: 0.330000\ndata:";
        for (int us : r.Code.DurationsUs)
            out.Text += ' ' + QByteArray::number(us);
        out.Text += '\n';
    }
    if (assumed)
        out.Note = AssumedCarrierNote(IrFileDefaultCarrierHz);
    return out;
}

TImport ImportIrFile(const QByteArray &text)
{
    return TIrFileParser().Run(text);
}
