#include "core/hextext.h"

#include "core/convert.h"

#include <limits>

namespace {

QStringView trimControls(QStringView s)
{
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.mid(begin, end - begin);
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Reads as far as the text allows: leading white space, sign, "0x", then hexadecimal digits up to
// the first other character; no digits give 0 and the value is clamped to the signed 32-bit range.
int lenientHex(QStringView token)
{
    qsizetype i = 0;
    while (i < token.size() && token[i].isSpace())
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == u'-' || token[i] == u'+'))
        negative = token[i++] == u'-';
    if (i + 1 < token.size() && token[i] == u'0' && (token[i + 1] == u'x' || token[i + 1] == u'X')
        && i + 2 < token.size() && hexDigit(token[i + 2]) >= 0)
        i += 2;
    qint64 value = 0;
    constexpr qint64 cap = qint64(std::numeric_limits<int>::max()) + 1;
    for (; i < token.size(); ++i) {
        const int d = hexDigit(token[i]);
        if (d < 0)
            break;
        value = std::min(value * 16 + d, cap);
    }
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min<qint64>(value, std::numeric_limits<int>::max()));
}

} // namespace

QString BytesToHexText(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 15]);
        out += QLatin1Char(' ');
    }
    return out;
}

// The text is walked by views: copying the rest at every token would make a long text cost the
// square of its length.
QByteArray HexTextToBytes(const QString &text, THexParse form)
{
    QByteArray out;
    QStringView rest = trimControls(text);
    while (!rest.isEmpty() && out.size() < MaxHexTextBytes) {
        const qsizetype blank = rest.indexOf(u' ');
        int value;
        if (blank < 0) {
            value = lenientHex(rest);
            rest = QStringView();
        } else {
            const QStringView token = rest.left(blank);
            value = form == THexParse::Strict ? StrToInt(QStringLiteral("0x").append(token)) : lenientHex(token);
            rest = trimControls(rest.mid(blank + 1));
        }
        out.append(static_cast<char>(value & 0xFF));
    }
    return out;
}
