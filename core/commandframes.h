#pragma once
// The fixed commands a program sends to a module: one definition for the window, the command line
// and the bridge.
#include <QByteArray>

inline const QByteArray LearnCommandFrame("\xFF\x00\x00\xFE", 4);
inline const QByteArray KeepAliveCommandFrame("\xFF\x00\x00\xFA", 4);
