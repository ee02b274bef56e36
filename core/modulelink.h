#pragma once
// A link to one learning infrared module for programs without a window: connect to a module
// (client) or wait for one to connect (server), send a command and wait for the reply it causes,
// each step within a deadline. Replies are gathered as the main window gathers them: the bytes
// that arrive until the line has been quiet for ReplyQuietGapMs form one reply.
//
// Threads: create, use and destroy a link on one thread; Open and Exchange run that thread's
// event loop until they are done, so they must not be called from inside a slot of another
// running event loop that expects to stay blocked.
#include "core/replydecoder.h"
#include "core/replygatherer.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QEventLoop;
class QTcpServer;
class QTcpSocket;

struct TLinkEndpoint {
    enum TMode { Client, Server };
    TMode Mode = Client;
    QString Host;     // client: the module's address
    quint16 Port = 0; // client: the module's port; server: the port to listen on, 0 for a free one
    QString From;     // server: wait for the module with this address; empty takes the first one
};

enum class TLinkFailure { None, Unreachable, ListenRefused, TimedOut, Closed, Cancelled };

struct TLinkOutcome {
    TLinkFailure Failure = TLinkFailure::None;
    QString Message; // what failed and why, for the user; empty on success
    bool Ok() const { return Failure == TLinkFailure::None; }
};

struct TExchangeOutcome : TLinkOutcome {
    QByteArray Reply; // the awaited reply
    TReplyKind Kind = rkUnknown;
    QList<QByteArray> Ignored; // replies that came meanwhile and were not awaited
};

class TModuleLink : public QObject {
    Q_OBJECT
public:
    // Lines such as "listening on port 6000" go to progress while the link waits.
    explicit TModuleLink(std::function<void(const QString &)> progress = {}, QObject *parent = nullptr);
    ~TModuleLink() override;

    TLinkOutcome Open(const TLinkEndpoint &endpoint, QDeadlineTimer deadline);
    // Drops any reply under way, sends command and waits for a reply that awaited accepts.
    TExchangeOutcome Exchange(const QByteArray &command, const std::function<bool(TReplyKind)> &awaited,
                              QDeadlineTimer deadline);
    // Makes a waiting Open or Exchange return at once with Cancelled (from a handler that runs while
    // it waits, such as a key press or a signal); the next Open or Exchange waits again.
    void Cancel();
    // Sends without waiting for an answer.
    void Send(const QByteArray &bytes);

    // "address:port" of the module, once linked.
    QString ModuleAddress() const;

private:
    void take(QTcpSocket *socket);
    void remember();
    void accept();
    void readAll();
    void replyComplete();
    void wake();
    // Runs the event loop until done() holds or the deadline passes; returns done().
    bool runUntil(const std::function<bool()> &done, QDeadlineTimer deadline);

    std::function<void(const QString &)> progress_;
    QTcpServer *server_ = nullptr;
    QTcpSocket *socket_ = nullptr;
    bool connected_ = false;
    bool closed_ = false;
    bool cancelled_ = false;
    QString socketError_;
    QString from_;
    QString address_;
    TReplyGatherer gathering_;
    QList<QByteArray> replies_;
    QTimer quietGap_;
    QEventLoop *loop_ = nullptr;
};

// An address as the user writes it: IPv4 in dotted form, also when the socket holds it mapped
// into IPv6.
QString DottedAddress(const QString &address);
