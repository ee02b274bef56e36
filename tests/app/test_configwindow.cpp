#include "configwindowfixture.h"

#include "platform/sys/inifile.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using testsupport::WaitFor;

namespace {

const char *const Defaults[24] = {"192", "168", "0",    "199", "192", "168", "0",   "1",   "255", "255", "255", "0",
                                  "5000", "192", "168", "0",   "190", "6000", "100", "101", "102", "103", "0",   "199"};

void type(QWidget *edit, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

} // namespace

TEST_F(ConfigWindowTest, FirstShowingWithoutASettingsFileShowsTheDefaults)
{
    form2->show();
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(form2->Edit(n)->text(), Defaults[n - 1]) << "Edit" << n;
    EXPECT_EQ(form2->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form2->ComboBox1->currentText(), "  TCP_SERVER");
    EXPECT_TRUE(form2->Image1->isVisible());
    EXPECT_FALSE(form2->Image2->isVisible());
    EXPECT_TRUE(form2->CheckBox1->isChecked());
    EXPECT_TRUE(form2->CheckBox2->isChecked());
    EXPECT_EQ(form2->size(), QSize(595, 661));
    EXPECT_EQ(form2->Edit1->maxLength(), 3);
    EXPECT_EQ(form2->Edit13->maxLength(), 5);
    EXPECT_EQ(form2->Edit23->maxLength(), 5);
    EXPECT_FALSE(form2->Memo1->toPlainText().isEmpty());
}

TEST_F(ConfigWindowTest, NumericFieldsTakeOnlyDigitsWhileMacFieldsTakeAnything)
{
    form2->show();
    for (int n : {1, 5, 6, 7, 8, 13, 14, 18}) {
        QLineEdit *edit = form2->Edit(n);
        edit->clear();
        type(edit, QString::fromUtf8("a-.中7\x16"));
        EXPECT_EQ(edit->text(), "7") << "Edit" << n;
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), "") << "Edit" << n;
    }
    form2->Edit19->clear();
    type(form2->Edit19, "ab");
    EXPECT_EQ(form2->Edit19->text(), "ab");
}

TEST_F(ConfigWindowTest, MacFollowsTheModuleAddressWhileAsked)
{
    form2->show();
    form2->Edit4->clear();
    type(form2->Edit4, "5");
    EXPECT_EQ(form2->Edit24->text(), "5");

    testsupport::Click(form2->CheckBox2);
    ASSERT_FALSE(form2->CheckBox2->isChecked());
    type(form2->Edit4, "6");
    EXPECT_EQ(form2->Edit24->text(), "5");
    form2->Edit3->setText("9");
    testsupport::Click(form2->CheckBox2);
    EXPECT_EQ(form2->Edit23->text(), "9");
    EXPECT_EQ(form2->Edit24->text(), "56");
}

TEST_F(ConfigWindowTest, TheWorkModeMovesTheBracket)
{
    form2->show();
    for (int index : {1, 0, 1}) {
        form2->ComboBox1->setCurrentIndex(index);
        form2->ComboBox1Change();
        EXPECT_EQ(form2->Image1->isVisible(), index == 0);
        EXPECT_EQ(form2->Image2->isVisible(), index == 1);
    }
}

TEST_F(ConfigWindowTest, AParameterFileRestoresEverything)
{
    form2->show();
    for (int n = 1; n <= 24; ++n)
        form2->Edit(n)->setText(QString::number(n * 3));
    form2->ComboBox1->setCurrentIndex(1);
    form2->CheckBox1->setChecked(false);
    const std::string file = Path("module.V12");
    form2->SaveSettings(file);

    form2->LoadSettings(form2->SettingsPath()); // the defaults
    ASSERT_EQ(form2->Edit1->text(), "192");
    form2->LoadSettings(file);
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(form2->Edit(n)->text(), QString::number(n * 3)) << "Edit" << n;
    EXPECT_EQ(form2->ComboBox1->currentIndex(), 1);
    EXPECT_TRUE(form2->Image2->isVisible());
    EXPECT_FALSE(form2->CheckBox1->isChecked());
}

TEST_F(ConfigWindowTest, TheSaveDialogCompletesANameWithIni)
{
    form2->show();
    QStringList filters;
    testsupport::TModalResponder<QFileDialog> answer([&](QFileDialog *dialog) {
        filters = dialog->nameFilters();
        dialog->setDirectory(dir.path());
        // What the user types into the name field.
        auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
        if (!name) {
            ADD_FAILURE() << "the dialog has no name field";
            QMetaObject::invokeMethod(dialog, "reject");
            return;
        }
        name->setText("abc");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    testsupport::Click(form2->保存到文件);
    ASSERT_TRUE(answer.Answered);
    EXPECT_EQ(filters, QStringList({QString::fromUtf8("V1.2红外模块配置数据保存 (*.V12)"), QString::fromUtf8("所有文件 (*)")}));
    EXPECT_TRUE(QFile::exists(dir.filePath("abc.ini")));
    EXPECT_EQ(platform::TIniFile(Path("abc.ini")).ReadString("模块设置", "In13", ""), "5000");
}

struct TBadSetting {
    const char *name;
    const char *key;
    const char *value;
};

class BadSettings : public ConfigWindowTest, public ::testing::WithParamInterface<TBadSetting> {};

TEST_P(BadSettings, StopTheLoadAtTheirKeyAndReachTheUser)
{
    const TBadSetting &c = GetParam();
    platform::TIniFile ini(form2->SettingsPath());
    ini.WriteString("模块设置", "In1", "10");
    ini.WriteString("基本参数", c.key, c.value);
    testsupport::TModalCatcher boxes;
    form2->show();
    EXPECT_EQ(form2->Edit1->text(), "10");
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QString("'%1' is not a valid integer value").arg(c.value));
}

INSTANTIATE_TEST_SUITE_P(Table, BadSettings,
                         ::testing::Values(TBadSetting{"EmptyMode", "工作模式", ""},
                                           TBadSetting{"WordyRestart", "超时重启", "yes"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigWindowTest, AnUnknownWorkModeSelectsNothingAndTheNetworkSendsClient)
{
    platform::TIniFile(form2->SettingsPath()).WriteString("基本参数", "工作模式", "7");
    form2->show();
    EXPECT_EQ(form2->ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(form2->Image1->isVisible());

    TPeer &module = AddModule(Listen());
    form->ListUserAddr->setCurrentRow(0);
    module.Received.clear();
    testsupport::Click(form2->BitBtn2);
    ASSERT_TRUE(WaitFor([&] { return module.Received.size() == 37; }));
    EXPECT_EQ(module.Received[24], '\x01');
    EXPECT_EQ(platform::TIniFile(form2->SettingsPath()).ReadString("基本参数", "工作模式", ""), "-1");
}

TEST_F(ConfigWindowTest, TheNetworkWriteReachesTheSelectedModuleOnly)
{
    form2->show();
    const int port = Listen();
    AddModule(port);
    AddModule(port);
    for (auto &p : peers)
        p->Received.clear();
    form->ListUserAddr->setCurrentRow(1);
    testsupport::Click(form2->BitBtn2);
    ASSERT_TRUE(WaitFor([&] { return peers[1]->Received.size() == 37; }));
    EXPECT_EQ(peers[1]->Received.left(4), QByteArray("\xFF\x20\x00\xFC", 4));
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(peers[0]->Received.isEmpty());
    EXPECT_EQ(form->SentCount, 0);
    EXPECT_NE(SettingsText().find("In24"), std::string::npos);
}

struct TRefusedWrite {
    const char *name;
    bool listen;
    const char *message;
};

class RefusedNetworkWrite : public ConfigWindowTest, public ::testing::WithParamInterface<TRefusedWrite> {};

TEST_P(RefusedNetworkWrite, ExplainsAndStillWritesTheSettingsFile)
{
    const TRefusedWrite &c = GetParam();
    form2->show();
    if (c.listen)
        AddModule(Listen());
    testsupport::TModalCatcher boxes;
    testsupport::Click(form2->BitBtn2);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, QString::fromUtf8(c.message));
    EXPECT_EQ(boxes.Boxes[0].Title, QString::fromUtf8("提示信息框"));
    EXPECT_EQ(boxes.Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_NE(SettingsText().find("In24"), std::string::npos);
    if (c.listen) {
        EXPECT_TRUE(peers[0]->Received == "CLEAR");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedNetworkWrite,
                         ::testing::Values(TRefusedWrite{"NoSelection", true, "设置前，请在主窗口列表内先选择模块。。。"},
                                           TRefusedWrite{"NoLink", false, "设置前，请确认模块已经和电脑建立连接。。。"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ConfigWindowTest, AnEmptyFieldStopsTheWriteAfterTheFileWasWritten)
{
    platform::TIniFile(form2->SettingsPath()).WriteString("模块设置", "In4", "");
    form2->show();
    EXPECT_EQ(form2->Edit4->text(), "");
    TPeer &module = AddModule(Listen());
    form->ListUserAddr->setCurrentRow(0);
    module.Received.clear();
    form2->Edit1->setText("11");
    testsupport::TModalCatcher boxes;
    testsupport::Click(form2->BitBtn2);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "'' is not a valid integer value");
    EXPECT_EQ(platform::TIniFile(form2->SettingsPath()).ReadString("模块设置", "In1", ""), "11");
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(module.Received.isEmpty());
}

TEST_F(ConfigWindowTest, AnUnwritableSettingsFileSendsNothing)
{
    form2->show();
    form2->SetSettingsPath(Path("missing/红外模块设置.ini"));
    TPeer &module = AddModule(Listen());
    form->ListUserAddr->setCurrentRow(0);
    module.Received.clear();
    testsupport::TModalCatcher boxes;
    testsupport::Click(form2->BitBtn2);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith("Unable to write to")) << boxes.Boxes[0].Text.toStdString();
    WaitFor([] { return false; }, 200);
    EXPECT_TRUE(module.Received.isEmpty());
}

TEST_F(ConfigWindowTest, EscapeAndTheLeaveButtonCloseTheWindow)
{
    form2->show();
    QTest::keyClick(form2.get(), Qt::Key_Escape);
    EXPECT_FALSE(form2->isVisible());
    form2->show();
    testsupport::Click(form2->BitBtn1);
    EXPECT_FALSE(form2->isVisible());
    EXPECT_EQ(form2->result(), 7);
}
