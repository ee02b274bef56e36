// The epoll event dispatcher as the bridge runs on it: real loopback sockets and pipes, Qt's own
// timers and posted events, a wake-up from another thread.
#include "platform/loop/epolldispatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Turns the loop until done holds; false when it did not within seconds.
template <typename F>
bool turnUntil(F done, int seconds = 10)
{
    const QDeadlineTimer deadline(seconds * 1000);
    QTimer wake;
    wake.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct TPipe {
    int Read = -1;
    int Write = -1;
    TPipe()
    {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            Read = fds[0];
            Write = fds[1];
        }
    }
    ~TPipe() { Close(); }
    void Close()
    {
        if (Read >= 0)
            close(Read);
        if (Write >= 0)
            close(Write);
        Read = Write = -1;
    }
    void Poke() const { ASSERT_EQ(write(Write, "x", 1), 1); }
    void Drain() const
    {
        char byte;
        while (read(Read, &byte, 1) == 1) {
        }
    }
};

TEST(EpollDispatcher, IsTheLoopsDispatcher)
{
    EXPECT_NE(dynamic_cast<platform::TEpollEventDispatcher *>(QAbstractEventDispatcher::instance()), nullptr);
}

// Many links at once, each answering every message, as modules answer the bridge: every byte
// arrives, whatever the writers' notifiers did between the turns.
TEST(EpollDispatcher, ManySocketsExchangeEveryByte)
{
    constexpr int Links = 200;
    constexpr int Rounds = 20;
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    int echoedBack = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *peer = server.nextPendingConnection())
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer] { peer->write(peer->readAll()); });
    });
    std::vector<int> received(Links, 0);
    for (int i = 0; i < Links; ++i) {
        auto c = std::make_unique<QTcpSocket>();
        QTcpSocket *raw = c.get();
        QObject::connect(raw, &QTcpSocket::readyRead, raw, [&, raw, i] {
            const qsizetype n = raw->readAll().size();
            received[i] += static_cast<int>(n);
            echoedBack += static_cast<int>(n);
            if (received[i] % 4 == 0 && received[i] < Rounds * 4)
                raw->write("ping");
        });
        raw->connectToHost(QHostAddress::LocalHost, server.serverPort());
        clients.push_back(std::move(c));
    }
    ASSERT_TRUE(turnUntil([&] {
        for (auto &c : clients)
            if (c->state() != QAbstractSocket::ConnectedState)
                return false;
        return true;
    }));
    for (auto &c : clients)
        c->write("ping");
    ASSERT_TRUE(turnUntil([&] { return echoedBack >= Links * Rounds * 4; })) << echoedBack << " bytes came back";
    for (int i = 0; i < Links; ++i)
        EXPECT_EQ(received[i], Rounds * 4) << "link " << i;
}

TEST(EpollDispatcher, PeerClosingIsSeen)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QTcpSocket client;
    bool closed = false;
    QObject::connect(&client, &QTcpSocket::disconnected, [&] { closed = true; });
    client.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(turnUntil([&] { return server.hasPendingConnections() && client.state() == QAbstractSocket::ConnectedState; }));
    std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
    peer->close();
    EXPECT_TRUE(turnUntil([&] { return closed; }));
}

// Two descriptors ready in the same turn; whichever is handled first deletes the other's notifier:
// the other must not be activated through what is left of it.
TEST(EpollDispatcher, NotifierDeletedByAnotherHandlerInTheSameTurnStaysSilent)
{
    TPipe a, b;
    auto first = std::make_unique<QSocketNotifier>(a.Read, QSocketNotifier::Read);
    auto second = std::make_unique<QSocketNotifier>(b.Read, QSocketNotifier::Read);
    int activations = 0;
    QObject::connect(first.get(), &QSocketNotifier::activated, [&] {
        ++activations;
        a.Drain();
        second.reset();
    });
    QObject::connect(second.get(), &QSocketNotifier::activated, [&] {
        ++activations;
        b.Drain();
        first.reset();
    });
    a.Poke();
    b.Poke();
    ASSERT_TRUE(turnUntil([&] { return activations > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 1);
}

// A handler closes a ready descriptor and opens another that gets the same number, as a module
// dialling in again does: readiness the kernel reported for the closed one must not reach the new
// one's notifier.
TEST(EpollDispatcher, ReadinessOfAClosedDescriptorDoesNotReachItsSuccessor)
{
    auto a = std::make_unique<TPipe>();
    auto b = std::make_unique<TPipe>();
    std::unique_ptr<TPipe> successor;
    std::unique_ptr<QSocketNotifier> successorNotifier;
    int successorActivations = 0;
    bool reused = false;
    std::unique_ptr<QSocketNotifier> na, nb;
    const auto replace = [&](std::unique_ptr<TPipe> &victim, std::unique_ptr<QSocketNotifier> &victimNotifier) {
        if (successor)
            return;
        const int number = victim->Read;
        victimNotifier.reset();
        victim.reset();
        successor = std::make_unique<TPipe>();
        reused = successor->Read == number || successor->Write == number;
        successorNotifier = std::make_unique<QSocketNotifier>(number == successor->Read ? successor->Read : successor->Write,
                                                              QSocketNotifier::Read);
        QObject::connect(successorNotifier.get(), &QSocketNotifier::activated, [&] { ++successorActivations; });
    };
    na = std::make_unique<QSocketNotifier>(a->Read, QSocketNotifier::Read);
    nb = std::make_unique<QSocketNotifier>(b->Read, QSocketNotifier::Read);
    QObject::connect(na.get(), &QSocketNotifier::activated, [&] {
        a->Drain();
        replace(b, nb);
    });
    QObject::connect(nb.get(), &QSocketNotifier::activated, [&] {
        b->Drain();
        replace(a, na);
    });
    a->Poke();
    b->Poke();
    ASSERT_TRUE(turnUntil([&] { return successor != nullptr; }));
    if (!reused)
        GTEST_SKIP() << "the new pipe did not get the closed descriptor's number";
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(successorActivations, 0);
}

TEST(EpollDispatcher, TimersFireInTheOrderTheyAreDueAndStoppedOnesNever)
{
    std::vector<int> fired;
    std::vector<std::unique_ptr<QTimer>> timers;
    for (const int ms : {60, 10, 40, 20, 30}) {
        auto t = std::make_unique<QTimer>();
        t->setSingleShot(true);
        QObject::connect(t.get(), &QTimer::timeout, [&fired, ms] { fired.push_back(ms); });
        t->start(ms);
        timers.push_back(std::move(t));
    }
    timers[2]->stop(); // the 40 ms one
    ASSERT_TRUE(turnUntil([&] { return fired.size() >= 4; }));
    QTimer settle;
    settle.setSingleShot(true);
    settle.start(100);
    ASSERT_TRUE(turnUntil([&] { return !settle.isActive(); }));
    EXPECT_EQ(fired, (std::vector<int>{10, 20, 30, 60}));
}

TEST(EpollDispatcher, RepeatingTimerRestartedInItsHandlerKeepsGoing)
{
    QTimer t;
    int ticks = 0;
    QObject::connect(&t, &QTimer::timeout, [&] {
        ++ticks;
        t.start(5);
    });
    t.start(5);
    EXPECT_TRUE(turnUntil([&] { return ticks >= 5; }));
    EXPECT_GE(t.remainingTime(), 0);
}

// A zero-interval timer is due on every turn; posted events and sockets still get theirs.
TEST(EpollDispatcher, BusyZeroTimerStarvesNothing)
{
    QTimer busy;
    int spins = 0;
    QObject::connect(&busy, &QTimer::timeout, [&] { ++spins; });
    busy.start(0);
    bool posted = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { posted = true; }, Qt::QueuedConnection);
    TPipe p;
    QSocketNotifier n(p.Read, QSocketNotifier::Read);
    bool read = false;
    QObject::connect(&n, &QSocketNotifier::activated, [&] { read = true; });
    p.Poke();
    EXPECT_TRUE(turnUntil([&] { return posted && read; }));
    EXPECT_GT(spins, 0);
}

// The loop waits with nothing due; a call queued from another thread ends the wait.
TEST(EpollDispatcherThreads, CallFromAnotherThreadWakesTheWaitingLoop)
{
    QEventLoop loop;
    QTimer failSafe;
    failSafe.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&failSafe, &QTimer::timeout, [&] {
        timedOut = true;
        loop.quit();
    });
    failSafe.start(10000);
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    other.join();
    EXPECT_FALSE(timedOut);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setEventDispatcher(new platform::TEpollEventDispatcher);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
