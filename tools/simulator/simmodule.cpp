#include "tools/simulator/simmodule.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace irsim {

TSimModule::TSimModule(const TModuleSetup &setup, TLog sink, QObject *parent)
    : QObject(parent), Setup(setup), Log(std::move(sink)), Name(QStringLiteral("module %1").arg(setup.Number)),
      CodeIndex(static_cast<std::size_t>(setup.Number - 1) % RemoteCodes().size())
{
    RetryTimer.setSingleShot(true);
    RestartTimer.setSingleShot(true);
    connect(&RetryTimer, &QTimer::timeout, this, &TSimModule::connectOut);
    connect(&RestartTimer, &QTimer::timeout, this, [this] {
        Restarting = false;
        if (Start())
            emit Restarted();
        else
            RestartTimer.start(Setup.RetryMs);
    });
}

bool TSimModule::Start()
{
    if (Setup.Params.IsClient()) {
        connectOut();
        return true;
    }
    Server = new QTcpServer(this);
    connect(Server, &QTcpServer::newConnection, this, &TSimModule::accept);
    if (!Server->listen(Setup.Bind, Setup.Params.Port)) {
        log(QStringLiteral("cannot listen on %1:%2: %3")
                .arg(Setup.Bind.toString())
                .arg(Setup.Params.Port)
                .arg(Server->errorString()));
        delete Server;
        Server = nullptr;
        return false;
    }
    Setup.Params.Port = Server->serverPort();
    log(QStringLiteral("listening on %1:%2").arg(Setup.Bind.toString()).arg(Setup.Params.Port));
    return true;
}

quint16 TSimModule::ListeningPort() const
{
    return Server ? Server->serverPort() : 0;
}

int TSimModule::Connections() const
{
    return static_cast<int>(findChildren<TModuleSession *>(Qt::FindDirectChildrenOnly).size());
}

void TSimModule::accept()
{
    while (QTcpSocket *socket = Server->nextPendingConnection())
        adopt(socket);
}

void TSimModule::connectOut()
{
    if (Restarting)
        return;
    const QString host = Setup.TargetHost.isEmpty() ? Setup.Params.TargetAddress() : Setup.TargetHost;
    log(QStringLiteral("connecting to %1:%2").arg(host).arg(Setup.Params.TargetPort));
    QTcpSocket *socket = new QTcpSocket(this);
    Dialing = socket;
    connect(socket, &QTcpSocket::connected, this, [this, socket] {
        socket->disconnect(this);
        Dialing.clear();
        adopt(socket);
    });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        log(QStringLiteral("cannot connect: %1; next try in %2 ms").arg(socket->errorString()).arg(Setup.RetryMs));
        socket->disconnect(this);
        socket->deleteLater();
        Dialing.clear();
        RetryTimer.start(Setup.RetryMs);
    });
    socket->connectToHost(host, Setup.Params.TargetPort);
}

void TSimModule::adopt(QTcpSocket *socket)
{
    auto *session = new TModuleSession(socket, Name, Setup.Behaviour, [this]() -> const TRemoteCode & {
        return nextCode();
    }, Log, this);
    connect(session, &TModuleSession::Closed, this, &TSimModule::sessionClosed);
    connect(session, &TModuleSession::ParametersWritten, this, &TSimModule::Restart);
}

void TSimModule::sessionClosed()
{
    if (Setup.Params.IsClient() && !Restarting) {
        log(QStringLiteral("next connection attempt in %1 ms").arg(Setup.RetryMs));
        RetryTimer.start(Setup.RetryMs);
    }
}

void TSimModule::Restart(const TModuleParams &params)
{
    Restarting = true;
    log(QStringLiteral("restarting in %1 ms as %2").arg(Setup.RestartDelayMs).arg(params.Describe()));
    Setup.Params = params;
    Setup.TargetHost.clear();
    RetryTimer.stop();
    if (Dialing) {
        Dialing->disconnect(this);
        Dialing->abort();
        Dialing->deleteLater();
    }
    if (Server) {
        Server->close();
        Server->deleteLater();
        Server = nullptr;
    }
    for (TModuleSession *session : findChildren<TModuleSession *>(Qt::FindDirectChildrenOnly))
        session->Close();
    RestartTimer.start(Setup.RestartDelayMs);
}

const TRemoteCode &TSimModule::nextCode()
{
    if (const TRemoteCode *fixed = FindRemoteCode(Setup.Behaviour.CodeName))
        return *fixed;
    const TRemoteCode &code = RemoteCodes()[CodeIndex];
    CodeIndex = (CodeIndex + 1) % RemoteCodes().size();
    return code;
}

void TSimModule::log(const QString &line) const
{
    Log(QStringLiteral("%1 %2").arg(Name, line));
}

} // namespace irsim
