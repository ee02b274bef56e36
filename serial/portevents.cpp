#include "serial/portevents.h"

#include "platform/sys/ttywatch.h"

#include <QSocketNotifier>

namespace PelmComm {

TSystemPortEvents::TSystemPortEvents(QObject *parent)
    : TPortEvents(parent), FWatch(platform::WatchMachine())
{
    if (FWatch->Fd() < 0)
        return;
    FNotifier = new QSocketNotifier(FWatch->Fd(), QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TSystemPortEvents::takeChanges);
}

// The notifier goes before the descriptor it watches is closed.
TSystemPortEvents::~TSystemPortEvents()
{
    delete FNotifier;
}

void TSystemPortEvents::takeChanges()
{
    for (const platform::TtyChange &change : FWatch->Take()) {
        const QString path = QString::fromStdString(change.path);
        if (change.added)
            emit PortAdded(path);
        else
            emit PortRemoved(path);
    }
}

} // namespace PelmComm
