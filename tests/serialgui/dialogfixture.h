#pragma once
// A device on a pseudo-terminal and its settings dialog, shown offscreen, with a port list of our own.
#include "serial/ptypair.h"
#include "serial/unitzvcommdevicesettings.h"
#include "support/uiwait.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace dialogtest {

using PelmComm::TForm_ZvCommDevice_Settings;
using PelmComm::TZvCommDevice;

class FixedPorts : public PelmComm::TSerialPortSource {
public:
    std::vector<std::string> Devices() override { return {"/dev/ttyS0", "/dev/ttyUSB0"}; }
    std::vector<platform::TtyDescription> Descriptions() override
    {
        return {{"/dev/ttyUSB0", "FTDI", "FT232R USB UART", "", "ftdi_sio", ""}};
    }
};

// What the device holds, compared as a whole.
struct Settings {
    std::string PortName;
    uint32_t BaudRate;
    int Parity, ByteSize, StopBits, FlowControl, AutoAnswer, InBufSize, OutBufSize;
    bool Active;
    bool operator==(const Settings &) const = default;
};

inline Settings Read(const TZvCommDevice &d)
{
    return {d.PortName(), d.BaudRate(),  d.Parity(),     d.ByteSize(),   d.StopBits(), d.FlowControl(),
            d.AutoAnswer(), d.InBufSize(), d.OutBufSize(), d.Active()};
}

inline void PrintTo(const Settings &s, std::ostream *os)
{
    *os << s.PortName << " " << s.BaudRate << " p" << s.Parity << " b" << s.ByteSize << " s" << s.StopBits << " f"
        << s.FlowControl << " a" << s.AutoAnswer << " in" << s.InBufSize << " out" << s.OutBufSize
        << (s.Active ? " open" : " closed");
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.SetPortName(pty.PortPath());
        device.SetBaudRate(9600);
        device.SetParity(TZvCommDevice::ptNoParity);
        device.SetByteSize(8);
        device.SetStopBits(TZvCommDevice::sbOneStopBit);
        device.SetFlowControl(TZvCommDevice::fcNone);
        device.SetAutoAnswer(0);
        device.SetInBufSize(8192);
        device.SetOutBufSize(8192);
    }

    void TearDown() override
    {
        dialog.reset();
        device.SetActive(false);
    }

    TForm_ZvCommDevice_Settings &Open(bool openAfterOk)
    {
        dialog = std::make_unique<TForm_ZvCommDevice_Settings>(nullptr, &device, openAfterOk,
                                                               std::make_unique<FixedPorts>());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        testsupport::WaitFor([&] { return dialog->isActiveWindow(); }, 5000);
        return *dialog;
    }

    void ClickOK() { testsupport::Click(dialog->BnOK); }

    testing_serial::PtyPair pty;
    TZvCommDevice device;
    std::unique_ptr<TForm_ZvCommDevice_Settings> dialog;
};

} // namespace dialogtest
