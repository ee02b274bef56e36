// The state machine with its real threads and a real event loop. Timing is checked only where a
// slow machine cannot break it: waits never end early, and counts have generous bounds.
#include "serial/pelmfsm.h"

#include "fsm/fsmapp.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace PelmClasses;

namespace {

constexpr int Patience = 10000;

bool onUiThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Records every processing step: when it came, the state and Elapsed it saw; Then acts in step n
// (counted from 1).
class Fsm : public ::testing::Test {
protected:
    std::unique_ptr<TPelmFSM> Machine = std::make_unique<TPelmFSM>();
    QElapsedTimer Clock;
    std::vector<qint64> At;
    std::vector<int32_t> States;
    std::vector<uint32_t> Elapsed;
    bool OffUiThread = false;
    bool Destroying = false;
    std::function<void(std::size_t step)> Then;

    Fsm()
    {
        Clock.start();
        Machine->OnProcessState = [this](QObject *sender) {
            EXPECT_EQ(sender, Machine.get());
            EXPECT_FALSE(Destroying) << "no step once destruction has begun";
            OffUiThread = OffUiThread || !onUiThread();
            At.push_back(Clock.elapsed());
            States.push_back(Machine->fGetState());
            Elapsed.push_back(Machine->fGetElapsed());
            if (Then)
                Then(At.size());
        };
    }
    ~Fsm() override { TFsmTestApp::Instance()->Errors.clear(); }

    bool WaitSteps(std::size_t n)
    {
        return QTest::qWaitFor([&] { return At.size() >= n; }, Patience);
    }
    // Lets the first steps pass with a long interval, so that later steps can only come from the
    // machine's own requests; returns the number of steps so far.
    std::size_t Quieten()
    {
        Machine->fSetInterval(60000);
        EXPECT_TRUE(WaitSteps(1));
        QTest::qWait(200);
        return At.size();
    }
};

} // namespace

TEST_F(Fsm, WithoutRequestsItStepsAboutOncePerIntervalOnTheUserInterfaceThread)
{
    EXPECT_EQ(Machine->fGetInterval(), 100u);
    ASSERT_TRUE(WaitSteps(5));
    const qint64 span = Clock.elapsed();
    EXPECT_LE(static_cast<qint64>(At.size()), span / 100 + 3) << "steps in " << span << " ms";
    EXPECT_FALSE(OffUiThread);
}

TEST_F(Fsm, AssigningTheSameStateStepsAtOnceAlsoFromInsideTheHandler)
{
    const std::size_t quiet = Quieten();
    Then = [&](std::size_t step) {
        if (step == quiet + 1)
            Machine->fSetState(Machine->fGetState());
    };
    Machine->fSetState(0);
    // Ticks come only every minute now: these steps are the assignments' doing.
    ASSERT_TRUE(WaitSteps(quiet + 2));
    EXPECT_EQ(States.back(), 0);
}

TEST_F(Fsm, WaitStateEntersTheStateAndProcessesItAfterTheDelay)
{
    qint64 requestedAt = 0;
    Then = [&](std::size_t step) {
        if (step == 2) {
            requestedAt = Clock.elapsed();
            Machine->WaitState(5, 1000);
            EXPECT_EQ(Machine->fGetState(), 5);
            EXPECT_EQ(Machine->fGetWaiting(), 1000u);
        }
    };
    ASSERT_TRUE(WaitSteps(3));
    EXPECT_EQ(States[2], 5);
    EXPECT_GE(At[2] - requestedAt, 995) << "ticks during the wait are ignored";
    EXPECT_GE(Elapsed[2], 995u);
    EXPECT_LE(static_cast<qint64>(Elapsed[2]), At[2] - requestedAt + 5);
}

TEST_F(Fsm, WaitFromInsideTheHandlerPostponesTheNextStep)
{
    qint64 requestedAt = 0;
    Then = [&](std::size_t step) {
        if (step == 2) {
            requestedAt = Clock.elapsed();
            Machine->Wait(500);
            EXPECT_EQ(Machine->fGetWaiting(), 500u);
        }
    };
    ASSERT_TRUE(WaitSteps(3));
    EXPECT_GE(At[2] - requestedAt, 495);
    EXPECT_EQ(Machine->fGetWaiting(), 0u) << "taken up by the timer thread";
}

TEST_F(Fsm, AnAssignmentEndsAWaitEarly)
{
    Then = [&](std::size_t step) {
        if (step == 2)
            Machine->WaitState(7, 60000);
    };
    ASSERT_TRUE(WaitSteps(2));
    QTest::qWait(300);
    EXPECT_EQ(At.size(), 2u) << "ticks during the wait are ignored";
    Machine->fSetState(8);
    ASSERT_TRUE(WaitSteps(3));
    EXPECT_EQ(States[2], 8);
}

TEST_F(Fsm, ElapsedCanBeWrittenToFakeTimeInTheState)
{
    Machine->fSetElapsed(2000);
    const uint32_t elapsed = Machine->fGetElapsed();
    EXPECT_GE(elapsed, 2000u);
    EXPECT_LT(elapsed, 2000u + Patience);

    Machine->fSetState(3);
    EXPECT_LT(Machine->fGetElapsed(), 2000u) << "an assignment starts the count again";
}

TEST_F(Fsm, IntervalIsAPropertyAndNeverZero)
{
    Machine->fSetInterval(250);
    EXPECT_EQ(Machine->fGetInterval(), 250u);
    EXPECT_EQ(Machine->property("Interval").toUInt(), 250u);
    EXPECT_TRUE(Machine->setProperty("Interval", 0u));
    EXPECT_EQ(Machine->fGetInterval(), 1u);
}

TEST_F(Fsm, TriggerAndWaitMayComeFromAnyThread)
{
    const std::size_t quiet = Quieten();
    std::atomic<bool> done{false};
    std::thread other([&] {
        for (int i = 0; i < 200 && !done; ++i) {
            if (i % 10 == 5)
                Machine->Wait(1);
            else
                Machine->Trigger();
            (void)Machine->fGetWaiting();
            (void)Machine->fGetElapsed();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const bool stepped = WaitSteps(quiet + 3);
    done = true;
    other.join();
    EXPECT_TRUE(stepped);
    EXPECT_FALSE(OffUiThread);
}

TEST_F(Fsm, AnErrorInTheHandlerReachesTheApplicationAndTheMachineGoesOn)
{
    Then = [&](std::size_t step) {
        if (step == 2)
            throw std::runtime_error("handler failed");
    };
    ASSERT_TRUE(WaitSteps(4));
    EXPECT_TRUE(TFsmTestApp::Instance()->Errors.contains(QStringLiteral("handler failed")));
}

// The timer thread is blocked in a synchronised call while the user-interface thread is busy; the
// destruction must serve that call instead of waiting for a thread that waits for it.
TEST_F(Fsm, DestroyingWhileTheTimerThreadWaitsForTheUserInterfaceThreadReturns)
{
    for (int busyMs : {0, 5, 50, 300}) {
        SCOPED_TRACE(busyMs);
        Machine->fSetInterval(10);
        const std::size_t before = At.size();
        ASSERT_TRUE(WaitSteps(before + 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(busyMs));
        Destroying = true;
        Machine.reset();
        QCoreApplication::processEvents();
        Destroying = false;
        Machine = std::make_unique<TPelmFSM>();
        Machine->OnProcessState = [this](QObject *) { At.push_back(Clock.elapsed()); };
    }
}

TEST(FsmTimer, StartTimerAndStopRunOnTheUserInterfaceThreadInOrder)
{
    std::vector<std::string> seen;
    bool offUiThread = false;
    auto timer = std::make_unique<TPelmFsmTimer>();
    TPelmFsmTimer *const self = timer.get();
    auto record = [&](const char *what) {
        return [&, what](TPelmFsmTimer *sender) {
            EXPECT_EQ(sender, self);
            offUiThread = offUiThread || !onUiThread();
            seen.emplace_back(what);
        };
    };
    timer->OnStart = record("start");
    timer->OnTimer = record("timer");
    timer->OnStop = record("stop");
    timer->fSetInterval(20);
    timer->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 4; }, Patience));
    timer.reset();
    ASSERT_GE(seen.size(), 5u);
    EXPECT_EQ(seen.front(), "start");
    EXPECT_EQ(seen.back(), "stop");
    for (std::size_t i = 1; i + 1 < seen.size(); ++i)
        EXPECT_EQ(seen[i], "timer") << i;
    EXPECT_FALSE(offUiThread);
}

TEST(FsmTimer, DestroyedBeforeTheEventLoopRanItStillStartsAndStops)
{
    std::vector<std::string> seen;
    auto timer = std::make_unique<TPelmFsmTimer>();
    timer->OnStart = [&](TPelmFsmTimer *) { seen.emplace_back("start"); };
    timer->OnTimer = [&](TPelmFsmTimer *) { seen.emplace_back("timer"); };
    timer->OnStop = [&](TPelmFsmTimer *) { seen.emplace_back("stop"); };
    timer->Start();
    // The timer thread now waits for the user-interface thread to run OnStart.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    timer.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"start", "stop"}));
}
