// Learn and emit against modules on real TCP connections, in both link modes.
#include "windowfixture.h"

#include "support/uiwait.h"

#include "platform/qt/socketlink.h"

#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>

#include <memory>

namespace {

const QByteArray LearnFrame = QByteArray::fromHex("FF0000FE");
const QByteArray Reply = QByteArray::fromHex("FF0C00FD038701C33838AA3838383838" "16");
const QString ReplyText = "FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16";
const char *const SelectFirst = "学习或发射前，请先选择模块";

// Everything a peer received, once nothing more arrives for a moment.
QByteArray settledBytes(QTcpSocket &peer)
{
    QTest::qWait(150);
    return peer.readAll();
}

class ServerModeTest : public LearnWindowTest {
protected:
    void listen()
    {
        form.Edit21->setText("0");
        form.Button1Click();
        ASSERT_TRUE(form.ServerSocket1->Active());
    }

    QTcpSocket &connectModule()
    {
        modules.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket &m = *modules.back();
        const int expected = form.ListUserAddr->count() + 1;
        m.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(form.ServerSocket1->ListeningPort()));
        EXPECT_TRUE(waitFor([&] { return form.ListUserAddr->count() == expected; }));
        EXPECT_TRUE(waitFor([&] { return m.bytesAvailable() >= 5; }));
        m.readAll(); // the "CLEAR" notices
        return m;
    }

    std::vector<std::unique_ptr<QTcpSocket>> modules;
};

TEST_F(ServerModeTest, LearnGoesToTheSelectedModuleAndItsReplyFillsTheChannel)
{
    listen();
    QTcpSocket &first = connectModule();
    QTcpSocket &second = connectModule();
    first.readAll();
    form.ListUserAddr->setCurrentRow(1);
    testsupport::Click(form.Chart1->RadioButton2);

    const int before = logLineCount();
    form.BitBtn5Click();
    ASSERT_TRUE(waitFor([&] { return second.bytesAvailable() >= 4; }));
    EXPECT_EQ(settledBytes(second), LearnFrame);
    EXPECT_TRUE(settledBytes(first).isEmpty());
    EXPECT_EQ(logSince(before), (QStringList{"", u8("等待解码数据......")}));
    EXPECT_EQ(form.SentCount, 4);
    EXPECT_EQ(form.PanelText(5), "4");

    // The reply in two pieces a few milliseconds apart is gathered into one.
    second.write(Reply.left(7));
    second.flush();
    QTest::qWait(5);
    second.write(Reply.mid(7));
    second.flush();
    ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("数据总长度")); }));
    EXPECT_EQ(logSince(before + 2), (QStringList{"", u8("收到解码数据："), ReplyText, "", u8("数据总长度：19毫秒"),
                                                 u8("协议：未识别（5 个脉冲）")}));
    EXPECT_EQ(form.Chart1->ChannelCode(2), ReplyText + " ");
    EXPECT_EQ(form.Chart1->Series2->count(), 22);
    EXPECT_TRUE(form.Edit4->text().isEmpty());

    // Emitting sends the stored bytes unchanged; the module's answer is logged.
    testsupport::Click(form.Chart1->Button5);
    ASSERT_TRUE(waitFor([&] { return second.bytesAvailable() >= Reply.size(); }));
    EXPECT_EQ(settledBytes(second), Reply);
    EXPECT_TRUE(settledBytes(first).isEmpty());
    EXPECT_EQ(form.SentCount, 4 + Reply.size());
    EXPECT_EQ(form.PanelText(5), QString::number(4 + Reply.size()));
    second.write(QByteArray::fromHex("FF0000FD"));
    ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("完成红外发射......")); }));
}

TEST_F(ServerModeTest, WithoutASelectedModuleLearnAndEmitAskForOneAndSendNothing)
{
    listen();
    QTcpSocket &module = connectModule();
    for (int c = 1; c <= 2; ++c) {
        form.Chart1->SetChannelCode(c, ReplyText + " ");
        form.Chart1->DrawDurations(c, {900, 450});
    }

    testsupport::TModalCatcher closer;
    form.BitBtn5Click();
    // The selected channel was emptied before the target was looked at.
    EXPECT_TRUE(form.Chart1->ChannelCode(1).isEmpty());
    EXPECT_EQ(form.Chart1->Series1->count(), 0);
    testsupport::Click(form.Chart1->Button5);

    ASSERT_EQ(closer.Boxes.size(), 2u);
    for (const testsupport::TShownBox &seen : closer.Boxes) {
        EXPECT_EQ(seen.Text, u8(SelectFirst));
        EXPECT_EQ(seen.Title, u8("提示信息"));
        EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    }
    EXPECT_TRUE(settledBytes(module).isEmpty());
    EXPECT_EQ(form.SentCount, 0);
    EXPECT_EQ(form.PanelText(5), "0");
    EXPECT_EQ(form.Chart1->ChannelCode(2), ReplyText + " ");
}

TEST_F(ServerModeTest, RepliesOfTwoModulesWithinTheGapFormOneReply)
{
    listen();
    QTcpSocket &first = connectModule();
    QTcpSocket &second = connectModule();
    first.write(QByteArray::fromHex("FF00"));
    first.flush();
    ASSERT_TRUE(waitFor([&] { return !form.Edit4->text().isEmpty(); }));
    second.write(QByteArray::fromHex("00FD"));
    second.flush();
    ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("完成红外发射......")); }));
}

class ClientModeTest : public LearnWindowTest {
protected:
    ClientModeTest()
    {
        module.listen(QHostAddress::LocalHost, 0);
        form.N2Click();
        form.Edit20->setText("127.0.0.1");
        form.Edit21->setText(QString::number(module.serverPort()));
    }

    QTcpSocket *connectLink()
    {
        form.Button1Click();
        EXPECT_TRUE(waitFor([&] { return module.hasPendingConnections() && form.ClientSocket->Active(); }));
        return module.nextPendingConnection();
    }

    QTcpServer module;
};

TEST_F(ClientModeTest, LearnAndEmitOverTheClientLink)
{
    QTcpSocket *link = connectLink();
    ASSERT_NE(link, nullptr);

    form.BitBtn5Click();
    ASSERT_TRUE(waitFor([&] { return link->bytesAvailable() >= 4; }));
    EXPECT_EQ(settledBytes(*link), LearnFrame);
    EXPECT_EQ(form.SentCount, 4);

    // Selecting another channel before the reply is processed moves the result there.
    testsupport::Click(form.Chart1->RadioButton4);
    link->write(Reply);
    ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("数据总长度：19毫秒")); }));
    EXPECT_TRUE(form.Chart1->ChannelCode(1).isEmpty());
    EXPECT_EQ(form.Chart1->ChannelCode(4), ReplyText + " ");
    EXPECT_EQ(form.Chart1->Series4->count(), 22);

    testsupport::Click(form.Chart1->Button2);
    ASSERT_TRUE(waitFor([&] { return link->bytesAvailable() >= Reply.size(); }));
    EXPECT_EQ(settledBytes(*link), Reply);
    EXPECT_EQ(form.SentCount, 4 + Reply.size());
}

TEST_F(ClientModeTest, EmitSendsAStoredCodeWithItsExtraBytesUnchanged)
{
    QTcpSocket *link = connectLink();
    ASSERT_NE(link, nullptr);
    const QByteArray code = Reply + QByteArray::fromHex("6405ABCDEF");
    testsupport::Click(form.Chart1->RadioButton3);
    link->write(code);
    ASSERT_TRUE(waitFor([&] { return !form.Chart1->ChannelCode(3).isEmpty(); }));
    testsupport::Click(form.Chart1->Button3);
    ASSERT_TRUE(waitFor([&] { return link->bytesAvailable() >= code.size(); }));
    EXPECT_EQ(settledBytes(*link), code);
    EXPECT_EQ(form.SentCount, code.size());
}

TEST_F(LearnWindowTest, WithoutAnyLinkLearnAndEmitSayTheModuleIsUnreachable)
{
    form.Chart1->SetChannelCode(1, ReplyText + " ");
    form.Chart1->DrawDurations(1, {900});
    form.Chart1->SetChannelCode(3, ReplyText + " ");

    int before = logLineCount();
    testsupport::Click(form.Chart1->Button3);
    EXPECT_EQ(logSince(before), (QStringList{"", u8("模块通讯失败！")}));

    before = logLineCount();
    form.BitBtn5Click();
    EXPECT_EQ(logSince(before), (QStringList{"", u8("模块通讯失败！")}));
    EXPECT_TRUE(form.Chart1->ChannelCode(1).isEmpty());
    EXPECT_EQ(form.Chart1->Series1->count(), 0);
    EXPECT_EQ(form.SentCount, 0);
    EXPECT_TRUE(form.Timer3->isActive()) << "a command postpones the next keep-alive";
}

TEST_F(LearnWindowTest, EmitOfAnEmptyChannelSaysSoWhateverTheLink)
{
    for (QPushButton *button : {form.Chart1->Button2, form.Chart1->Button3, form.Chart1->Button4, form.Chart1->Button5}) {
        const int before = logLineCount();
        testsupport::Click(button);
        EXPECT_EQ(logSince(before), (QStringList{"", u8("没有红外数据......")}));
    }
    // A cleared channel is empty again.
    form.Chart1->SetChannelCode(3, ReplyText + " ");
    testsupport::Click(form.Chart1->Image7);
    const int before = logLineCount();
    testsupport::Click(form.Chart1->Button3);
    EXPECT_EQ(logSince(before), (QStringList{"", u8("没有红外数据......")}));
    EXPECT_EQ(form.SentCount, 0);
}

} // namespace
