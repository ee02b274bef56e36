#pragma once
// One module as the bridge serves it: its TCP link (taken over from the listener, or dialled and
// re-dialled with back-off), one exchange at a time, the commands waiting behind it, and the
// keep-alive the main window sends. Replies are gathered as everywhere else: the bytes that arrive
// until the line has been quiet for ReplyQuietGapMs form one reply.
//
// Threads: lives on the thread that runs the Qt event loop; never blocks it.
#include "core/bridgerequest.h"
#include "core/replygatherer.h"

#include <QByteArray>
#include <QJsonValue>
#include <QObject>
#include <QTimer>

#include <deque>

class QTcpSocket;

struct TModuleJob {
    enum TKind { Send, Learn };
    TKind Kind = Send;
    QJsonValue Id = QJsonValue::Null;
    QByteArray Frame;   // Send: the frame emitted; Learn: the learn command
    int Emissions = 1;  // Send: how often the frame goes out
    int AnswerMs = 0;   // how long one emission, or the learning, may take
    QString Save;       // Learn: the name the code is saved under, empty for none
    QString Remote;
};

struct TJobEnd {
    TRequestError Error = TRequestError::None;
    QString Message;
    QByteArray Learned; // Learn: the module's decoded-data reply
};

class TModuleSession : public QObject {
    Q_OBJECT
public:
    // Commands that wait behind the one under way; one more is answered busy.
    static constexpr int QueueDepth = 16;
    static constexpr int FirstKeepAliveMs = 2000;
    static constexpr int KeepAliveMs = 8000;
    static constexpr int KeepAliveAnswerMs = 500;
    static constexpr int FirstRedialMs = 500;
    static constexpr int MaxRedialMs = 10000;

    explicit TModuleSession(QString id, QObject *parent = nullptr);
    ~TModuleSession() override;

    const QString &Id() const { return id_; }
    bool Online() const { return online_; }
    // Takes over a link the listener accepted; a link the module had before is closed.
    void Attach(QTcpSocket *socket);
    // Dials host:port now and again whenever the link is lost or cannot be made.
    void Dial(const QString &host, quint16 port);
    // false when QueueDepth commands already wait: the job is not taken.
    bool Enqueue(const TModuleJob &job);

signals:
    void AvailabilityChanged(bool online);
    void Finished(const TModuleJob &job, const TJobEnd &end);

private:
    void take(QTcpSocket *socket, const QByteArray &greeting);
    void closed();
    void setOnline(bool online);
    void send(const QByteArray &frame);
    void readAll();
    void replyComplete();
    void startNext();
    void finish(const TJobEnd &end);
    void failAll(TRequestError error, const QString &message);
    void keepAlive();
    void answerOverdue();
    void redial();

    QString id_;
    QTcpSocket *socket_ = nullptr;
    bool online_ = false;
    TReplyGatherer gathering_;
    QTimer quietGap_;
    QTimer keepAlive_;
    QTimer keepAliveAnswer_;
    QTimer jobDeadline_;
    QTimer redial_;
    QString dialHost_;
    quint16 dialPort_ = 0;
    int redialMs_ = FirstRedialMs;
    bool busy_ = false;
    TModuleJob current_;
    int emitted_ = 0;
    std::deque<TModuleJob> waiting_;
};
