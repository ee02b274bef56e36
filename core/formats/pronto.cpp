#include "core/formats/pronto.h"

#include "core/formats/textscan.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using namespace textscan;

namespace {

constexpr double ProntoClockUs = 0.241246;
constexpr int MaxWord = 0xFFFF;

QByteArray word(long long v)
{
    return QByteArray::number(v, 16).toUpper().rightJustified(4, '0');
}

std::optional<QString> prontoLine(const TIrCode &code, QByteArray &out)
{
    const int carrier = code.CarrierHz != 0 ? code.CarrierHz : ProntoDefaultCarrierHz;
    const long long freqWord = std::llround(1e6 / (carrier * ProntoClockUs));
    const double periodUs = freqWord * ProntoClockUs;
    std::vector<long long> cycles;
    for (int us : code.DurationsUs) {
        const long long c = std::max(1LL, std::llround(us / periodUs));
        if (c > MaxWord)
            return QCoreApplication::translate("Pronto", "时长 %1 微秒超过 Pronto 的上限 %2 个载波周期").arg(us).arg(MaxWord);
        cycles.push_back(c);
    }
    if (cycles.size() % 2 == 1)
        cycles.push_back(1);
    out += "0000 " + word(freqWord) + ' ' + word(static_cast<long long>(cycles.size() / 2)) + " 0000";
    for (long long c : cycles)
        out += ' ' + word(c);
    out += '\n';
    return std::nullopt;
}

// A period word stands for every carrier that is written as it: those within half a word of it.
// Its own carrier may lie just beyond an end of the range (word 0004 is 1,036,287 Hz, 019F is
// 9,988 Hz) while carriers that it stands for lie within; it then reads as that end, so that every
// carrier of the range comes back from its export.
std::optional<int> carrierOfWord(long long word)
{
    const double highestHz = 1e6 / ((word - 0.5) * ProntoClockUs);
    const double lowestHz = 1e6 / ((word + 0.5) * ProntoClockUs);
    if (highestHz < MinCarrierHz || lowestHz > MaxCarrierHz)
        return std::nullopt;
    const long long nominal = std::llround(1e6 / (word * ProntoClockUs));
    return static_cast<int>(std::clamp<long long>(nominal, MinCarrierHz, MaxCarrierHz));
}

std::optional<QString> readPronto(std::string_view line, TIrCode &code)
{
    std::vector<long long> words;
    for (std::string_view t = NextToken(line); !t.empty(); t = NextToken(line)) {
        const std::optional<long long> w = t.size() == 4 ? ParseInt(t, 16) : std::nullopt;
        if (!w || *w < 0)
            return QCoreApplication::translate("Pronto", "%1 不是四位十六进制数").arg(Quote(t));
        words.push_back(*w);
    }
    if (words.size() < 4)
        return QCoreApplication::translate("Pronto", "Pronto 编码至少要有四个字");
    if (words[0] != 0)
        return QCoreApplication::translate("Pronto", "只支持学习格式（首字 0000），这里是 %1")
            .arg(QString::fromLatin1(word(words[0])));
    const long long pairs = words[2] + words[3];
    if (pairs == 0)
        return QCoreApplication::translate("Pronto", "Pronto 编码没有时长");
    if (static_cast<long long>(words.size()) != 4 + 2 * pairs)
        return QCoreApplication::translate("Pronto", "头部说有 %1 对时长（%2 个字），实际有 %3 个字")
            .arg(pairs).arg(4 + 2 * pairs).arg(words.size());
    if (words[1] == 0)
        return QCoreApplication::translate("Pronto", "载波字为 0000");
    const double periodUs = words[1] * ProntoClockUs;
    const std::optional<int> carrier = carrierOfWord(words[1]);
    if (!carrier)
        return QCoreApplication::translate("Pronto", "载波 %1 赫兹不在 %2 之内")
            .arg(std::llround(1e6 / periodUs)).arg(CarrierRangeText());
    code.CarrierHz = *carrier;
    for (size_t i = 4; i < words.size(); ++i) {
        if (words[i] == 0)
            return QCoreApplication::translate("Pronto", "第 %1 个时长为 0").arg(i - 3);
        code.DurationsUs.push_back(static_cast<int>(std::llround(words[i] * periodUs)));
    }
    return std::nullopt;
}

} // namespace

TExport ExportPronto(const std::vector<TCodeRecord> &records)
{
    TExport out;
    bool assumed = false;
    for (const TCodeRecord &r : records) {
        out.Text += "# " + r.Name.simplified().toUtf8() + '\n';
        if (const auto e = prontoLine(r.Code, out.Text)) {
            out.Error = ExportCodeError(r.Name, *e);
            out.Text.clear();
            return out;
        }
        assumed = assumed || r.Code.CarrierHz == 0;
    }
    if (assumed) {
        out.Note = AssumedCarrierNote(ProntoDefaultCarrierHz);
        out.Text.prepend("# " + out.Note.toUtf8() + '\n');
    }
    return out;
}

TImport ImportPronto(const QByteArray &text)
{
    return ImportCodeLines(text, QString::fromUtf8("Pronto %1"),
                           QCoreApplication::translate("Pronto", "文件中没有 Pronto 编码"), readPronto);
}
