#pragma once
// The two servers under comparison: the main window's, with its module list, counters and status
// texts, and a plain QTcpServer that does only the same sends.
#include <QList>
#include <QObject>

#include <memory>

class QTcpServer;
class QTcpSocket;
class TForm1;

class TBenchServer {
public:
    virtual ~TBenchServer() = default;
    // Listens on a free port of every IPv4 interface and returns it.
    virtual int Listen() = 0;
    // Sends the keep-alive frame to every connected module.
    virtual void KeepAlive() = 0;
    virtual qint64 Received() const = 0;
    virtual int Connections() const = 0;
};

class TWindowServer : public TBenchServer {
public:
    TWindowServer();
    ~TWindowServer() override;
    int Listen() override;
    void KeepAlive() override;
    qint64 Received() const override;
    int Connections() const override;

private:
    std::unique_ptr<TForm1> form_;
};

class TPlainServer : public QObject, public TBenchServer {
public:
    TPlainServer();
    int Listen() override;
    void KeepAlive() override;
    qint64 Received() const override { return received_; }
    int Connections() const override { return static_cast<int>(sockets_.size()); }

private:
    void onNewConnection();

    QTcpServer *server_;
    QList<QTcpSocket *> sockets_;
    qint64 received_ = 0;
};

enum TVariant { vWindow, vPlain };
std::unique_ptr<TBenchServer> MakeServer(TVariant variant);
const char *VariantName(TVariant variant);
