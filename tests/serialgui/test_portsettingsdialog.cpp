#include "dialogfixture.h"

#include <QTest>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>

namespace dialogtest {
namespace {

using testsupport::TModalCatcher;
using D = TForm_ZvCommDevice_Settings;

struct CheckCase {
    const char *name;
    std::function<void(D &)> enter;
    // The control that gets the focus and the message; none when the entries are taken.
    std::function<QWidget *(D &)> focus;
    const char *message;
    std::function<void(Settings &)> applied;
};

void Type(QComboBox *box, const char *text) { box->setEditText(QString::fromUtf8(text)); }

TEST_F(DialogTest, EntriesAreCheckedInOrderWithTheirMessageAndFocus)
{
    const CheckCase cases[] = {
        {"no port", [](D &d) { Type(d.CbPort, ""); }, [](D &d) { return d.CbPort; }, "Must select COM Port", nullptr},
        {"blank port", [](D &d) { Type(d.CbPort, "   "); }, [](D &d) { return d.CbPort; }, "Must select COM Port", nullptr},
        {"baud with trailing letters", [](D &d) { Type(d.CbSelBaud, "9600abc"); }, nullptr, nullptr,
         [](Settings &s) { s.BaudRate = 9600; }},
        {"baud without digits", [](D &d) { Type(d.CbSelBaud, "abc"); }, nullptr, nullptr,
         [](Settings &s) { s.BaudRate = 0; }},
        {"baud typed", [](D &d) { Type(d.CbSelBaud, " 250000 "); }, nullptr, nullptr,
         [](Settings &s) { s.BaudRate = 250000; }},
        {"blank baud", [](D &d) { Type(d.CbSelBaud, "  "); }, [](D &d) { return d.CbSelBaud; },
         "Must select baud rate", nullptr},
        {"no byte size", [](D &d) { d.CbByteSize->setCurrentIndex(-1); }, [](D &d) { return d.CbByteSize; },
         "Must select byte size", nullptr},
        {"no parity", [](D &d) { d.CbParity->setCurrentIndex(-1); }, [](D &d) { return d.CbParity; },
         "Must select parity check", nullptr},
        {"no stop bits", [](D &d) { d.CbStopBits->setCurrentIndex(-1); }, [](D &d) { return d.CbStopBits; },
         "Must select stop bits", nullptr},
        {"no flow control", [](D &d) { d.CbFlow->setCurrentIndex(-1); }, [](D &d) { return d.CbFlow; },
         "Must select flow control", nullptr},
        {"auto answer 256", [](D &d) { d.EditAutoAns->setText("256"); }, [](D &d) { return d.EditAutoAns; },
         "Auto Answer: 0 - 255", nullptr},
        {"auto answer -1", [](D &d) { d.EditAutoAns->setText("-1"); }, [](D &d) { return d.EditAutoAns; },
         "Auto Answer: 0 - 255", nullptr},
        {"auto answer not a number", [](D &d) { d.EditAutoAns->setText("3x"); }, [](D &d) { return d.EditAutoAns; },
         "Auto Answer: 0 - 255", nullptr},
        {"auto answer blank", [](D &d) { d.EditAutoAns->setText(" "); }, [](D &d) { return d.EditAutoAns; },
         "Auto Answer: 0 - 255", nullptr},
        {"auto answer 255", [](D &d) { d.EditAutoAns->setText(" 255 "); }, nullptr, nullptr,
         [](Settings &s) { s.AutoAnswer = 255; }},
        {"auto answer hexadecimal", [](D &d) { d.EditAutoAns->setText("$1F"); }, nullptr, nullptr,
         [](Settings &s) { s.AutoAnswer = 31; }},
        {"input buffer 4095", [](D &d) { d.EditInBufSize->setText("4095"); }, [](D &d) { return d.EditInBufSize; },
         "Input Buffer size error", nullptr},
        {"input buffer beyond 32 bits", [](D &d) { d.EditInBufSize->setText("99999999999"); },
         [](D &d) { return d.EditInBufSize; }, "Input Buffer size error", nullptr},
        {"input buffer 4096", [](D &d) { d.EditInBufSize->setText("4096"); }, nullptr, nullptr,
         [](Settings &s) { s.InBufSize = 4096; }},
        {"input buffer 1000000", [](D &d) { d.EditInBufSize->setText("1000000"); }, nullptr, nullptr,
         [](Settings &s) { s.InBufSize = 1000000; }},
        {"output buffer 4095", [](D &d) { d.EditOutBufSize->setText("4095"); }, [](D &d) { return d.EditOutBufSize; },
         "Output Buffer size error", nullptr},
        {"output buffer empty", [](D &d) { d.EditOutBufSize->clear(); }, [](D &d) { return d.EditOutBufSize; },
         "Output Buffer size error", nullptr},
        {"first failure wins",
         [](D &d) {
             Type(d.CbSelBaud, "");
             d.EditAutoAns->setText("999");
         },
         [](D &d) { return d.CbSelBaud; }, "Must select baud rate", nullptr},
        {"every field changed",
         [](D &d) {
             Type(d.CbSelBaud, "115200");
             d.CbParity->setCurrentIndex(4);
             d.CbByteSize->setCurrentIndex(2);
             d.CbStopBits->setCurrentIndex(1);
             d.CbFlow->setCurrentIndex(3);
             d.EditAutoAns->setText("2");
             d.EditInBufSize->setText("0x2000");
             d.EditOutBufSize->setText("65536");
         },
         nullptr, nullptr,
         [](Settings &s) {
             s = {s.PortName, 115200, TZvCommDevice::ptSpaceParity, 7, TZvCommDevice::sbOne_5_StopBits,
                  TZvCommDevice::fcRtsCtsXonXoff, 2, 8192, 65536, false};
         }},
    };
    for (const CheckCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Settings before = Read(device);
        D &d = Open(false);
        Type(d.CbPort, pty.PortPath().c_str());
        c.enter(d);
        TModalCatcher boxes;
        ClickOK();
        if (c.message) {
            ASSERT_EQ(boxes.Boxes.size(), 1u);
            EXPECT_EQ(boxes.Boxes[0].Text, QString::fromUtf8(c.message));
            EXPECT_EQ(boxes.Boxes[0].Title, "Serial Port Setup");
            EXPECT_EQ(boxes.Boxes[0].Icon, QMessageBox::Critical);
            EXPECT_EQ(d.focusWidget(), c.focus(d));
            EXPECT_TRUE(d.isVisible());
            EXPECT_EQ(d.result(), QDialog::Rejected);
            EXPECT_EQ(Read(device), before);
        } else {
            EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text.toStdString();
            EXPECT_EQ(d.result(), QDialog::Accepted);
            Settings expected = before;
            c.applied(expected);
            EXPECT_EQ(Read(device), expected);
        }
        SetUp();
    }
}

TEST_F(DialogTest, CurrentSettingsAreShown)
{
    device.SetPortName("com2");
    device.SetBaudRate(1234567);
    device.SetParity(TZvCommDevice::ptMarkParity);
    device.SetByteSize(7);
    device.SetStopBits(TZvCommDevice::sbTwoStopBit);
    device.SetFlowControl(TZvCommDevice::fcTranXonXoff);
    device.SetAutoAnswer(9);
    device.SetInBufSize(5000);
    device.SetOutBufSize(6000);
    D &d = Open(false);
    EXPECT_EQ(d.CbPort->currentText(), "");
    EXPECT_EQ(d.CbSelBaud->currentText(), "1234567");
    EXPECT_EQ(d.CbParity->currentIndex(), 3);
    EXPECT_EQ(d.CbByteSize->currentText(), "7");
    EXPECT_EQ(d.CbStopBits->currentText(), "2");
    EXPECT_EQ(d.CbFlow->currentIndex(), 2);
    EXPECT_EQ(d.CbFlow->currentText(), "Xon/Xoff");
    EXPECT_EQ(d.EditAutoAns->text(), "9");
    EXPECT_EQ(d.EditInBufSize->text(), "5000");
    EXPECT_EQ(d.EditOutBufSize->text(), "6000");
    EXPECT_EQ(d.CbPort->count(), 2);

    // A port that is not listed is not selected, so OK asks for one.
    TModalCatcher boxes;
    ClickOK();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Must select COM Port");
    EXPECT_EQ(d.focusWidget(), d.CbPort);

    // A listed port is taken by its entry, whatever the case of the name typed.
    Type(d.CbPort, "com1");
    ClickOK();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(device.PortName(), "COM1");
    EXPECT_EQ(device.FlowControl(), TZvCommDevice::fcXonXoff);
    EXPECT_EQ(device.BaudRate(), 1234567u);

    device.SetPortName("COM1");
    D &again = Open(false);
    EXPECT_EQ(again.CbPort->currentIndex(), 0);
    EXPECT_EQ(again.CbPort->currentText(), "COM1");
    EXPECT_EQ(again.CbSelBaud->currentText(), "1234567");
}

TEST_F(DialogTest, EnterWalksTheFieldsThenApplies)
{
    D &d = Open(false);
    Type(d.CbPort, pty.PortPath().c_str());
    d.CbPort->setFocus();
    const QWidget *walk[] = {d.CbSelBaud, d.CbParity, d.CbByteSize, d.CbStopBits, d.CbFlow,
                             d.EditAutoAns, d.EditInBufSize, d.EditOutBufSize};
    d.EditAutoAns->setText("777"); // refused only once Enter reaches the end
    TModalCatcher boxes;
    for (const QWidget *next : walk) {
        QTest::keyClick(d.focusWidget(), Qt::Key_Return);
        EXPECT_EQ(d.focusWidget(), next);
    }
    EXPECT_TRUE(boxes.Boxes.empty());
    QTest::keyClick(d.focusWidget(), Qt::Key_Enter);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "Auto Answer: 0 - 255");
    EXPECT_EQ(d.focusWidget(), d.EditAutoAns);

    d.EditAutoAns->setText("1");
    d.EditOutBufSize->setFocus();
    QTest::keyClick(d.EditOutBufSize, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(device.AutoAnswer(), 1);
}

TEST_F(DialogTest, CancelEscapeAndCloseBoxApplyNothing)
{
    const std::function<void(D &)> ways[] = {
        [](D &d) { testsupport::Click(d.BnCancel); },
        [](D &d) { QTest::keyClick(d.CbSelBaud, Qt::Key_Escape); },
        [](D &d) { QTest::keyClick(d.EditInBufSize, Qt::Key_Escape); },
        [](D &d) { d.close(); },
    };
    const Settings before = Read(device);
    for (const auto &way : ways) {
        D &d = Open(true);
        Type(d.CbPort, pty.PortPath().c_str());
        Type(d.CbSelBaud, "300");
        d.EditInBufSize->setText("10000");
        way(d);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_EQ(Read(device), before);
    }
}

TEST_F(DialogTest, PseudoTerminalTypedByPathIsOpened)
{
    device.SetPortName("COM1");
    D &d = Open(true);
    Type(d.CbPort, pty.PortPath().c_str());
    Type(d.CbSelBaud, "57600");
    TModalCatcher boxes;
    ClickOK();
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(device.Active());
    EXPECT_EQ(device.PortName(), pty.PortPath());
    EXPECT_EQ(device.BaudRate(), 57600u);

    pty.FarWrite("ping");
    char buffer[8] = {};
    ASSERT_TRUE(testsupport::WaitFor([&] { return device.InQueue().fGetCount() >= 4; }));
    EXPECT_EQ(device.Read(buffer, 4), 4);
    EXPECT_STREQ(buffer, "ping");
}

class FailedOpenTest : public DialogTest, public ::testing::WithParamInterface<bool> {};

// Whatever the user entered, a port that cannot be opened leaves the device as it was.
TEST_P(FailedOpenTest, RollsEverySettingBack)
{
    const bool wasActive = GetParam();
    device.SetActive(wasActive);
    const Settings before = Read(device);
    QTemporaryDir dir;
    const std::string missing = (dir.path() + "/no-such-port").toStdString();

    D &d = Open(true);
    Type(d.CbPort, missing.c_str());
    Type(d.CbSelBaud, "19200");
    d.CbParity->setCurrentIndex(2);
    d.CbByteSize->setCurrentIndex(1);
    d.CbStopBits->setCurrentIndex(2);
    d.CbFlow->setCurrentIndex(1);
    d.EditAutoAns->setText("4");
    d.EditInBufSize->setText("20000");
    d.EditOutBufSize->setText("30000");
    TModalCatcher boxes;
    ClickOK();

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    const std::string expected = PelmComm::EPelmCommError::Message(
        PelmComm::EPelmCommError::ecOpenPort, missing, PelmComm::TPelmCommLanguage(), {ENOENT, ""});
    EXPECT_EQ(boxes.Boxes[0].Text.toStdString(), expected);
    EXPECT_NE(expected.find(missing), std::string::npos);
    EXPECT_EQ(boxes.Boxes[0].Title, "Serial Port Setup");
    EXPECT_EQ(boxes.Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(Read(device), before);
    EXPECT_EQ(d.focusWidget(), d.CbPort);
    EXPECT_TRUE(d.isVisible());

    // The dialog stays for another try.
    Type(d.CbPort, pty.PortPath().c_str());
    ClickOK();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(device.Active());
    EXPECT_EQ(device.BaudRate(), 19200u);
}

INSTANTIATE_TEST_SUITE_P(WasActive, FailedOpenTest, ::testing::Bool());

class LanguageTest : public DialogTest {
protected:
    void TearDown() override
    {
        DialogTest::TearDown();
        setenv("LC_ALL", "C.UTF-8", 1);
    }
};

TEST_F(LanguageTest, TextsFollowTheLocale)
{
    struct Row {
        const char *locale, *caption, *base, *port, *firstParity, *lastParity, *lastFlow, *ok, *noPort;
    };
    const Row rows[] = {
        {"zh_CN.UTF-8", "串行口设置", "串行口选项", "串行口", "No parity (无)", "Space (空格)",
         "RTS/CTS & Xon/Xoff (硬&软)", "确定", "必须选择串行口"},
        {"zh_TW.UTF-8", "序列埠設定", "序列埠選項", "序列埠", "No parity (無)", "Space (空白)",
         "RTS/CTS & Xon/Xoff (硬&軟)", "確定", "必須選擇序列埠"},
        {"de_DE.UTF-8", "Serial Port Setup", "Serial Port", "Port", "No parity", "Space Parity", "RTS/CTS & Xon/Xoff",
         "&OK", "Must select COM Port"},
        {"C", "Serial Port Setup", "Serial Port", "Port", "No parity", "Space Parity", "RTS/CTS & Xon/Xoff", "&OK",
         "Must select COM Port"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.locale);
        setenv("LC_ALL", r.locale, 1);
        D &d = Open(false);
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(r.caption));
        EXPECT_EQ(d.GboxBase->title(), QString::fromUtf8(r.base));
        EXPECT_EQ(d.lbPort->text(), QString::fromUtf8(r.port));
        EXPECT_EQ(d.CbParity->itemText(0), QString::fromUtf8(r.firstParity));
        EXPECT_EQ(d.CbParity->itemText(4), QString::fromUtf8(r.lastParity));
        EXPECT_EQ(d.CbFlow->itemText(3), QString::fromUtf8(r.lastFlow));
        EXPECT_EQ(d.BnOK->text(), QString::fromUtf8(r.ok));
        TModalCatcher boxes;
        ClickOK();
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, QString::fromUtf8(r.noPort));
        EXPECT_EQ(boxes.Boxes[0].Title, QString::fromUtf8(r.caption));
    }
}

TEST(SettingsDialogRunner, DeviceShowsTheDialogAndReportsOK)
{
    testing_serial::PtyPair pty;
    TZvCommDevice device;
    EXPECT_FALSE(device.SettingsDialog(nullptr, false)); // nothing registered yet
    PelmComm::InstallCommDeviceSettingsDialog();

    testsupport::TModalResponder<D> cancel([](D *d) { testsupport::Click(d->BnCancel); });
    EXPECT_FALSE(device.SettingsDialog(nullptr, true));
    EXPECT_TRUE(cancel.Answered);
    EXPECT_FALSE(device.Active());

    testsupport::TModalResponder<D> ok([&](D *d) {
        d->CbPort->setEditText(QString::fromStdString(pty.PortPath()));
        testsupport::Click(d->BnOK);
    });
    EXPECT_TRUE(device.SettingsDialog(nullptr, true));
    EXPECT_TRUE(ok.Answered);
    EXPECT_TRUE(device.Active());
    EXPECT_EQ(device.PortName(), pty.PortPath());
    device.SetActive(false);
    PelmComm::TZvCustomCommDevice::SetSettingsDialogRunner(nullptr);
}

} // namespace
} // namespace dialogtest
