// The configuration window following its serial port as adapters are plugged in and out: a USB
// adapter is known by its by-id link, so that it is still the chosen port under another node.
#include "app/Unit2.h"

#include "app/application.h"
#include "platform/sys/serialpaths.h"
#include "serial/portidentity.h"
#include "serial/zvcommdevice.h"

void TForm2::watchPorts(std::unique_ptr<PelmComm::TPortEvents> portEvents)
{
    portEvents_ = portEvents ? std::move(portEvents) : std::make_unique<PelmComm::TSystemPortEvents>();
    const auto changed = [this] { ReportErrors([&] { portsChanged(); }); };
    connect(portEvents_.get(), &PelmComm::TPortEvents::PortAdded, this, changed);
    connect(portEvents_.get(), &PelmComm::TPortEvents::PortRemoved, this, changed);
}

std::string TForm2::currentIdentity() const
{
    return PelmComm::PortIdentity(ZvCommDevice1->PortName(), platform::ListSerialLinks(), platform::SerialByIdDir());
}

bool TForm2::followPort()
{
    const PelmComm::TPortWhereabouts where = PelmComm::LocatePort(
        ZvCommDevice1->PortName(), portIdentity_, platform::ListSerialLinks(), platform::SerialByIdDir());
    // An open port keeps the name it was opened by.
    if (where.present && !ZvCommDevice1->Active() && where.portName != ZvCommDevice1->PortName())
        ZvCommDevice1->SetPortName(where.portName);
    portSeen_ = where.present;
    return where.present;
}

// An open port reports its own loss through the engine; a closed one is looked for again.
void TForm2::portsChanged()
{
    if (ZvCommDevice1->Active())
        return;
    const bool wasSeen = portSeen_;
    if (followPort())
        portLost_ = false;
    else if (wasSeen)
        portLost_ = true;
    setPanel(1, portText());
    showPortState();
}

// The adapter that was opened last is the one meant from then on, wherever it is plugged.
void TForm2::openPort()
{
    followPort();
    ZvCommDevice1->SetActive(true);
    if (!ZvCommDevice1->Active())
        return;
    portLost_ = false;
    portSeen_ = true;
    if (portIdentity_.empty())
        portIdentity_ = currentIdentity();
    setPanel(1, portText());
}
