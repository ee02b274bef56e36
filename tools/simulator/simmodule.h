#pragma once
// One simulated module: listens as a TCP server or connects out as a TCP client, as its
// parameters say, keeps trying while the other side is not there, and restarts with new
// parameters after a parameter write.
#include "tools/simulator/modulesession.h"
#include "tools/simulator/moduleparams.h"
#include "tools/simulator/simoptions.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QTcpServer;
class QTcpSocket;

namespace irsim {

struct TModuleSetup {
    int Number = 1;             // shown in the log, and picks the first code when cycling
    TModuleParams Params;       // work mode, own port, target address and port
    QString TargetHost;         // connect here instead of the target IP until the first restart
    QHostAddress Bind = QHostAddress::Any;
    int RetryMs = 1000;
    int RestartDelayMs = 1000;
    TBehaviour Behaviour;
};

class TSimModule : public QObject {
    Q_OBJECT
public:
    TSimModule(const TModuleSetup &setup, TLog sink, QObject *parent = nullptr);

    // Listens or starts connecting; false when listening failed.
    bool Start();
    // The port the module listens on, 0 while it does not listen.
    quint16 ListeningPort() const;
    int Number() const { return Setup.Number; }
    const TModuleParams &Params() const { return Setup.Params; }
    // Takes new parameters as a real module does after a parameter write: it ends every connection
    // and comes back, after the restart delay, as the parameters say.
    void Restart(const TModuleParams &params);
    // Connections currently open.
    int Connections() const;

signals:
    void Restarted();

private:
    void accept();
    void connectOut();
    void adopt(QTcpSocket *socket);
    void sessionClosed();
    const TRemoteCode &nextCode();
    void log(const QString &line) const;

    TModuleSetup Setup;
    TLog Log;
    QString Name;
    QTcpServer *Server = nullptr;
    QPointer<QTcpSocket> Dialing;
    QTimer RetryTimer;
    QTimer RestartTimer;
    bool Restarting = false;
    std::size_t CodeIndex;
};

} // namespace irsim
