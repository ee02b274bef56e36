#include "app/convert.h"

#include <limits>

namespace {

bool parseDigits(const QString &digits, int base, bool negative, qint64 &out)
{
    if (digits.isEmpty())
        return false;
    qint64 value = 0;
    const qint64 limit = base == 16 ? 0xFFFFFFFFLL : qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    for (QChar c : digits) {
        int d = -1;
        if (c >= u'0' && c <= u'9')
            d = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c.unicode() - u'A' + 10;
        if (d < 0)
            return false;
        value = value * base + d;
        if (value > limit)
            return false;
    }
    out = value;
    return true;
}

} // namespace

int StrToInt(const QString &text)
{
    QString s = text;
    bool negative = false;
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
        negative = s[0] == u'-';
        s.remove(0, 1);
    }
    int base = 10;
    if (s.startsWith(u'$')) {
        base = 16;
        s.remove(0, 1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s.remove(0, 2);
    }
    qint64 value = 0;
    if (!parseDigits(s, base, negative, value))
        throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
    if (base == 16)
        value = static_cast<qint32>(static_cast<quint32>(value)); // hexadecimal spans the full 32 bits
    return static_cast<int>(negative ? -value : value);
}
