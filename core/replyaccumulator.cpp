#include "core/replyaccumulator.h"

#include "core/replygatherer.h"

namespace {

// Two digits per byte and one blank between bytes.
qsizetype heldBytes(const QString &text)
{
    return (text.size() + 1) / 3;
}

} // namespace

qsizetype AccumulatorRoom(const QString &text)
{
    return ReplyRoomFor(heldBytes(text), MaxHexTextBytes);
}

qsizetype AppendToAccumulator(QString &text, QByteArrayView bytes)
{
    const qsizetype take = ReplyRoomFor(heldBytes(text), bytes.size());
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
