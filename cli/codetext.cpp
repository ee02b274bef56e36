#include "cli/codetext.h"

#include "core/hextext.h"
#include "core/replydecoder.h"

#include <QRegularExpression>

THexReading ReadHexText(const QString &text, const QString &where)
{
    static const QRegularExpression byteForm(QStringLiteral("^[0-9A-Fa-f]{1,2}$"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    THexReading reading;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString place = where.isEmpty() ? QString() : QStringLiteral("%1:%2: ").arg(where).arg(i + 1);
        for (const QString &token : lines[i].split(blanks, Qt::SkipEmptyParts)) {
            if (!byteForm.match(token).hasMatch()) {
                reading.Error = QStringLiteral("%1\"%2\" is not a byte in hexadecimal (00 to FF)").arg(place, token);
                return reading;
            }
            if (reading.Bytes.size() == MaxHexTextBytes) {
                reading.Error = QStringLiteral("%1more than %2 bytes; a module frame holds at most %2").arg(place).arg(MaxHexTextBytes);
                return reading;
            }
            reading.Bytes.append(static_cast<char>(token.toUInt(nullptr, 16)));
        }
    }
    if (reading.Bytes.isEmpty())
        reading.Error = where.isEmpty() ? QStringLiteral("no bytes given") : QStringLiteral("%1: no bytes in the file").arg(where);
    return reading;
}

QString EmitFrameProblem(const QByteArray &bytes)
{
    if (ClassifyReply(bytes) == rkDecodedData)
        return {};
    return QStringLiteral("not a learned code: a module emits frames of the form FF, length low, length high, FD, "
                          "durations, 16");
}
