#include "core/formats/lirc.h"

#include "core/formats/lircencode.h"
#include "core/formats/lircremote.h"
#include "core/formats/textscan.h"

#include <QCoreApplication>

#include <set>

using namespace textscan;

namespace {

constexpr int DefaultGapUs = 100000;
constexpr int ValuesPerLine = 8;
constexpr int DefaultCarrierHz = 38000;

// "begin remote", "END CODES": LIRC takes the two words in any case and with any blanks between.
bool isMarker(std::string_view line, std::string_view first, std::string_view second)
{
    const std::string_view a = NextLircWord(line);
    const std::string_view b = NextLircWord(line);
    return SameLircWord(a, first) && SameLircWord(b, second) && NextLircWord(line).empty();
}

class TLircParser {
public:
    TImport Run(const QByteArray &text);

private:
    enum TState { Outside, InRemote, InRawCodes, InCodes };
    std::optional<QString> line(std::string_view t);
    std::optional<QString> closeCode();
    void takeCodes();

    TState state_ = Outside;
    QString remote_;
    int carrier_ = 0;
    bool carrierGiven_ = false;
    TLircRemote codes_;
    bool hasCodes_ = false;
    TCodeRecord code_;
    bool codeOpen_ = false;
    int codeLine_ = 0;
    int lineNo_ = 0;
    std::vector<TCodeRecord> records_;
    size_t remoteStart_ = 0;
    std::vector<TRefusal> refused_;
};

TImport TLircParser::Run(const QByteArray &text)
{
    TImport in;
    TLines lines(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    std::string_view l;
    while (lines.Next(l)) {
        lineNo_ = lines.Number();
        if (!l.empty() && l.front() == '#')
            continue;
        // Button names may hold "#": inside "begin codes" the button line decides what is a comment.
        const std::string_view t = Trim(state_ == InCodes ? l : l.substr(0, l.find('#')));
        if (t.empty())
            continue;
        if (const auto e = line(t)) {
            in.Error = LineError(lineNo_, *e);
            return in;
        }
    }
    if (state_ != Outside) {
        in.Error = LineError(lineNo_, QCoreApplication::translate("Lirc", "文件不完整：缺少 %1")
                                         .arg(QString::fromUtf8(state_ == InRawCodes ? "“end raw_codes”"
                                                                : state_ == InCodes  ? "“end codes”"
                                                                                     : "“end remote”")));
        return in;
    }
    if (records_.empty() && refused_.empty()) {
        in.Error = QCoreApplication::translate("Lirc", "文件中没有遥控器的按键（begin codes 或 begin raw_codes）");
        return in;
    }
    in.Records = std::move(records_);
    in.Refused = refused_;
    return in;
}

std::optional<QString> TLircParser::line(std::string_view t)
{
    std::string_view rest = t;
    const std::string_view word = NextToken(rest);
    const std::string_view arg = Trim(rest);
    switch (state_) {
    case Outside:
        if (isMarker(t, "begin", "remote")) {
            state_ = InRemote;
            remote_.clear();
            carrier_ = 0;
            carrierGiven_ = false;
            codes_ = TLircRemote();
            hasCodes_ = false;
            remoteStart_ = records_.size();
            return std::nullopt;
        }
        return QCoreApplication::translate("Lirc", "应为“begin remote”，却是 %1").arg(Quote(t));
    case InRemote:
        if (isMarker(t, "begin", "raw_codes")) {
            state_ = InRawCodes;
        } else if (isMarker(t, "begin", "codes")) {
            state_ = InCodes;
            hasCodes_ = true;
        } else if (isMarker(t, "end", "remote")) {
            for (size_t i = remoteStart_; i < records_.size(); ++i)
                records_[i].Remote = remote_;
            if (hasCodes_)
                takeCodes();
            state_ = Outside;
        } else if (SameLircWord(word, "name")) {
            remote_ = ToQString(arg);
        } else if (SameLircWord(word, "frequency")) {
            const std::optional<long long> hz = ParseInt(arg);
            if (!hz || (*hz != 0 && (*hz < MinCarrierHz || *hz > MaxCarrierHz)))
                return QCoreApplication::translate("Lirc", "载波 %1 不在 %2 之内").arg(Quote(arg)).arg(CarrierRangeText());
            carrier_ = static_cast<int>(*hz);
            carrierGiven_ = true;
        } else {
            std::string_view values = t;
            ReadLircParameter(codes_, NextLircWord(values), values);
        }
        return std::nullopt;
    case InCodes:
        if (isMarker(t, "end", "codes")) {
            state_ = InRemote;
        } else {
            std::string_view values = t;
            ReadLircButton(codes_, NextLircWord(values), values);
        }
        return std::nullopt;
    case InRawCodes:
        if (isMarker(t, "end", "raw_codes")) {
            if (const auto e = closeCode())
                return e;
            state_ = InRemote;
            return std::nullopt;
        }
        if (word == "name") {
            if (const auto e = closeCode())
                return e;
            if (arg.empty())
                return QCoreApplication::translate("Lirc", "按键名称为空");
            code_ = TCodeRecord();
            code_.Name = ToQString(arg);
            code_.Code.CarrierHz = carrier_;
            codeOpen_ = true;
            codeLine_ = lineNo_;
            return std::nullopt;
        }
        if (!codeOpen_)
            return QCoreApplication::translate("Lirc", "时序之前缺少“name”");
        for (std::string_view v = word; !v.empty(); v = NextToken(rest)) {
            const std::optional<long long> us = ParseInt(v);
            if (!us || *us < 1 || *us > MaxDurationUs)
                return QCoreApplication::translate("Lirc", "%1 不是 1 到 %2 之间的微秒数").arg(Quote(v)).arg(MaxDurationUs);
            code_.Code.DurationsUs.push_back(static_cast<int>(*us));
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// Every button becomes the first press LIRC sends for it; a remote or button LIRC could not send, or
// whose encoding has no timing here, is listed with its reason.
void TLircParser::takeCodes()
{
    codes_.Name = remote_;
    FinishLircRemote(codes_);
    if (!codes_.Problem.isEmpty()) {
        refused_.push_back({remote_, codes_.Problem});
        return;
    }
    for (const QString &problem : codes_.ButtonProblems)
        refused_.push_back({remote_, problem});
    for (const TLircButton &button : codes_.Buttons) {
        TCodeRecord r;
        r.Name = button.Name;
        r.Remote = remote_;
        r.Code.CarrierHz = carrierGiven_ ? carrier_ : DefaultCarrierHz;
        if (const auto e = EncodeLircPress(codes_, button.Code, r.Code.DurationsUs)) {
            refused_.push_back({remote_ + QLatin1Char('/') + button.Name, *e});
            continue;
        }
        records_.push_back(std::move(r));
    }
}

std::optional<QString> TLircParser::closeCode()
{
    if (!codeOpen_)
        return std::nullopt;
    codeOpen_ = false;
    if (code_.Code.DurationsUs.empty()) {
        lineNo_ = codeLine_;
        return QCoreApplication::translate("Lirc", "按键 %1 没有时序").arg(code_.Name);
    }
    records_.push_back(std::move(code_));
    code_ = TCodeRecord();
    return std::nullopt;
}

QByteArray durationLines(const std::vector<int> &d, size_t count)
{
    QByteArray out;
    for (size_t i = 0; i < count; ++i) {
        out += i % ValuesPerLine == 0 ? "      " : " ";
        out += QByteArray::number(d[i]);
        if (i % ValuesPerLine == ValuesPerLine - 1 || i + 1 == count)
            out += '\n';
    }
    return out;
}

} // namespace

QString LircName(const QString &name)
{
    QString n;
    for (const char32_t c : name.simplified().toUcs4()) {
        if (QChar::isSpace(c) || c == U'#' || !QChar::isPrint(c))
            n += u'_';
        else
            n += QString::fromUcs4(&c, 1);
    }
    return n.isEmpty() ? QStringLiteral("KEY") : n;
}

TExport ExportLirc(const QString &remoteName, const std::vector<TCodeRecord> &records)
{
    TExport out;
    int gap = 0;
    int carrier = 0;
    bool mixed = false;
    for (const TCodeRecord &r : records) {
        const std::vector<int> &d = r.Code.DurationsUs;
        if (d.size() % 2 == 0 && !d.empty())
            gap = std::max(gap, d.back());
        if (r.Code.CarrierHz != 0) {
            mixed = mixed || (carrier != 0 && carrier != r.Code.CarrierHz);
            carrier = carrier == 0 ? r.Code.CarrierHz : carrier;
        }
    }
    QByteArray &t = out.Text;
    t += "# 红外编码（原始时序，微秒）；每个编码末尾的间隔并入 gap\n";
    t += "begin remote\n";
    t += "  name  " + LircName(remoteName).toUtf8() + '\n';
    t += "  flags RAW_CODES\n";
    t += "  eps   30\n";
    t += "  aeps  100\n";
    t += "  gap   " + QByteArray::number(gap > 0 ? gap : DefaultGapUs) + '\n';
    t += "  frequency " + QByteArray::number(carrier != 0 ? carrier : DefaultCarrierHz) + '\n';
    t += "  begin raw_codes\n";
    // lircd finds a key by its name in any case.
    std::set<QString> used;
    for (const TCodeRecord &r : records) {
        const std::vector<int> &d = r.Code.DurationsUs;
        QString name = LircName(r.Name);
        for (int k = 2; used.count(name.toCaseFolded()) != 0; ++k)
            name = LircName(r.Name) + u'_' + QString::number(k);
        used.insert(name.toCaseFolded());
        t += "    name " + name.toUtf8() + '\n';
        // LIRC reads a raw code as pulses and spaces ending on a pulse.
        t += durationLines(d, d.size() % 2 == 0 ? d.size() - 1 : d.size());
    }
    t += "  end raw_codes\n";
    t += "end remote\n";
    if (carrier == 0)
        out.Note = QCoreApplication::translate("Lirc", "没有测得载波，按 38 kHz 导出");
    else if (mixed)
        out.Note = QCoreApplication::translate("Lirc", "编码的载波不同，遥控器按 %1 赫兹导出").arg(carrier);
    return out;
}

TImport ImportLirc(const QByteArray &text)
{
    return TLircParser().Run(text);
}
