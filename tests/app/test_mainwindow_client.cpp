#include "mainwindowfixture.h"

#include <QPushButton>

using testsupport::WaitFor;

class ClientModeTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        form->show();
        form->N2Click();
        form->Edit20->setText("127.0.0.1");
    }
};

TEST_F(ClientModeTest, ConnectsReadsAndNoticesThePeerClosing)
{
    QTcpServer module;
    ASSERT_TRUE(module.listen(QHostAddress::LocalHost, 0));
    form->Edit21->setText(QString::number(module.serverPort()));
    testsupport::Click(form->Button1);
    EXPECT_EQ(form->Timer3->interval(), 2000);
    EXPECT_TRUE(form->Timer3->isActive());
    ASSERT_TRUE(WaitFor([&] { return form->ClientSocket->Active() && module.hasPendingConnections(); }));
    form->Timer1Timer();
    EXPECT_EQ(form->PanelText(3), "连接成功...");
    EXPECT_EQ(form->Button1->text(), "断开模块");
    EXPECT_TRUE(form->Image2->isVisible());
    EXPECT_EQ(form->TargetConnection().Outcome, TTarget::Connection);

    QTcpSocket *far = module.nextPendingConnection();
    form->Timer2->setInterval(60000);
    far->write("\x01\x02\x03", 3);
    ASSERT_TRUE(WaitFor([&] { return form->Edit4->text() == "01 02 03"; }));
    EXPECT_EQ(form->ReceivedCount, 3);

    form->Timer3Timer();
    ASSERT_TRUE(WaitFor([&] { return far->bytesAvailable() == 4; }));
    EXPECT_EQ(far->readAll(), QByteArray("\xFF\x00\x00\xFA", 4));
    EXPECT_EQ(form->SentCount, 4);

    far->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !form->ClientSocket->Active(); }));
    EXPECT_EQ(form->PanelText(3), "连接断开...");
    form->Timer1Timer();
    EXPECT_EQ(form->Button1->text(), "连接模块");
    EXPECT_TRUE(form->Image1->isVisible());
}

TEST_F(ClientModeTest, ARefusedConnectReturnsToIdleWithoutAnErrorBox)
{
    testsupport::TModalCatcher boxes;
    form->Edit21->setText(QString::number(FreePort()));
    testsupport::Click(form->Button1);
    ASSERT_TRUE(WaitFor([&] { return form->PanelText(3) == "连接中断..."; }));
    EXPECT_EQ(form->Button1->text(), "连接模块");
    EXPECT_TRUE(form->Image1->isVisible());
    EXPECT_FALSE(form->ClientSocket->Active());
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(ClientModeTest, ASecondClickWhileConnectingReplacesTheAttempt)
{
    QTcpServer module;
    ASSERT_TRUE(module.listen(QHostAddress::LocalHost, 0));
    // The first attempt goes to an address that never answers, the second to the module.
    form->Edit20->setText("10.255.255.1");
    form->Edit21->setText(QString::number(module.serverPort()));
    testsupport::Click(form->Button1);
    form->Edit20->setText("127.0.0.1");
    testsupport::Click(form->Button1);
    ASSERT_TRUE(WaitFor([&] { return form->ClientSocket->Active(); }));
    EXPECT_EQ(form->ClientSocket->Host(), "127.0.0.1");
    EXPECT_EQ(form->PanelText(3), "连接成功...");
}
