#include "core/replyaccumulator.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// However the received bytes are cut into read events, the accumulator holds the hex text of the
// first MaxHexTextBytes of them, and each event is told how many of its bytes were taken.
TEST(ReplyAccumulator, HoldsTheFirstBytesOfAnySplitUpToTheBound)
{
    constexpr quint32 seed = 20261210;
    QRandomGenerator random(seed);
    for (int run = 0; run < 300; ++run) {
        QByteArray received;
        QString text;
        qsizetype taken = 0;
        const int events = random.bounded(1, 40);
        for (int e = 0; e < events; ++e) {
            QByteArray piece(random.bounded(0, 300), Qt::Uninitialized);
            for (char &c : piece)
                c = static_cast<char>(random.bounded(256));
            const qsizetype room = AccumulatorRoom(text);
            const qsizetype took = AppendToAccumulator(text, piece);
            ASSERT_EQ(took, std::min(room, piece.size())) << "seed " << seed;
            taken += took;
            received += piece;
        }
        const QByteArray kept = received.left(MaxHexTextBytes);
        ASSERT_EQ(taken, kept.size()) << "seed " << seed;
        ASSERT_EQ(text, BytesToHexText(kept).trimmed()) << "seed " << seed;
        ASSERT_EQ(HexTextToBytes(text, THexParse::Strict), kept) << "seed " << seed;
        ASSERT_EQ(AccumulatorRoom(text), MaxHexTextBytes - kept.size()) << "seed " << seed;
    }
}

} // namespace
