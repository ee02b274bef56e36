// Hex text both ways and decimal fields: bytes survive their text form, every token of a text
// gives one byte, the strict form refuses exactly the tokens that are not hexadecimal numbers,
// and a field converts only when it is an integer in the classic forms.
#include "core/convert.h"
#include "core/hextext.h"
#include "fuzz/check.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

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

// The tokens of a text as the other side writes them: pieces between blanks, control characters
// in front of a piece left out, empty pieces skipped.
QStringList tokens(const QString &text)
{
    QStringList out;
    for (QString piece : text.split(u' ')) {
        qsizetype i = 0;
        while (i < piece.size() && piece[i].unicode() <= 32)
            ++i;
        piece = piece.mid(i);
        if (!piece.isEmpty())
            out << piece;
    }
    return out;
}

// The value of a token of hexadecimal digits within 32 bits, else nothing.
std::optional<uint32_t> hexValue(const QString &token)
{
    uint64_t v = 0;
    for (QChar c : token) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = v * 16 + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return token.isEmpty() ? std::nullopt : std::optional<uint32_t>(static_cast<uint32_t>(v));
}

void checkBytes(const QByteArray &bytes)
{
    const QString text = BytesToHexText(bytes);
    FUZZ_CHECK(text.size() == 3 * bytes.size());
    FUZZ_CHECK(text == text.toUpper());
    FUZZ_CHECK(bytes.isEmpty() || text.endsWith(u' '));
    const QByteArray kept = bytes.left(MaxHexTextBytes);
    FUZZ_CHECK(HexTextToBytes(text, THexParse::Strict) == kept);
    FUZZ_CHECK(HexTextToBytes(text, THexParse::Lenient) == kept);
    const QByteArray head = bytes.left(64);
    FUZZ_CHECK(HexTextToBytes(BytesToHexText(head).toLower().trimmed(), THexParse::Strict) == head);
}

void checkText(const QString &text)
{
    const QStringList t = tokens(text);
    const QByteArray lenient = HexTextToBytes(text, THexParse::Lenient);
    FUZZ_CHECK(lenient.size() == std::min<qsizetype>(t.size(), MaxHexTextBytes));
    for (qsizetype i = 0; i < lenient.size(); ++i)
        if (const std::optional<uint32_t> v = hexValue(t[i]); v && *v <= 0x7FFFFFFF)
            FUZZ_CHECK(static_cast<unsigned char>(lenient[i]) == (*v & 0xFF));

    // Every token but the last is read strictly, the 1000th too when more follow.
    const qsizetype strictCount = std::min<qsizetype>(t.size() - 1, MaxHexTextBytes);
    bool refusable = false;
    for (qsizetype i = 0; i < strictCount; ++i)
        refusable |= !hexValue(t[i]);
    try {
        const QByteArray strict = HexTextToBytes(text, THexParse::Strict);
        FUZZ_CHECK(!refusable);
        FUZZ_CHECK(strict.size() == lenient.size());
        for (qsizetype i = 0; i < strictCount; ++i)
            FUZZ_CHECK(static_cast<unsigned char>(strict[i]) == (*hexValue(t[i]) & 0xFF));
        if (t.size() <= MaxHexTextBytes && !strict.isEmpty())
            FUZZ_CHECK(strict.back() == lenient.back());
    } catch (const EConvertError &) {
        FUZZ_CHECK(refusable);
    }
}

void checkInteger(int32_t v, const QString &text)
{
    FUZZ_CHECK(StrToInt(QString::number(v)) == v);
    FUZZ_CHECK(StrToInt("0x" + QString::number(static_cast<uint32_t>(v), 16)) == v);
    FUZZ_CHECK(StrToInt("$" + QString::number(static_cast<uint32_t>(v), 16).toUpper()) == v);
    if (v >= 0)
        FUZZ_CHECK(StrToInt("+" + QString::number(v)) == v);
    // One text near the number that is not an integer of 32 bits; exceptions are slow, so one a run.
    const QString bad[] = {QString::number(v) + " ", " " + QString::number(v), QString::number(v) + "x",
                           QString::number(int64_t(v) + (v < 0 ? -int64_t(1) << 32 : int64_t(1) << 32))};
    try {
        StrToInt(bad[static_cast<uint32_t>(v) % 4]);
        FUZZ_CHECK(!"a text that is not an integer of 32 bits converted");
    } catch (const EConvertError &) {
    }

    // An arbitrary field: a decimal one converts to the number it spells.
    try {
        const int value = StrToInt(text);
        const QString lower = text.toLower();
        const bool hex = lower.contains(u'$') || lower.contains(u"0x");
        if (!hex) {
            QString digits = text.startsWith(u'+') ? text.mid(1) : text;
            const bool negative = digits.startsWith(u'-');
            if (negative)
                digits = digits.mid(1);
            while (digits.size() > 1 && digits.startsWith(u'0'))
                digits = digits.mid(1);
            FUZZ_CHECK(QString::number(value) == ((negative && digits != u"0") ? "-" + digits : digits));
        }
    } catch (const EConvertError &e) {
        const std::string message = "'" + text.toStdString() + "' is not a valid integer value";
        FUZZ_CHECK(std::string(e.what()) == message.substr(0, message.find('\0'))); // what() ends at a NUL
    }
}

} // namespace

// Every strict token allocates twice; a smaller quarantine keeps the run in memory that is already
// mapped instead of faulting in fresh pages all the time.
extern "C" const char *__asan_default_options()
{
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // More than 1000 bytes reach every bound; longer inputs would only cost time.
    if (size < 5 || size > 5 + 1100)
        return 0;
    int32_t v;
    std::memcpy(&v, data + 1, sizeof v);
    const QByteArray rest(reinterpret_cast<const char *>(data + 5), static_cast<qsizetype>(size - 5));
    const QString text = data[0] & 1 ? QString::fromUtf8(rest) : QString::fromLatin1(rest);
    checkBytes(rest);
    checkText(text);
    checkInteger(v, text);
    return 0;
}
