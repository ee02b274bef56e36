#include "benchservers.h"

#include "app/Unit1.h"
#include "platform/qt/socketlink.h"

#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

const QByteArray KeepAliveFrame("\xFF\x00\x00\xFA", 4);
const QByteArray ClearNotice("CLEAR");

} // namespace

TWindowServer::TWindowServer() : form_(std::make_unique<TForm1>())
{
    form_->show();
}

TWindowServer::~TWindowServer() = default;

// The keep-alive timer stays off: a round the benchmark did not ask for would add answers to the
// window's work that the plain server never sees.
int TWindowServer::Listen()
{
    form_->Edit21->setText("0");
    form_->Button1Click();
    form_->Timer3->stop();
    return form_->ServerSocket1->ListeningPort();
}

void TWindowServer::KeepAlive()
{
    form_->Timer3->stop();
    form_->Timer3Timer();
}

qint64 TWindowServer::Received() const
{
    return form_->ReceivedCount;
}

int TWindowServer::Connections() const
{
    return form_->ServerSocket1->ConnectionCount();
}

TPlainServer::TPlainServer() : server_(new QTcpServer(this))
{
    connect(server_, &QTcpServer::newConnection, this, &TPlainServer::onNewConnection);
}

// The window's listen backlog too: with Qt's default a burst of connects is partly lost.
int TPlainServer::Listen()
{
    server_->setListenBacklogSize(platform::TServerSocket::ListenBacklog);
    server_->listen(QHostAddress::AnyIPv4, 0);
    return server_->serverPort();
}

void TPlainServer::KeepAlive()
{
    for (QTcpSocket *s : std::as_const(sockets_))
        s->write(KeepAliveFrame);
}

void TPlainServer::onNewConnection()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        sockets_.append(socket);
        connect(socket, &QIODevice::readyRead, this, [this, socket] { received_ += socket->readAll().size(); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] {
            sockets_.removeOne(socket);
            socket->deleteLater();
        });
        for (QTcpSocket *s : std::as_const(sockets_))
            s->write(ClearNotice);
    }
}

std::unique_ptr<TBenchServer> MakeServer(TVariant variant)
{
    if (variant == vWindow)
        return std::make_unique<TWindowServer>();
    return std::make_unique<TPlainServer>();
}

const char *VariantName(TVariant variant)
{
    return variant == vWindow ? "window" : "plain";
}
