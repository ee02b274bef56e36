#include "serial/pelmfsm.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <chrono>

namespace PelmClasses {

uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TPelmFsmEvent::Set()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FSignalled = true;
    }
    FCond.notify_all();
}

void TPelmFsmEvent::Reset()
{
    std::lock_guard<std::mutex> lock(FLock);
    FSignalled = false;
}

bool TPelmFsmEvent::WaitFor(uint64_t ms)
{
    std::unique_lock<std::mutex> lock(FLock);
    return FCond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return FSignalled; });
}

// Lives in the user-interface thread and runs a thread's synchronised call when the event posted
// for it arrives there. The call itself is handed over under the thread's lock, so the posted
// event carries nothing.
class TPelmSyncCaller : public QObject {
public:
    static constexpr QEvent::Type SyncEvent = QEvent::User;

    explicit TPelmSyncCaller(TPelmThread *owner) : FOwner(owner)
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            moveToThread(app->thread());
    }

    bool event(QEvent *e) override
    {
        if (!FOwner->_IsSyncEvent(e))
            return QObject::event(e);
        FOwner->_RunSynchronized(true);
        return true;
    }

private:
    TPelmThread *FOwner;
};

TPelmThread::TPelmThread() : FCaller(std::make_unique<TPelmSyncCaller>(this)) {}

TPelmThread::~TPelmThread()
{
    if (FThread.joinable()) {
        Terminate();
        WaitFor();
    }
}

void TPelmThread::Start()
{
    if (FThread.joinable())
        return;
    FRunning = true;
    FThread = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            // A thread's failure ends the thread, as in the framework; nobody is there to take it.
        }
        FRunning = false;
        {
            std::lock_guard<std::mutex> lock(FSyncLock);
            FFinished = true;
        }
        FSyncCond.notify_all();
    });
}

bool TPelmThread::_OnCallerThread() const
{
    return QThread::currentThread() == FCaller->thread();
}

void TPelmThread::Synchronize(const std::function<void()> &call)
{
    if (_OnCallerThread()) {
        call();
        return;
    }
    QEvent *wake = nullptr;
    {
        std::lock_guard<std::mutex> lock(FSyncLock);
        FSyncCall = &call;
        FSyncDone = false;
        wake = new QEvent(TPelmSyncCaller::SyncEvent);
    }
    FSyncCond.notify_all();
    QCoreApplication::postEvent(FCaller.get(), wake);
    std::unique_lock<std::mutex> lock(FSyncLock);
    FSyncCond.wait(lock, [this] { return FSyncDone; });
}

// The event was made under the lock on another thread; reading it under the same lock orders the
// two for tools that cannot see the event queue's own locking.
bool TPelmThread::_IsSyncEvent(QEvent *e)
{
    std::lock_guard<std::mutex> lock(FSyncLock);
    return e->type() == TPelmSyncCaller::SyncEvent;
}

void TPelmThread::_RunSynchronized(bool passErrorsOn)
{
    const std::function<void()> *call = nullptr;
    {
        std::lock_guard<std::mutex> lock(FSyncLock);
        std::swap(call, FSyncCall);
    }
    if (!call)
        return;
    std::exception_ptr error;
    FInCall = true;
    try {
        (*call)();
    } catch (...) {
        error = std::current_exception();
    }
    FInCall = false;
    {
        std::lock_guard<std::mutex> lock(FSyncLock);
        FSyncDone = true;
    }
    FSyncCond.notify_all();
    if (error && passErrorsOn)
        std::rethrow_exception(error);
}

void TPelmThread::WaitFor()
{
    if (!FThread.joinable() || FThread.get_id() == std::this_thread::get_id())
        return;
    const bool serve = _OnCallerThread();
    if (serve && FInCall)
        qFatal("A thread of the serial library was destroyed from inside its own synchronised call "
               "(a state machine from its own handler?); the thread waits for that call. Use deleteLater.");
    std::unique_lock<std::mutex> lock(FSyncLock);
    for (;;) {
        FSyncCond.wait(lock, [&] { return FFinished || (serve && FSyncCall); });
        if (!serve || !FSyncCall)
            break;
        lock.unlock();
        _RunSynchronized(false);
        lock.lock();
    }
    lock.unlock();
    FThread.join();
}

TPelmFsmTimer::TPelmTimerThread::TPelmTimerThread(TPelmFsmEvent *targetEvent) : FTargetEvent(targetEvent) {}

TPelmFsmTimer::TPelmTimerThread::~TPelmTimerThread()
{
    FStopping = true;
    FWaitEvent.Set();
    WaitFor();
}

void TPelmFsmTimer::TPelmTimerThread::fSetInterval(uint32_t interval)
{
    FInterval = interval == 0 ? 1 : interval;
    if (fGetRunning())
        FWaitEvent.Set();
}

void TPelmFsmTimer::TPelmTimerThread::Execute()
{
    while (!fGetTerminated() && !FStopping) {
        FWaitEvent.WaitFor(FInterval);
        FWaitEvent.Reset();
        if (FTargetEvent)
            FTargetEvent->Set();
    }
}

TPelmFsmTimer::TPelmFsmTimer() : FTicker(std::make_unique<TPelmTimerThread>(&FTickEvent))
{
    FTicker->Start();
}

// The ticker outlives the timer thread, which reads its interval until the end.
TPelmFsmTimer::~TPelmFsmTimer()
{
    FStopping = true;
    FWakeEvent.Set();
    FTickEvent.Set();
    Terminate();
    WaitFor();
    FTicker.reset();
}

void TPelmFsmTimer::Trigger()
{
    FWaitTime = 0;
    FTickEvent.Set();
    FWakeEvent.Set();
}

void TPelmFsmTimer::Wait(uint32_t ms)
{
    FWaitTime = ms;
    FTickEvent.Set();
    FWakeEvent.Set();
}

void TPelmFsmTimer::Execute()
{
    Synchronize([this] { EvStart(); });
    while (!FStopping && !fGetTerminated()) {
        const uint32_t wait = FWaitTime.exchange(0);
        if (wait != 0)
            FWakeEvent.WaitFor(wait);
        else
            FTickEvent.WaitFor(2ull * FTicker->fGetInterval());
        FTickEvent.Reset();
        FWakeEvent.Reset();
        if (FStopping || fGetTerminated() || FWaitTime != 0)
            continue;
        // A tick that was already on its way when destruction began is not processed any more.
        Synchronize([this] {
            if (!FStopping)
                EvTimer();
        });
        if (FWaitTime != 0)
            FWakeEvent.Reset();
    }
    Synchronize([this] { EvStop(); });
}

void TPelmFsmTimer::EvStart()
{
    if (OnStart)
        OnStart(this);
}

void TPelmFsmTimer::EvStop()
{
    if (OnStop)
        OnStop(this);
}

void TPelmFsmTimer::EvTimer()
{
    if (OnTimer)
        OnTimer(this);
}

TPelmCustomFSM::TPelmCustomFSM(QObject *owner) : QObject(owner), FTimer(std::make_unique<TPelmFsmTimer>())
{
    FState.OnChange = [this](TPelmFsmStateT<int32_t> &state, int32_t &newValue, int32_t oldValue) {
        _FsmSetState(state, newValue, oldValue);
    };
    FTimer->OnTimer = [this](TPelmFsmTimer *sender) { _FsmThreadTimer(sender); };
    FTimer->Start();
}

TPelmCustomFSM::~TPelmCustomFSM()
{
    FTimer.reset();
}

void TPelmCustomFSM::Trigger()
{
    FTimer->Trigger();
}

void TPelmCustomFSM::Wait(uint32_t ms)
{
    FTimer->Wait(ms);
}

void TPelmCustomFSM::WaitState(int32_t state, uint32_t ms)
{
    struct TLeave {
        std::atomic<bool> &Flag;
        ~TLeave() { Flag = false; }
    } leave{FInWaitState};
    FInWaitState = true;
    FState.Assign(state);
    FTimer->Wait(ms);
}

uint32_t TPelmCustomFSM::fGetElapsed() const
{
    return TickCount() - FState.ChangeTick;
}

void TPelmCustomFSM::fSetElapsed(uint32_t elapsed)
{
    FState.ChangeTick = TickCount() - elapsed;
}

void TPelmCustomFSM::ProcessState()
{
    if (OnProcessState)
        OnProcessState(this);
}

void TPelmCustomFSM::_FsmSetState(TPelmFsmStateT<int32_t> &, int32_t &, int32_t)
{
    if (!FInWaitState)
        FTimer->Trigger();
}

void TPelmCustomFSM::_FsmThreadTimer(TPelmFsmTimer *)
{
    ProcessState();
}

} // namespace PelmClasses
