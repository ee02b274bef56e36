#include "mainwindowfixture.h"

#include "core/hextext.h"

#include <QLabel>
#include <QSignalSpy>

using testsupport::WaitFor;

TEST_F(MainWindowTest, EveryModuleHearsClearWhenAnotherConnects)
{
    const int port = Listen();
    EXPECT_EQ(form->PanelText(3), "等待连接...");
    for (int i = 0; i < 3; ++i)
        AddModule(port);
    for (auto &p : peers)
        p->Received.clear();

    AddModule(port);

    for (auto &p : peers)
        EXPECT_TRUE(WaitFor([&] { return p->Received == "CLEAR"; })) << p->Received.toStdString();
    ASSERT_EQ(form->ListUserAddr->count(), 4);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(form->ListUserAddr->item(k)->text(), "127.0.0.1");
        EXPECT_EQ(form->ServerSocket1->Connection(k)->Socket()->peerPort(), peers[k]->Socket->localPort());
    }
    EXPECT_EQ(form->PanelText(3), "连接成功...");
    EXPECT_EQ(form->SentCount, 0);
}

TEST_F(MainWindowTest, AModuleLeavingTakesOneEntryAndTheSelectionFollowsItsModule)
{
    const int port = Listen();
    for (int i = 0; i < 3; ++i)
        AddModule(port);
    form->ListUserAddr->setCurrentRow(2);
    const quint16 selectedPeer = peers[2]->Socket->localPort();

    peers[0]->Socket->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return form->ListUserAddr->count() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return form->ServerSocket1->ConnectionCount() == 2; }));

    const TTarget target = form->TargetConnection();
    ASSERT_EQ(target.Outcome, TTarget::Connection);
    EXPECT_EQ(target.Link->Socket()->peerPort(), selectedPeer);
}

TEST_F(MainWindowTest, TargetConnectionFollowsTheLinkState)
{
    EXPECT_EQ(form->TargetConnection().Outcome, TTarget::NoLink);
    AddModule(Listen());
    EXPECT_EQ(form->TargetConnection().Outcome, TTarget::NoSelection);
    form->ListUserAddr->setCurrentRow(0);
    EXPECT_EQ(form->TargetConnection().Outcome, TTarget::Connection);
    form->Button1Click();
    EXPECT_EQ(form->TargetConnection().Outcome, TTarget::NoLink);
}

TEST_F(MainWindowTest, PiecesOfAReplyAreGatheredAndProcessedOnce)
{
    EXPECT_EQ(form->Timer2->interval(), 10);
    TPeer &module = AddModule(Listen());
    form->Timer2Timer(); // forget the accept's traffic
    // A wider quiet gap keeps the test independent of the machine's speed; the gathering is the same.
    form->Timer2->setInterval(1000);
    QSignalSpy processed(form->Timer2, &QTimer::timeout);

    module.Send(QByteArray("\xFF\x00", 2));
    ASSERT_TRUE(WaitFor([&] { return form->Edit4->text() == "FF 00"; }));
    module.Send(QByteArray("\x00\xFD", 2));
    ASSERT_TRUE(WaitFor([&] { return form->Edit4->text() == "FF 00 00 FD"; }));
    EXPECT_EQ(processed.count(), 0);

    ASSERT_TRUE(WaitFor([&] { return processed.count() == 1; }));
    EXPECT_TRUE(form->Edit4->text().isEmpty());
    EXPECT_EQ(form->ReceivedCount, 4);
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_TRUE(form->Timer3->isActive());
}

TEST_F(MainWindowTest, AnEndlessSenderNeitherGrowsTheAccumulatorNorLosesCount)
{
    TPeer &module = AddModule(Listen());
    form->Timer2->setInterval(60000);
    const QByteArray flood(200000, '\x55');
    module.Send(flood);
    ASSERT_TRUE(WaitFor([&] { return form->ReceivedCount == flood.size(); }, 30000));
    const QString held = form->Edit4->text();
    EXPECT_EQ(held.size(), 1000 * 3 - 1);
    EXPECT_TRUE(held.startsWith("55 55"));
    EXPECT_TRUE(held.endsWith("55 55"));
    form->Timer1Timer();
    EXPECT_EQ(form->PanelText(7), QString::number(flood.size()));
}

// However the pieces run together on the way, the accumulator keeps the first bytes of a reply up
// to its bound, and the count takes every byte; after processing the next reply starts afresh.
TEST_F(MainWindowTest, BytesBeyondAReplyAreCountedAndDroppedAndTheNextReplyStartsAfresh)
{
    TPeer &module = AddModule(Listen());
    form->Timer2Timer(); // forget the accept's traffic
    form->Timer2->setInterval(60000);
    QByteArray sent;
    for (int piece : {700, 299, 2, 640, 5}) {
        QByteArray bytes(piece, Qt::Uninitialized);
        for (int i = 0; i < piece; ++i)
            bytes[i] = static_cast<char>((sent.size() + i) % 251);
        module.Send(bytes);
        sent += bytes;
    }
    ASSERT_TRUE(WaitFor([&] { return form->ReceivedCount == sent.size(); }, 30000));
    EXPECT_EQ(form->Edit4->text(), BytesToHexText(sent.left(1000)).trimmed());
    EXPECT_EQ(form->PanelText(7), QString::number(sent.size()));

    form->Timer2Timer();
    module.Send(QByteArray("\xFF\x00\x00", 3));
    ASSERT_TRUE(WaitFor([&] { return form->ReceivedCount == sent.size() + 3; }));
    EXPECT_EQ(form->Edit4->text(), "FF 00 00");
}

TEST_F(MainWindowTest, KeepAliveReachesEveryModuleAndSilenceShowsWaiting)
{
    const int port = Listen();
    EXPECT_TRUE(form->Timer3->isActive());
    EXPECT_EQ(form->Timer3->interval(), 2000);
    for (int i = 0; i < 2; ++i)
        AddModule(port);
    for (auto &p : peers)
        p->Received.clear();

    form->Timer3Timer();

    EXPECT_EQ(form->Timer3->interval(), 8000);
    EXPECT_EQ(form->SentCount, 8);
    EXPECT_EQ(form->PanelText(5), "8");
    for (auto &p : peers)
        EXPECT_TRUE(WaitFor([&] { return p->Received == QByteArray("\xFF\x00\x00\xFA", 4); }));
    EXPECT_TRUE(form->Timer4->isActive());
    EXPECT_TRUE(WaitFor([&] { return form->PanelText(3) == "等待连接..."; }));
    EXPECT_FALSE(form->Timer4->isActive());
}

TEST_F(MainWindowTest, AnAnsweredKeepAliveKeepsTheLinkShownAsUp)
{
    TPeer &module = AddModule(Listen());
    form->Timer3Timer();
    module.Send(QByteArray("\xFF\x00\x00\xFA", 4));
    ASSERT_TRUE(WaitFor([&] { return form->ReceivedCount > 0; }));
    form->Timer2Timer();
    EXPECT_FALSE(form->Timer4->isActive());
    EXPECT_EQ(form->PanelText(3), "连接成功...");
}
