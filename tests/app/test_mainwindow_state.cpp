#include "mainwindowfixture.h"

#include "app/channelchart.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using testsupport::WaitFor;

TEST_F(MainWindowTest, StartsInServerModeWithItsDefaults)
{
    form->show();
    EXPECT_EQ(form->Mode(), lmServer);
    EXPECT_EQ(form->centralWidget()->size(), QSize(1084, 632 - form->StatusBar1->height()));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->Edit21->text(), "6000");
    EXPECT_EQ(form->Edit21->maxLength(), 5);
    EXPECT_EQ(form->Edit20->text(), "192.168.0.199");
    EXPECT_EQ(form->Edit1->text(), "FF 00 00 FE");
    EXPECT_FALSE(form->Edit1->isVisible());
    EXPECT_FALSE(form->Edit4->isVisible());
    EXPECT_TRUE(form->Panel2->isVisible());
    EXPECT_EQ(form->Panel2->geometry().topLeft(), QPoint(16, 14));
    EXPECT_EQ(form->Memo1->width(), 729);
    EXPECT_FALSE(form->N1->isEnabled());
    EXPECT_TRUE(form->N2->isEnabled());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_FALSE(form->Timer2->isActive());
    EXPECT_FALSE(form->Timer3->isActive());
    EXPECT_FALSE(form->Timer4->isActive());
    EXPECT_FALSE(form->ServerSocket1->Active());
    EXPECT_FALSE(form->ClientSocket->Active());

    form->Timer1Timer();
    EXPECT_EQ(form->PanelText(0), "连接到");
    EXPECT_EQ(form->PanelText(1), "服务器模式");
    EXPECT_EQ(form->Label2->text(), "监听端口号");
    EXPECT_EQ(form->Button1->text(), "开始监听");
    EXPECT_TRUE(form->Image1->isVisible());
    EXPECT_FALSE(form->Image2->isVisible());
}

struct TModeCase {
    const char *name;
    bool toClient;
    const char *port;
    int logWidth;
    bool addressHidden;
};

class ModeSwitch : public MainWindowTest, public ::testing::WithParamInterface<TModeCase> {};

TEST_P(ModeSwitch, SetsThePortTextAndDropsEveryLink)
{
    const TModeCase &c = GetParam();
    form->show();
    // The link of the mode being left is up when the switch comes.
    QTcpServer module;
    QTcpSocket *far = nullptr;
    if (c.toClient) {
        AddModule(Listen());
        form->ListUserAddr->setCurrentRow(0);
        far = peers[0]->Socket.get();
    } else {
        form->N2Click();
        ASSERT_TRUE(module.listen(QHostAddress::LocalHost, 0));
        form->Edit20->setText("127.0.0.1");
        form->Edit21->setText(QString::number(module.serverPort()));
        form->Button1Click();
        ASSERT_TRUE(WaitFor([&] { return form->ClientSocket->Active() && module.hasPendingConnections(); }));
        far = module.nextPendingConnection();
    }
    form->Edit21->setText("1234");

    (form.get()->*(c.toClient ? &TForm1::N2Click : &TForm1::N1Click))();
    form->Timer1Timer();

    EXPECT_EQ(form->Mode(), c.toClient ? lmClient : lmServer);
    EXPECT_EQ(form->Edit21->text(), c.port);
    EXPECT_EQ(form->Memo1->width(), c.logWidth);
    EXPECT_EQ(form->Panel2->isVisible(), c.addressHidden);
    EXPECT_EQ(form->N1->isEnabled(), c.toClient);
    EXPECT_EQ(form->N2->isEnabled(), !c.toClient);
    EXPECT_EQ(form->ListUserAddr->count(), 0);
    EXPECT_FALSE(form->ServerSocket1->Active());
    EXPECT_FALSE(form->ClientSocket->Active());
    EXPECT_TRUE(WaitFor([&] { return far->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(form->Label2->text(), c.toClient ? "连接端口号" : "监听端口号");
    EXPECT_EQ(form->Button1->text(), c.toClient ? "连接模块" : "开始监听");
}

INSTANTIATE_TEST_SUITE_P(Table, ModeSwitch,
                         ::testing::Values(TModeCase{"ToClient", true, "5000", 872, false},
                                           TModeCase{"ToServer", false, "6000", 729, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, PortFieldTakesOnlyDigitsFromTheKeyboard)
{
    form->show();
    form->Edit21->setFocus();
    form->Edit21->clear();
    QTest::keyClicks(form->Edit21, "12a3");
    for (const QString &typed : {QString::fromUtf8("中"), QString("-")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
        QApplication::sendEvent(form->Edit21, &press);
    }
    EXPECT_EQ(form->Edit21->text(), "123");
    QTest::keyClick(form->Edit21, Qt::Key_Backspace);
    EXPECT_EQ(form->Edit21->text(), "12");
    QTest::keyClicks(form->Edit21, "34567");
    EXPECT_EQ(form->Edit21->text(), "12345");
}

TEST_F(MainWindowTest, ClearingTheLogZeroesBothCountersButKeepsTheCodes)
{
    form->Memo1->setPlainText("something");
    form->SentCount = 12;
    form->ReceivedCount = 34;
    form->Chart1->SetChannelCode(2, "FF 05 00 FD 16");
    testsupport::Click(form->BitBtn4);
    form->Timer1Timer();
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_EQ(form->PanelText(5), "0");
    EXPECT_EQ(form->PanelText(7), "0");
    EXPECT_EQ(form->Chart1->ChannelCode(2), "FF 05 00 FD 16");
}

TEST_F(MainWindowTest, AnEmptyPortFieldIsReportedAndOpensNothing)
{
    testsupport::TModalCatcher boxes;
    form->show();
    form->Edit21->clear();
    testsupport::Click(form->Button1);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "'' is not a valid integer value");
    EXPECT_EQ(boxes.Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_FALSE(form->ServerSocket1->Active());
    EXPECT_FALSE(form->Timer3->isActive());
    EXPECT_EQ(form->PanelText(3), "等待连接...");
}

TEST_F(MainWindowTest, APortInUseIsReportedAndTheWindowStaysUsable)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::AnyIPv4, 0));
    testsupport::TModalCatcher boxes;
    form->show();
    form->Edit21->setText(QString::number(holder.serverPort()));
    testsupport::Click(form->Button1);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QString::number(holder.serverPort()))) << boxes.Boxes[0].Text.toStdString();
    EXPECT_FALSE(form->ServerSocket1->Active());

    holder.close();
    testsupport::Click(form->Button1);
    EXPECT_TRUE(form->ServerSocket1->Active());
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}
