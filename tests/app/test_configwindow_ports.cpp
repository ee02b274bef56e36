// The configuration window following its port as adapters are plugged in and out: pseudo-terminals
// stand in for the adapters, symlinks in a temporary folder for their by-id links, and a stand-in
// event source for the system's monitor.
#include "configwindowfixture.h"

#include "core/parameterfile.h"
#include "platform/sys/inifile.h"
#include "serial/portevents.h"
#include "serial/ptypair.h"
#include "serial/unitzvcommdevicesettings.h"
#include "serial/zvcommdevice.h"
#include "support/bytes.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using testing_serial::PtyPair;
using testsupport::Bytes;
using testsupport::WaitFor;

namespace {

namespace fs = std::filesystem;

constexpr const char *kAdapter = "usb-Maker_Model_A1B2-if00-port0";

} // namespace

class ConfigPortsTest : public ConfigWindowTest {
protected:
    void SetUp() override
    {
        ConfigWindowTest::SetUp();
        byId = Path("by-id");
        fs::create_directories(byId);
        setenv("IRTOOL_SERIAL_BY_ID_DIR", byId.c_str(), 1);
        auto stand = std::make_unique<PelmComm::TPortEvents>();
        events = stand.get();
        form2 = std::make_unique<TForm2>(form.get(), nullptr, std::move(stand));
        form2->SetSettingsPath(Path(TForm2::SettingsFileName));
    }
    void TearDown() override
    {
        form2->reject();
        unsetenv("IRTOOL_SERIAL_BY_ID_DIR");
        ConfigWindowTest::TearDown();
    }

    std::string Link() const { return byId + "/" + kAdapter; }
    // The adapter plugged in where the pseudo-terminal is, as udev would announce it.
    void Plug(const PtyPair &at)
    {
        fs::create_symlink(at.PortPath(), Link());
        emit events->PortAdded(QString::fromStdString(at.PortPath()));
    }
    void Unplug(const PtyPair &from)
    {
        fs::remove(Link());
        emit events->PortRemoved(QString::fromStdString(from.PortPath()));
    }
    bool LampSaysAway() const { return !form2->Image5->isVisible() && !form2->Image6->isEnabled(); }

    std::string byId;
    PelmComm::TPortEvents *events = nullptr;
};

TEST_F(ConfigPortsTest, ALostAdapterPluggedBackIsShownAvailableAndOpensUnderItsNewNode)
{
    PtyPair first;
    Plug(first);
    form2->show();
    form2->ZvCommDevice1->SetPortName(first.PortPath());
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    ASSERT_TRUE(form2->ZvCommDevice1->Active());

    testsupport::TModalCatcher boxes;
    first.CloseFar();
    ASSERT_TRUE(WaitFor([&] { return !boxes.Boxes.empty(); }));
    EXPECT_EQ(form2->Button1->text(), "串口已断开");
    EXPECT_TRUE(LampSaysAway());
    EXPECT_EQ(form2->PanelText(3), "关闭");
    Unplug(first);
    EXPECT_EQ(form2->Button1->text(), "串口已断开");

    PtyPair second;
    Plug(second);
    EXPECT_EQ(form2->Button1->text(), "打开串口");
    EXPECT_TRUE(form2->Image6->isEnabled());
    EXPECT_EQ(form2->Image6->toolTip(), "");
    EXPECT_EQ(form2->PanelText(1), QString::fromStdString(second.PortPath()));

    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_EQ(form2->ZvCommDevice1->PortName(), second.PortPath());
    QTest::mouseClick(form2->SpeedButton6, Qt::LeftButton);
    EXPECT_EQ(FarReadBytes(second, 4), Bytes({0xFF, 0x11, 0x11, 0xFB}));
    EXPECT_EQ(boxes.Boxes.size(), 1u);

    form2->SaveSettings(form2->SettingsPath());
    const platform::TIniFile ini(form2->SettingsPath());
    EXPECT_EQ(ini.ReadString("基本参数", "串口标识", ""), kAdapter);
    EXPECT_EQ(ini.ReadString("基本参数", "串口名", ""), second.PortPath());
}

// The settings file names a node the adapter no longer has: its link finds it. Unplugged while the
// window is open and the port closed, the window says so without a message, and follows it back.
TEST_F(ConfigPortsTest, TheSavedAdapterIsFoundUnderAnotherNodeAndFollowedWhileClosed)
{
    WritePortKeys(form2->SettingsPath(), "0", "/dev/irtool-ttyUSB0-gone", kAdapter);
    PtyPair now;
    fs::create_symlink(now.PortPath(), Link());
    form2->show();
    EXPECT_EQ(form2->ZvCommDevice1->PortName(), now.PortPath());
    EXPECT_EQ(form2->PanelText(1), QString::fromStdString(now.PortPath()));
    EXPECT_EQ(form2->Button1->text(), "打开串口");

    testsupport::TModalCatcher boxes;
    Unplug(now);
    EXPECT_EQ(form2->Button1->text(), "串口已断开");
    EXPECT_TRUE(LampSaysAway());
    EXPECT_FALSE(form2->Image6->toolTip().isEmpty());

    PtyPair later;
    Plug(later);
    EXPECT_EQ(form2->Button1->text(), "打开串口");
    EXPECT_EQ(form2->ZvCommDevice1->PortName(), later.PortPath());
    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(ConfigPortsTest, OtherPortsComingAndGoingChangeNothing)
{
    PtyPair mine;
    form2->show();
    form2->ZvCommDevice1->SetPortName(mine.PortPath());
    PtyPair other;
    emit events->PortAdded(QString::fromStdString(other.PortPath()));
    emit events->PortRemoved("/dev/ttyUSB5");
    EXPECT_EQ(form2->ZvCommDevice1->PortName(), mine.PortPath());
    EXPECT_EQ(form2->Button1->text(), "打开串口");
    EXPECT_TRUE(form2->Image6->isEnabled());

    QTest::mouseClick(form2->Button1, Qt::LeftButton);
    emit events->PortRemoved(QString::fromStdString(other.PortPath()));
    EXPECT_TRUE(form2->ZvCommDevice1->Active());
    EXPECT_EQ(form2->Button1->text(), "关闭串口");
}

// The port chosen in the dialog is kept by its link, in one more line of the settings file; every
// other byte stays.
TEST_F(ConfigPortsTest, ThePortChosenInTheDialogIsKeptByItsLinkInOneMoreLine)
{
    PtyPair adapter;
    fs::create_symlink(adapter.PortPath(), Link());
    form2->show();
    form2->ZvCommDevice1->SetPortName(adapter.PortPath());
    form2->SaveSettings(form2->SettingsPath());
    const std::string before = SettingsText();

    ASSERT_TRUE(ChoosePortInDialog(adapter.PortPath()));
    EXPECT_TRUE(form2->ZvCommDevice1->Active());

    std::string after = SettingsText();
    const size_t at = after.find(std::string("=") + kAdapter);
    ASSERT_NE(at, std::string::npos) << after;
    const size_t begin = after.rfind('\n', at) + 1;
    const size_t end = after.find('\n', at) + 1;
    EXPECT_EQ(platform::TIniFile(form2->SettingsPath()).ReadString("基本参数", "串口标识", ""), kAdapter);
    EXPECT_EQ(after.erase(begin, end - begin), before);

    // A port without a link clears the identity and adds nothing else.
    WritePortKeys(form2->SettingsPath(), "1", "COM1", "");
    EXPECT_EQ(platform::TIniFile(form2->SettingsPath()).ReadString("基本参数", "串口标识", "missing"), "");
}

TEST(ParameterFilePortKeys, AFileWithoutIdentityKeepsItsBytes)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("p.ini").toStdString();
    TParameterFile file;
    file.PortName = "COM3";
    WriteParameterFile(path, file);
    std::ifstream in(path, std::ios::binary);
    const std::string before{std::istreambuf_iterator<char>(in), {}};
    WritePortKeys(path, "3", "COM3", "");
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), before);
    EXPECT_EQ(ReadParameterFile(path).PortIdentity, "");
}
