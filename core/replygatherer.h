#pragma once
// Gathering a module's reply: the bytes of one reply arrive in pieces, and the reply is complete
// when the line has been quiet for ReplyQuietGapMs. A reply holds at most MaxHexTextBytes bytes.
#include "core/hextext.h"

#include <QByteArray>

// The module sends a reply as one burst; a longer pause means the reply is over.
constexpr int ReplyQuietGapMs = 10;

// How many of `incoming` further bytes still fit behind `held` gathered ones; 0 when none.
qsizetype ReplyRoomFor(qsizetype held, qsizetype incoming);

// The bytes of the reply under way. Bytes beyond a reply's size are dropped, so that a module
// sending without pause cannot make it grow without limit.
class TReplyGatherer {
public:
    void Append(const QByteArray &piece);
    bool IsEmpty() const { return held_.isEmpty(); }
    // The reply gathered so far; the gatherer starts empty again.
    QByteArray Take();

private:
    QByteArray held_;
};
