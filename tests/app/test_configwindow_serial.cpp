#include "configwindowfixture.h"

#include "platform/sys/inifile.h"
#include "serial/ptypair.h"
#include "serial/unitzvcommdevicesettings.h"
#include "serial/zvcommdevice.h"
#include "support/bytes.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using testing_serial::PtyPair;
using testsupport::Bytes;
using testsupport::WaitFor;

namespace {

void farWrite(PtyPair &pty, const QByteArray &bytes)
{
    pty.FarWrite(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A read reply carrying the given parameter block bytes 4..35.
QByteArray readReply(QByteArray block)
{
    QByteArray reply = Bytes({0xFF, 0x20, 0x00, 0xFB}) + block;
    reply.append(static_cast<char>(0xFB));
    return reply;
}

QByteArray sampleBlock()
{
    return Bytes({10, 0, 0, 7, 10, 0, 0, 1, 255, 255, 0, 0, 0x13, 0x88, 10, 0, 0, 9, 0x17, 0x71, 1, 1,
                  1, 2, 3, 4, 0x0A, 0xFE, 0, 0, 0, 0});
}

} // namespace

class ConfigSerialTest : public ConfigWindowTest {
protected:
    void SetUp() override
    {
        ConfigWindowTest::SetUp();
        form2->show();
        // What choosing the port in the settings dialog does.
        form2->ZvCommDevice1->SetPortName(pty.PortPath());
    }
    void TearDown() override
    {
        form2->reject();
        ConfigWindowTest::TearDown();
    }

    PtyPair pty;
};

TEST_F(ConfigSerialTest, TheSerialWriteSendsTheFrameAndTheAnswerShowsSuccess)
{
    testsupport::Click(form2->BitBtn3);
    EXPECT_EQ(FarReadBytes(pty, 37).toHex(' ').toUpper(),
              "FF 20 00 FC C0 A8 00 C7 C0 A8 00 01 FF FF FF 00 13 88 C0 A8 00 BE 17 70 00 01 "
              "64 65 66 67 00 C7 00 00 00 00 FC");
    EXPECT_TRUE(form2->Image5->isVisible());
    EXPECT_EQ(form2->Button1->text(), "关闭串口");
    EXPECT_EQ(form2->PanelText(3), "打开");

    farWrite(pty, Bytes({0xFF, 0x00, 0x00, 0xFC}));
    EXPECT_TRUE(WaitFor([&] { return form2->PanelText(4) == "设置成功"; }));

    const platform::TIniFile ini(form2->SettingsPath());
    for (int n = 1; n <= 24; ++n)
        EXPECT_NE(ini.ReadString("模块设置", "In" + std::to_string(n), "missing"), "missing") << n;
    EXPECT_EQ(ini.ReadString("基本参数", "工作模式", ""), "0");
    EXPECT_EQ(ini.ReadString("基本参数", "超时重启", ""), "1");
    EXPECT_EQ(ini.ReadString("基本参数", "串口号", ""), "0");
    EXPECT_EQ(ini.ReadString("基本参数", "串口名", ""), pty.PortPath());
}

TEST_F(ConfigSerialTest, TheReadRequestOpensThePortAndTheReplyFillsTheWindow)
{
    testsupport::Click(form2->SpeedButton6);
    EXPECT_EQ(FarReadBytes(pty, 4), Bytes({0xFF, 0x11, 0x11, 0xFB}));
    EXPECT_EQ(form2->Button1->text(), "关闭串口");
    EXPECT_EQ(form2->PanelText(3), "打开");

    farWrite(pty, readReply(sampleBlock()));
    ASSERT_TRUE(WaitFor([&] { return form2->PanelText(4) == "读取成功"; }));
    const char *const want[24] = {"10", "0",  "0",    "7", "10", "0", "0", "1", "255", "255", "0", "0",
                                  "5000", "10", "0", "0", "9", "6001", "1", "2", "3",   "4",   "10", "254"};
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(form2->Edit(n)->text(), want[n - 1]) << "Edit" << n;
    EXPECT_EQ(form2->ComboBox1->currentIndex(), 1);
    EXPECT_FALSE(form2->Image1->isVisible());
    EXPECT_TRUE(form2->Image2->isVisible());
    EXPECT_TRUE(form2->CheckBox1->isChecked());
}

struct TReplyCase {
    const char *name;
    int offset; // into the block
    int value;
    int modeIndex;
    bool serverBracket;
    bool restart;
};

class ReadReplies : public ConfigSerialTest, public ::testing::WithParamInterface<TReplyCase> {};

TEST_P(ReadReplies, SetTheWorkModeAndRestartFlagAsReceived)
{
    const TReplyCase &c = GetParam();
    form2->ComboBox1->setCurrentIndex(1);
    form2->ComboBox1Change();
    testsupport::Click(form2->Button1);
    ASSERT_EQ(form2->PanelText(3), "打开");
    QByteArray block = sampleBlock();
    block[c.offset] = static_cast<char>(c.value);
    farWrite(pty, readReply(block));
    ASSERT_TRUE(WaitFor([&] { return form2->PanelText(4) == "读取成功"; }));
    EXPECT_EQ(form2->ComboBox1->currentIndex(), c.modeIndex);
    EXPECT_EQ(form2->Image1->isVisible(), c.serverBracket);
    EXPECT_EQ(form2->Image2->isVisible(), !c.serverBracket);
    EXPECT_EQ(form2->CheckBox1->isChecked(), c.restart);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadReplies,
                         ::testing::Values(TReplyCase{"ModeServer", 20, 0, 0, true, true},
                                           TReplyCase{"ModeTwo", 20, 2, -1, true, true},
                                           TReplyCase{"ModeFiveChangesNothing", 20, 5, 1, false, true},
                                           TReplyCase{"RestartTwoIsOff", 21, 2, 1, false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigSerialTest, AShortReplyIsIgnoredButAnEchoOfTheWriteCountsAsSuccess)
{
    testsupport::Click(form2->Button1);
    farWrite(pty, readReply(sampleBlock()).left(20));
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(form2->PanelText(4), "");
    EXPECT_EQ(form2->Edit1->text(), "192");

    QByteArray echo = readReply(sampleBlock());
    echo[3] = static_cast<char>(0xFC);
    echo[36] = static_cast<char>(0xFC);
    farWrite(pty, echo);
    EXPECT_TRUE(WaitFor([&] { return form2->PanelText(4) == "设置成功"; }));
    EXPECT_EQ(form2->Edit1->text(), "192");
}

TEST_F(ConfigSerialTest, ThePortButtonTogglesAndLeavingClosesThePort)
{
    testsupport::Click(form2->Button1);
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_TRUE(form2->Image5->isVisible());
    testsupport::Click(form2->Button1);
    EXPECT_FALSE(form2->ZvCommDevice1->Active());
    EXPECT_FALSE(form2->Image5->isVisible());
    EXPECT_EQ(form2->Button1->text(), "打开串口");
    EXPECT_EQ(form2->PanelText(3), "关闭");

    testsupport::Click(form2->Button1);
    form2->close();
    EXPECT_FALSE(form2->ZvCommDevice1->Active());
    EXPECT_EQ(form2->Button1->text(), "打开串口");
    form2->show();
    EXPECT_EQ(form2->PanelText(4), "");
    EXPECT_FALSE(form2->Image5->isVisible());
}

TEST_F(ConfigSerialTest, APortThatCannotBeOpenedIsReportedWithItsName)
{
    const std::string missing = pty.PortPath() + "-missing";
    form2->ZvCommDevice1->SetPortName(missing);
    testsupport::TModalCatcher boxes;
    testsupport::Click(form2->BitBtn3);
    testsupport::Click(form2->SpeedButton6);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    for (const auto &box : boxes.Boxes)
        EXPECT_TRUE(box.Text.contains(QString::fromStdString(missing))) << box.Text.toStdString();
    EXPECT_FALSE(form2->ZvCommDevice1->Active());
    EXPECT_EQ(form2->PanelText(3), "");
    // The settings were written before the port was tried.
    EXPECT_EQ(platform::TIniFile(form2->SettingsPath()).ReadString("基本参数", "串口名", ""), missing);
}

TEST_F(ConfigSerialTest, ThePortChosenInTheDialogIsOpenedShownAndKept)
{
    form2->ZvCommDevice1->SetPortNo(3);
    ASSERT_TRUE(ChoosePortInDialog(pty.PortPath()));
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_EQ(form2->PanelText(1), QString::fromStdString(pty.PortPath()));
    EXPECT_EQ(form2->PanelText(3), "打开");
    EXPECT_EQ(form2->Button1->text(), "关闭串口");
    const platform::TIniFile ini(form2->SettingsPath());
    EXPECT_EQ(ini.ReadString("基本参数", "串口名", ""), pty.PortPath());
    EXPECT_EQ(ini.ReadString("模块设置", "In1", "not written"), "not written");

    // The next showing restores the port from the settings file.
    form2->reject();
    form2->ZvCommDevice1->SetPortNo(5);
    form2->show();
    EXPECT_EQ(form2->ZvCommDevice1->PortName(), pty.PortPath());
}

// The adapter by a name of its own, as /dev/serial/by-id gives one, so that plugging it back in
// brings the port back under the same name.
TEST_F(ConfigSerialTest, APortThatGoesAwayIsClosedShownAndReportedOnce)
{
    const QString adapter = QString::fromStdString(Path("adapter"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(pty.PortPath()), adapter));
    form2->ZvCommDevice1->SetPortName(adapter.toStdString());
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_TRUE(form2->ZvCommDevice1->Active());
    ASSERT_EQ(form2->Button1->text(), "关闭串口");

    testsupport::TModalCatcher boxes;
    pty.CloseFar();
    ASSERT_TRUE(WaitFor([&] { return !boxes.Boxes.empty(); }));
    EXPECT_EQ(boxes.Boxes[0].Title, "错误信息框");
    EXPECT_EQ(boxes.Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(adapter)) << boxes.Boxes[0].Text.toStdString();
    EXPECT_FALSE(form2->ZvCommDevice1->Active());
    EXPECT_FALSE(form2->Image5->isVisible());
    EXPECT_EQ(form2->Button1->text(), "串口已断开");
    EXPECT_EQ(form2->PanelText(3), "关闭");
    // Time for a second report to show up, if the window made one.
    WaitFor([&] { return boxes.Boxes.size() > 1; }, 500);
    EXPECT_EQ(boxes.Boxes.size(), 1u);

    PtyPair pluggedBack;
    ASSERT_TRUE(QFile::remove(adapter));
    ASSERT_TRUE(QFile::link(QString::fromStdString(pluggedBack.PortPath()), adapter));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_TRUE(form2->Image5->isVisible());
    EXPECT_EQ(form2->PanelText(3), "打开");
    QTest::mouseClick(form2->SpeedButton6, Qt::LeftButton);
    EXPECT_EQ(FarReadBytes(pluggedBack, 4), Bytes({0xFF, 0x11, 0x11, 0xFB}));
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

// Closed by the user before the report of the loss is handled: nothing to say then.
TEST_F(ConfigSerialTest, APortClosedByTheUserIsNotReportedAsLostAfterwards)
{
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_TRUE(form2->ZvCommDevice1->Active());
    testsupport::TModalCatcher boxes;
    pty.CloseFar();
    ASSERT_TRUE(testing_serial::WaitFor([&] { return form2->ZvCommDevice1->PortLost(); }));
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    WaitFor([&] { return !boxes.Boxes.empty(); }, 500);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(form2->Button1->text(), "打开串口");
}
