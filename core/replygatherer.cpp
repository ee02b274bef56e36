#include "core/replygatherer.h"

#include <algorithm>

qsizetype ReplyRoomFor(qsizetype held, qsizetype incoming)
{
    return std::max<qsizetype>(0, std::min<qsizetype>(incoming, MaxHexTextBytes - held));
}

void TReplyGatherer::Append(const QByteArray &piece)
{
    held_.append(piece.left(ReplyRoomFor(held_.size(), piece.size())));
}

QByteArray TReplyGatherer::Take()
{
    QByteArray reply;
    reply.swap(held_);
    return reply;
}
