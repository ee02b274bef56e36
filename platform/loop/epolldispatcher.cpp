#include "platform/loop/epolldispatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimerEvent>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

namespace {

// Ready descriptors taken from the kernel in one call; more stay ready for the next turn.
constexpr int MaxEventsPerTurn = 512;
// Marks the wake-up descriptor's readiness; watched descriptors carry a generation from 1 on.
constexpr uint64_t WakeUpMark = 0;

uint64_t tag(int fd, uint32_t generation)
{
    return (static_cast<uint64_t>(generation) << 32) | static_cast<uint32_t>(fd);
}

// Readiness as poll() reports it to Qt's own dispatchers: a hang-up or an error wakes the reader
// (which then learns of it from read()), an error the writer too.
bool readable(uint32_t events)
{
    return (events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0;
}

bool writable(uint32_t events)
{
    return (events & (EPOLLOUT | EPOLLERR)) != 0;
}

} // namespace

TEpollEventDispatcher::TEpollEventDispatcher(QObject *parent)
    : QAbstractEventDispatcher(parent), epoll_(epoll_create1(EPOLL_CLOEXEC)), wakeUps_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (!epoll_.valid() || !wakeUps_.valid())
        qFatal("cannot make the event loop's epoll set or wake-up descriptor: %s", strerror(errno));
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = WakeUpMark;
    epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wakeUps_.get(), &event);
}

TEpollEventDispatcher::~TEpollEventDispatcher() = default;

TEpollEventDispatcher::TWatch &TEpollEventDispatcher::changing(int fd)
{
    TWatch &watch = watches_[fd];
    if (!watch.Changed)
        changed_.push_back(fd);
    watch.Changed = true;
    return watch;
}

void TEpollEventDispatcher::registerSocketNotifier(QSocketNotifier *notifier)
{
    TWatch &watch = changing(static_cast<int>(notifier->socket()));
    // Watched again after all its notifiers went: perhaps another descriptor under the same number,
    // whose readiness must not be taken for that of the one before.
    if (!watch.Read && !watch.Write && !watch.Exception)
        watch.Generation = ++generations_ == 0 ? ++generations_ : generations_;
    switch (notifier->type()) {
    case QSocketNotifier::Read: watch.Read = notifier; break;
    case QSocketNotifier::Write: watch.Write = notifier; break;
    case QSocketNotifier::Exception: watch.Exception = notifier; break;
    }
}

void TEpollEventDispatcher::unregisterSocketNotifier(QSocketNotifier *notifier)
{
    const int fd = static_cast<int>(notifier->socket());
    if (!watches_.count(fd))
        return;
    TWatch &watch = changing(fd);
    for (QSocketNotifier **slot : {&watch.Read, &watch.Write, &watch.Exception})
        if (*slot == notifier)
            *slot = nullptr;
}

void TEpollEventDispatcher::tellKernel()
{
    for (const int fd : changed_) {
        const auto at = watches_.find(fd);
        if (at == watches_.end())
            continue;
        TWatch &watch = at->second;
        watch.Changed = false;
        const uint32_t wanted = (watch.Read ? EPOLLIN : 0u) | (watch.Write ? EPOLLOUT : 0u) | (watch.Exception ? EPOLLPRI : 0u);
        if (wanted == 0) {
            // The descriptor may be closed already, which took it out of the set: nothing to undo then.
            if (watch.ToldGeneration != 0)
                epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr);
            watches_.erase(at);
            continue;
        }
        if (wanted == watch.Told && watch.Generation == watch.ToldGeneration)
            continue;
        epoll_event event{};
        event.events = wanted;
        event.data.u64 = tag(fd, watch.Generation);
        int rc = epoll_ctl(epoll_.get(), watch.ToldGeneration != 0 ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event);
        // A descriptor closed and opened again under the same number left the set with the close.
        if (rc != 0 && errno == ENOENT)
            rc = epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event);
        else if (rc != 0 && errno == EEXIST)
            rc = epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, fd, &event);
        if (rc != 0) {
            qWarning("cannot watch descriptor %d: %s", fd, strerror(errno));
            continue;
        }
        watch.Told = wanted;
        watch.ToldGeneration = watch.Generation;
    }
    changed_.clear();
}

void TEpollEventDispatcher::registerTimer(int timerId, qint64 interval, Qt::TimerType timerType, QObject *object)
{
    const auto [at, added] = timers_.try_emplace(timerId);
    TTimer &timer = at->second;
    // An id registered again must not leave its earlier deadline behind in the queue.
    if (!added)
        due_.erase({timer.Due, timerId});
    timer.IntervalMs = interval;
    timer.Type = timerType;
    timer.Object = object;
    timer.Running = false;
    timer.Due = TClock::now() + std::chrono::milliseconds(interval);
    due_.emplace(timer.Due, timerId);
}

bool TEpollEventDispatcher::unregisterTimer(int timerId)
{
    const auto at = timers_.find(timerId);
    if (at == timers_.end())
        return false;
    due_.erase({at->second.Due, timerId});
    timers_.erase(at);
    return true;
}

bool TEpollEventDispatcher::unregisterTimers(QObject *object)
{
    bool any = false;
    for (auto at = timers_.begin(); at != timers_.end();) {
        if (at->second.Object != object) {
            ++at;
            continue;
        }
        due_.erase({at->second.Due, at->first});
        at = timers_.erase(at);
        any = true;
    }
    return any;
}

QList<QAbstractEventDispatcher::TimerInfo> TEpollEventDispatcher::registeredTimers(QObject *object) const
{
    QList<TimerInfo> found;
    for (const auto &[id, timer] : timers_)
        if (timer.Object == object)
            found.append(TimerInfo(id, static_cast<int>(timer.IntervalMs), timer.Type));
    return found;
}

int TEpollEventDispatcher::remainingTime(int timerId)
{
    const auto at = timers_.find(timerId);
    if (at == timers_.end())
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(at->second.Due - TClock::now()).count();
    return static_cast<int>(std::clamp<qint64>(left, 0, INT_MAX));
}

void TEpollEventDispatcher::wakeUp()
{
    if (wakePending_.exchange(true))
        return;
    const uint64_t one = 1;
    // The counter cannot overflow with one write per wake-up taken: nothing to do when it fails.
    [[maybe_unused]] const ssize_t written = write(wakeUps_.get(), &one, sizeof one);
}

void TEpollEventDispatcher::interrupt()
{
    interrupted_ = true;
    wakeUp();
}

void TEpollEventDispatcher::drainWakeUps()
{
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t taken = read(wakeUps_.get(), &count, sizeof count);
    wakePending_ = false;
}

int TEpollEventDispatcher::waitMs(bool canWait) const
{
    if (!canWait)
        return 0;
    if (due_.empty())
        return -1;
    // Rounded up: waking before the earliest timer is due would only turn the loop once for nothing.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due_.begin()->first - TClock::now()).count();
    return static_cast<int>(std::clamp<qint64>(left, 0, INT_MAX));
}

bool TEpollEventDispatcher::processEvents(QEventLoop::ProcessEventsFlags flags)
{
    interrupted_ = false;
    emit awake();
    QCoreApplication::sendPostedEvents();
    // A post or an interrupt from now on writes the wake-up descriptor, so the wait below ends at once.
    const bool canWait = (flags & QEventLoop::WaitForMoreEvents) && !interrupted_;
    if (canWait)
        emit aboutToBlock();
    tellKernel();
    epoll_event events[MaxEventsPerTurn];
    int ready = epoll_wait(epoll_.get(), events, MaxEventsPerTurn, waitMs(canWait));
    if (ready < 0)
        ready = 0; // EINTR: a signal; the caller turns the loop again
    if (canWait)
        emit awake();
    std::vector<std::pair<uint64_t, uint32_t>> activations;
    activations.reserve(static_cast<size_t>(ready));
    bool any = false;
    for (int i = 0; i < ready; ++i) {
        if (events[i].data.u64 == WakeUpMark) {
            drainWakeUps();
            any = true;
        } else {
            activations.emplace_back(uint64_t{events[i].data.u64}, uint32_t{events[i].events});
        }
    }
    if (interrupted_)
        return any;
    if (!(flags & QEventLoop::ExcludeSocketNotifiers)) {
        for (const auto &[mark, happened] : activations) {
            const int fd = static_cast<int>(mark & 0xFFFFFFFFu);
            const auto generation = static_cast<uint32_t>(mark >> 32);
            // Looked up before each activation: a handler may close or replace any notifier.
            const auto notify = [&](QSocketNotifier *TWatch::*slot) {
                const auto at = watches_.find(fd);
                if (at == watches_.end() || at->second.Generation != generation || !(at->second.*slot))
                    return;
                QEvent event(QEvent::SockAct);
                QCoreApplication::sendEvent(at->second.*slot, &event);
                any = true;
            };
            if (happened & EPOLLPRI)
                notify(&TWatch::Exception);
            if (readable(happened))
                notify(&TWatch::Read);
            if (writable(happened))
                notify(&TWatch::Write);
        }
    }
    return activateTimers() || any;
}

bool TEpollEventDispatcher::activateTimers()
{
    const TClock::time_point now = TClock::now();
    // Only the timers due now, each once: a zero interval must not keep this turn going for ever.
    std::vector<int> expired;
    for (auto at = due_.begin(); at != due_.end() && at->first <= now; ++at)
        expired.push_back(at->second);
    bool any = false;
    for (const int id : expired) {
        auto at = timers_.find(id);
        if (at == timers_.end() || at->second.Running || at->second.Due > now)
            continue;
        TTimer &timer = at->second;
        due_.erase({timer.Due, id});
        timer.Due += std::chrono::milliseconds(timer.IntervalMs);
        if (timer.Due < now)
            timer.Due = now + std::chrono::milliseconds(timer.IntervalMs);
        due_.emplace(timer.Due, id);
        timer.Running = true;
        QObject *object = timer.Object;
        QTimerEvent event(id);
        QCoreApplication::sendEvent(object, &event);
        any = true;
        // The handler may have stopped the timer, or stopped it and started another with its id.
        if (const auto still = timers_.find(id); still != timers_.end() && still->second.Object == object)
            still->second.Running = false;
    }
    return any;
}

} // namespace platform
