// The port list following ports that come and go while the dialog is open: a stand-in event source
// with a machine the test changes, and the machine's own watch on folders standing in for /dev.
#include "dialogfixture.h"
#include "support/accessibletree.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>

namespace dialogtest {
namespace {

namespace fs = std::filesystem;
using PelmComm::TPortEvents;
using platform::SerialLink;

using D = TForm_ZvCommDevice_Settings;

constexpr const char *kAdapter = "usb-Maker_Model_A1B2-if00-port0";

struct TMachine {
    std::vector<std::string> devices;
    std::vector<SerialLink> links;
};

class MachinePorts : public PelmComm::TSerialPortSource {
public:
    explicit MachinePorts(const TMachine &machine) : FMachine(machine) {}
    std::vector<std::string> Devices() override { return FMachine.devices; }
    std::vector<platform::TtyDescription> Descriptions() override { return {}; }
    std::vector<SerialLink> Links() override { return FMachine.links; }

private:
    const TMachine &FMachine;
};

QStringList Items(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

class LiveListTest : public DialogTest {
protected:
    D &OpenLive(const std::string &port)
    {
        device.SetPortName(port);
        auto stand = std::make_unique<TPortEvents>();
        events = stand.get();
        dialog = std::make_unique<D>(nullptr, &device, false, std::make_unique<MachinePorts>(machine), std::move(stand));
        dialog->show();
        return *dialog;
    }
    void Plug(const std::string &node) { machine.devices.push_back(node); emit events->PortAdded(QString::fromStdString(node)); }
    void Unplug(const std::string &node)
    {
        std::erase(machine.devices, node);
        std::erase_if(machine.links, [&](const SerialLink &l) { return l.target == node; });
        emit events->PortRemoved(QString::fromStdString(node));
    }

    TMachine machine{{"/dev/ttyS0"}, {}};
    TPortEvents *events = nullptr;
};

TEST_F(LiveListTest, TheChosenPortStaysChosenWhileOthersComeAndGo)
{
    D &d = OpenLive("COM1");
    ASSERT_EQ(d.CbPort->currentText(), "COM1");
    Plug("/dev/ttyUSB0");
    EXPECT_EQ(Items(d.CbPort), (QStringList{"COM1", "/dev/ttyUSB0"}));
    EXPECT_EQ(d.CbPort->currentText(), "COM1");

    d.CbPort->setCurrentIndex(1);
    Plug("/dev/ttyACM0"); // sorts before the chosen one
    EXPECT_EQ(Items(d.CbPort), (QStringList{"COM1", "/dev/ttyACM0", "/dev/ttyUSB0"}));
    EXPECT_EQ(d.CbPort->currentIndex(), 2);
    Unplug("/dev/ttyS0");
    EXPECT_EQ(Items(d.CbPort), (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"}));
    EXPECT_EQ(d.CbPort->currentText(), "/dev/ttyUSB0");

    // A typed path that is no entry is left as typed.
    d.CbPort->setEditText(QString::fromStdString(pty.PortPath()));
    Unplug("/dev/ttyACM0");
    EXPECT_EQ(d.CbPort->currentText(), QString::fromStdString(pty.PortPath()));
    ClickOK();
    EXPECT_EQ(device.PortName(), pty.PortPath());
}

// The chosen port goes away: its name stays in the field; it comes back under another node and is
// chosen there, by its by-id link, and OK takes the new node.
TEST_F(LiveListTest, TheChosenAdapterIsFollowedToItsNewNode)
{
    machine.devices.push_back("/dev/ttyUSB0");
    machine.links.push_back({kAdapter, "/dev/ttyUSB0"});
    D &d = OpenLive("/dev/ttyUSB0");
    ASSERT_EQ(d.CbPort->currentText(), "/dev/ttyUSB0");

    Unplug("/dev/ttyUSB0");
    EXPECT_EQ(Items(d.CbPort), (QStringList{"COM1"}));
    EXPECT_EQ(d.CbPort->currentText(), "/dev/ttyUSB0");
    Plug("/dev/ttyUSB0-other"); // any other port in between changes nothing
    EXPECT_EQ(d.CbPort->currentText(), "/dev/ttyUSB0");

    machine.links.push_back({kAdapter, "/dev/ttyUSB1"});
    Plug("/dev/ttyUSB1");
    EXPECT_EQ(d.CbPort->currentText(), "/dev/ttyUSB1");
    EXPECT_EQ(d.PortInfo().PortList.PortByName("/dev/ttyUSB1")->FriendlyName,
              std::string(kAdapter) + " (/dev/ttyUSB1)");
}

// The description painted beside each entry is what a screen reader reads as well.
TEST_F(LiveListTest, TheByIdNameIsOnTheAccessibilityTree)
{
    D &d = OpenLive("COM1");
    machine.links.push_back({kAdapter, "/dev/ttyUSB0"});
    Plug("/dev/ttyUSB0");
    d.CbPort->showPopup();
    const auto tree = testsupport::AccessibleTree(d.CbPort);
    const QString wanted = QString(kAdapter) + " (/dev/ttyUSB0)";
    EXPECT_TRUE(std::any_of(tree.begin(), tree.end(), [&](const auto &n) {
        return n.Name == "/dev/ttyUSB0" && n.Description == wanted;
    }));
    d.CbPort->hidePopup();
}

// The machine's watch, moved to folders of the test's own; the list is what those folders hold.
class FolderPorts : public PelmComm::TSerialPortSource {
public:
    FolderPorts(std::string dev, std::string byId) : FDev(std::move(dev)), FById(std::move(byId)) {}
    std::vector<std::string> Devices() override
    {
        std::vector<std::string> nodes;
        for (const auto &entry : fs::directory_iterator(FDev))
            if (entry.path().filename().string().rfind("tty", 0) == 0)
                nodes.push_back(entry.path().string());
        return nodes;
    }
    std::vector<platform::TtyDescription> Descriptions() override { return {}; }
    std::vector<SerialLink> Links() override
    {
        auto links = platform::ListSerialLinks(FById);
        // The list knows ports by the names in the device folder, not by the terminals behind them.
        for (SerialLink &l : links)
            for (const std::string &node : Devices())
                if (platform::ResolvedPath(node) == l.target)
                    l.target = node;
        return links;
    }

private:
    std::string FDev, FById;
};

TEST_F(DialogTest, TheMachinesWatchFollowsNodesAndLinks)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const fs::path dev = root.path().toStdString(), byId = dev / "serial" / "by-id";
    setenv("IRTOOL_DEV_DIR", dev.c_str(), 1);
    setenv("IRTOOL_SERIAL_BY_ID_DIR", byId.c_str(), 1);
    dialog = std::make_unique<TForm_ZvCommDevice_Settings>(nullptr, &device, false,
                                                           std::make_unique<FolderPorts>(dev.string(), byId.string()));
    unsetenv("IRTOOL_DEV_DIR");
    unsetenv("IRTOOL_SERIAL_BY_ID_DIR");
    dialog->show();
    const QString node = QString::fromStdString((dev / "ttyUSB3").string());
    EXPECT_EQ(dialog->CbPort->count(), 0);

    fs::create_symlink(pty.PortPath(), dev / "ttyUSB3");
    EXPECT_TRUE(testsupport::WaitFor([&] { return dialog->CbPort->findText(node) >= 0; }));

    fs::create_directories(byId);
    fs::create_symlink("../../ttyUSB3", byId / kAdapter);
    const QString described = QString(kAdapter) + " (" + node + ")";
    EXPECT_TRUE(testsupport::WaitFor([&] {
        const int i = dialog->CbPort->findText(node);
        return i >= 0 && dialog->CbPort->itemData(i, Qt::AccessibleDescriptionRole).toString() == described;
    }));

    fs::remove(byId / kAdapter);
    fs::remove(dev / "ttyUSB3");
    EXPECT_TRUE(testsupport::WaitFor([&] { return dialog->CbPort->count() == 0; }));
}

} // namespace
} // namespace dialogtest
