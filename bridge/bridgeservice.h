#pragma once
// The bridge between the broker and the modules: takes the modules' links (dial-in and dialled),
// reads the requests published under irtool/<bridge-id>/<module>/, checks them in a fixed order
// (bad-request, not-found, offline, bad-code, busy), hands them to the module's session and
// publishes exactly one result for each, the learned codes, the availability of every module seen
// since start, the bridge's own status and, unless turned off, the discovery documents. After
// every (re)connection to the broker all of it is published again.
//
// Threads: everything runs on the thread of the Qt event loop that created it.
#include "bridge/bridgeconfig.h"
#include "bridge/modulesession.h"
#include "core/codelibrary.h"
#include "platform/mqtt/mqttclient.h"

#include <QMap>
#include <QObject>

#include <functional>
#include <map>

class QTcpServer;

class TBridgeService : public QObject {
    Q_OBJECT
public:
    using TLog = std::function<void(const QString &)>;

    TBridgeService(TBridgeConfig config, std::vector<TCodeRecord> library, platform::TMqttClient *mqtt, TLog log,
                   QObject *parent = nullptr);
    // Starts listening (when configured) and dialling; empty on success, else why listening failed.
    QString Start();
    // Marks the bridge offline on the broker before it goes.
    void Stop();

    QString Topic(const QString &leaf) const;

private:
    TModuleSession *sessionFor(const QString &id);
    void accept();
    void brokerConnected();
    void message(const QString &topic, const QByteArray &payload);
    void handleSend(const QString &module, const QByteArray &payload);
    void handleLearn(const QString &module, const QByteArray &payload);
    void finished(const QString &module, const TModuleJob &job, const TJobEnd &end);
    void publishAvailability(const QString &module, bool online);
    void publishDiscovery(const QString &module);
    void publishAllDiscovery();
    // Removes the documents of modules in the list published by an earlier run that are no longer
    // configured.
    void removeDropped(const QByteArray &previousList);
    void publishResult(const QString &module, const QJsonValue &id, TRequestError error = TRequestError::None,
                       const QString &message = QString());
    // Looks a code up by name (and remote when given); nullptr when the library lacks it.
    const TCodeRecord *findCode(const QString &name, const QString &remote) const;
    // Empty when saved, else why not.
    QString save(const TModuleJob &job, const TIrCode &code);

    TBridgeConfig config_;
    std::vector<TCodeRecord> library_;
    platform::TMqttClient *mqtt_;
    TLog log_;
    QTcpServer *server_ = nullptr;
    std::map<QString, TModuleSession *> sessions_;
    QMap<QString, QString> addressNames_; // dial-in address -> configured name
    QStringList configured_;              // ids of the modules in the configuration
    QMap<QString, QStringList> codes_;    // configured module -> codes offered as buttons
};
