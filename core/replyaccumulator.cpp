#include "core/replyaccumulator.h"

#include <algorithm>

namespace {

// Two digits per byte and one blank between bytes.
qsizetype heldBytes(const QString &text)
{
    return (text.size() + 1) / 3;
}

} // namespace

qsizetype AccumulatorRoom(const QString &text)
{
    return std::max<qsizetype>(0, MaxHexTextBytes - heldBytes(text));
}

qsizetype AppendToAccumulator(QString &text, QByteArrayView bytes)
{
    const qsizetype take = std::min(bytes.size(), AccumulatorRoom(text));
    if (take <= 0)
        return 0;
    QString piece = BytesToHexText(QByteArray::fromRawData(bytes.data(), take));
    piece.chop(1);
    text.reserve(text.size() + 1 + piece.size());
    if (!text.isEmpty())
        text += u' ';
    text += piece;
    return take;
}
