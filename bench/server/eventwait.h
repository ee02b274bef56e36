#pragma once
// Lets the event loop run until a condition holds, sleeping between events so that the peer
// process gets the processor instead of a polling loop.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

inline bool RunUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer wake; // bounds each wait so that the deadline is seen
    wake.start(100);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}
