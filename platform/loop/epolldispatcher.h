#pragma once
// An event dispatcher for a thread that watches a great many sockets, on one epoll set.
//
// Qt's own dispatchers hand every watched descriptor to poll() on every turn of the loop and keep
// socket notifiers and timers in lists that are searched linearly, so a service with a thousand
// links pays for all of them on every single packet. Here a descriptor is registered with the
// kernel once, a turn costs what is ready, and timers wait in an ordered set. Notifiers enabled and
// disabled within one turn (a socket's writer, around a write that went out at once) reach the
// kernel as the one change they add up to, just before the loop waits.
//
// Install it before the QCoreApplication is made (QCoreApplication::setEventDispatcher). It serves
// the thread that runs that loop only; wakeUp() and interrupt() may be called from any thread.
// Timers keep their intervals to the millisecond whatever their type (a coarse timer is allowed to
// be precise).
#include <QAbstractEventDispatcher>

#include "platform/sys/uniquefd.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

class TEpollEventDispatcher : public QAbstractEventDispatcher {
    Q_OBJECT
public:
    explicit TEpollEventDispatcher(QObject *parent = nullptr);
    ~TEpollEventDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;

    void registerSocketNotifier(QSocketNotifier *notifier) override;
    void unregisterSocketNotifier(QSocketNotifier *notifier) override;

    void registerTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject *object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject *object) override;
    QList<TimerInfo> registeredTimers(QObject *object) const override;
    int remainingTime(int timerId) override;

    void wakeUp() override;
    void interrupt() override;

private:
    using TClock = std::chrono::steady_clock;

    // The notifiers of one descriptor and what the kernel was last told of it. Generation tells its
    // readiness from that of a descriptor that had the same number before.
    struct TWatch {
        QSocketNotifier *Read = nullptr;
        QSocketNotifier *Write = nullptr;
        QSocketNotifier *Exception = nullptr;
        uint32_t Generation = 0;
        uint32_t Told = 0;           // events the kernel watches for
        uint32_t ToldGeneration = 0; // 0: not in the set
        bool Changed = false;
    };
    struct TTimer {
        qint64 IntervalMs = 0;
        Qt::TimerType Type = Qt::CoarseTimer;
        QObject *Object = nullptr;
        TClock::time_point Due;
        bool Running = false; // its handler is under way (a nested loop must not fire it again)
    };

    TWatch &changing(int fd);
    void tellKernel();
    int waitMs(bool canWait) const;
    bool activateNotifiers(int ready);
    bool activateTimers();
    void drainWakeUps();

    UniqueFd epoll_;
    UniqueFd wakeUps_;
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> interrupted_{false};
    std::unordered_map<int, TWatch> watches_;
    std::vector<int> changed_; // descriptors whose notifiers changed since the kernel was told
    uint32_t generations_ = 0;
    std::unordered_map<int, TTimer> timers_;
    std::set<std::pair<TClock::time_point, int>> due_; // (due, timer id), earliest first
};

} // namespace platform
