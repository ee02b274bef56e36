#pragma once
// The reply accumulator's text: the bytes received since the last reply processing as hex text
// ("FF 00 00 FD", no blank at either end), never more than MaxHexTextBytes bytes. A reply is at most
// that long, so bytes beyond the bound cannot belong to a reply a module sends; the read path counts
// them and drops them before any of them is turned into text, so that a peer sending without pause
// costs the window only what it keeps.
#include "core/hextext.h"

#include <QByteArrayView>

// How many more bytes a text of this form can take.
qsizetype AccumulatorRoom(const QString &text);

// Appends as many of the bytes as there is room for, separated from what is held by one blank;
// the rest is dropped. Returns how many were taken.
qsizetype AppendToAccumulator(QString &text, QByteArrayView bytes);
