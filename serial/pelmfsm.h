#pragma once
// A timer-driven state machine for protocol logic: the owner keeps an integer State, and the
// component calls OnProcessState on the user-interface thread every Interval ms, at once after
// every assignment of State, or after a requested delay (Wait, WaitState). Elapsed tells how long
// the machine has been in its state, for time-outs.
//
// Threads: the component is created and destroyed on the user-interface thread (the application's
// main thread) and its handlers run there, one at a time, while the timer thread waits for them.
// Trigger and Wait may be called from any thread. Never destroy a machine from inside its own
// handlers (its timer thread is waiting for that very handler); use deleteLater there.
#include <QObject>

class QEvent;

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace PelmClasses {

// Milliseconds since an arbitrary start; wraps around after 49.7 days, so only differences count.
uint32_t TickCount();

using TNotifyEvent = std::function<void(QObject *Sender)>;

template <typename T> class TPelmFsmStateT {
public:
    using TChangeEvent = std::function<void(TPelmFsmStateT &State, T &NewValue, T OldValue)>;

    std::atomic<T> Value{};
    std::atomic<uint32_t> ChangeTick{0};
    TChangeEvent OnChange;

    // Every assignment counts as a change, also one of the value the state already has.
    void Assign(T value)
    {
        const T old = Value.exchange(value);
        if (OnChange) {
            T newValue = value;
            OnChange(*this, newValue, old);
            Value = newValue;
        }
        ChangeTick = TickCount();
    }
};

// A manual-reset event: stays set until reset, and wakes every waiter while set.
class TPelmFsmEvent {
public:
    void Set();
    void Reset();
    // True when the event was set within the time.
    bool WaitFor(uint64_t ms);

private:
    std::mutex FLock;
    std::condition_variable FCond;
    bool FSignalled = false;
};

class TPelmSyncCaller;

// A worker thread in the manner of the component framework: Execute runs on its own thread once
// Start is called; Synchronize runs a call on the user-interface thread and waits for it; WaitFor,
// on the user-interface thread, keeps serving such calls until the thread has ended, so that a
// thread waiting for the user-interface thread can always finish.
class TPelmThread {
public:
    TPelmThread();
    TPelmThread(const TPelmThread &) = delete;
    TPelmThread &operator=(const TPelmThread &) = delete;
    // A descendant ends its thread in its own destructor (its Execute uses its members); this only
    // makes sure that no thread outlives the object.
    virtual ~TPelmThread();

    void Start();
    void Terminate() { FTerminated = true; }
    bool fGetTerminated() const { return FTerminated; }
    bool fGetRunning() const { return FRunning; }
    void WaitFor();

protected:
    virtual void Execute() = 0;
    void Synchronize(const std::function<void()> &call);

private:
    friend class TPelmSyncCaller;
    // Runs the call a Synchronize is waiting for, if any, and releases the waiting thread. An error
    // the call raised is passed on when asked to (it then reaches the application's top-level
    // handler), else dropped.
    void _RunSynchronized(bool passErrorsOn);
    bool _OnCallerThread() const;
    bool _IsSyncEvent(QEvent *e);

    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FRunning{false};
    std::mutex FSyncLock;
    std::condition_variable FSyncCond;
    const std::function<void()> *FSyncCall = nullptr;
    bool FSyncDone = false;
    bool FFinished = false;
    bool FInCall = false; // the user-interface thread is running a synchronised call of this thread
    std::unique_ptr<TPelmSyncCaller> FCaller;
    std::thread FThread;
};

class TPelmFsmTimer : public TPelmThread {
public:
    using TTimerEvent = std::function<void(TPelmFsmTimer *Sender)>;

    // Sets an event every Interval ms.
    class TPelmTimerThread : public TPelmThread {
    public:
        explicit TPelmTimerThread(TPelmFsmEvent *targetEvent);
        ~TPelmTimerThread() override;
        uint32_t fGetInterval() const { return FInterval; }
        // Ticks at once and then every interval ms; 0 is taken as 1 so that the thread never spins.
        void fSetInterval(uint32_t interval);

    protected:
        void Execute() override;

    private:
        std::atomic<uint32_t> FInterval{100};
        TPelmFsmEvent *FTargetEvent;
        TPelmFsmEvent FWaitEvent;
        std::atomic<bool> FStopping{false};
    };

    TPelmFsmTimer();
    ~TPelmFsmTimer() override;

    virtual void Trigger();
    virtual void Wait(uint32_t ms);
    uint32_t fGetInterval() const { return FTicker->fGetInterval(); }
    void fSetInterval(uint32_t interval) { FTicker->fSetInterval(interval); }
    uint32_t fGetWaitTime() const { return FWaitTime; }

    // Set before Start; they run on the user-interface thread.
    TTimerEvent OnTimer;
    TTimerEvent OnStart;
    TTimerEvent OnStop;

protected:
    void Execute() override;
    virtual void EvStart();
    virtual void EvStop();
    virtual void EvTimer();

private:
    TPelmFsmEvent FTickEvent;
    TPelmFsmEvent FWakeEvent;
    std::unique_ptr<TPelmTimerThread> FTicker;
    std::atomic<uint32_t> FWaitTime{0};
    std::atomic<bool> FStopping{false};
};

class TPelmCustomFSM : public QObject {
    Q_OBJECT
public:
    explicit TPelmCustomFSM(QObject *owner = nullptr);
    ~TPelmCustomFSM() override;

    virtual void Trigger();
    virtual void Wait(uint32_t ms);
    // Enters the state and processes it after ms instead of at once.
    virtual void WaitState(int32_t state, uint32_t ms);

    int32_t fGetState() const { return FState.Value; }
    void fSetState(int32_t state) { FState.Assign(state); }
    uint32_t fGetElapsed() const;
    void fSetElapsed(uint32_t elapsed);
    uint32_t fGetWaiting() const { return FTimer->fGetWaitTime(); }

protected:
    virtual void ProcessState();
    uint32_t fGetInterval() const { return FTimer->fGetInterval(); }
    void fSetInterval(uint32_t interval) { FTimer->fSetInterval(interval); }

    TNotifyEvent OnProcessState;

private:
    void _FsmSetState(TPelmFsmStateT<int32_t> &state, int32_t &newValue, int32_t oldValue);
    void _FsmThreadTimer(TPelmFsmTimer *sender);

    TPelmFsmStateT<int32_t> FState;
    std::unique_ptr<TPelmFsmTimer> FTimer;
    std::atomic<bool> FInWaitState{false};
};

class TPelmFSM : public TPelmCustomFSM {
    Q_OBJECT
    Q_PROPERTY(quint32 Interval READ fGetInterval WRITE fSetInterval)
public:
    using TPelmCustomFSM::TPelmCustomFSM;
    using TPelmCustomFSM::fGetInterval;
    using TPelmCustomFSM::fSetInterval;
    using TPelmCustomFSM::OnProcessState;
};

} // namespace PelmClasses
