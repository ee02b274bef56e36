#include "bridge/bridgeservice.h"
#include "core/commandframes.h"

#include "bridge/discovery.h"

#include "core/moduleframe.h"
#include "core/modulelink.h"
#include "core/protocols/protocols.h"
#include "core/replydecoder.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QByteArray Online("online");
const QByteArray Offline("offline");
// Beyond the code's own duration, the time a module may take to report its emission finished.
constexpr int EmissionGraceMs = 2000;

} // namespace

TBridgeService::TBridgeService(TBridgeConfig config, std::vector<TCodeRecord> library, platform::TMqttClient *mqtt,
                               TLog log, QObject *parent)
    : QObject(parent), config_(std::move(config)), library_(std::move(library)), mqtt_(mqtt), log_(std::move(log))
{
    connect(mqtt_, &platform::TMqttClient::Connected, this, &TBridgeService::brokerConnected);
    connect(mqtt_, &platform::TMqttClient::Disconnected, this,
            [this](const QString &reason) { log_(reason + QStringLiteral("; connecting again")); });
    connect(mqtt_, &platform::TMqttClient::Message, this, &TBridgeService::message);
}

QString TBridgeService::Topic(const QString &leaf) const
{
    return QStringLiteral("irtool/%1/%2").arg(config_.Id, leaf);
}

QString TBridgeService::Start()
{
    for (const TModuleEntry &m : config_.Modules) {
        const QString id = m.Name.isEmpty() ? ModuleIdForDial(m.DialHost, m.DialPort) : m.Name;
        configured_.append(id);
        codes_.insert(id, m.Codes);
        if (!m.Address.isEmpty()) {
            addressNames_.insert(m.Address, m.Name);
            sessionFor(m.Name);
        } else {
            sessionFor(id)->Dial(m.DialHost, m.DialPort);
        }
    }
    if (config_.Listen >= 0) {
        server_ = new QTcpServer(this);
        // Modules of a whole building power up together; Qt's default queue of 50 would overflow.
        server_->setListenBacklogSize(1024);
        if (!server_->listen(QHostAddress::Any, static_cast<quint16>(config_.Listen)))
            return QStringLiteral("cannot listen on port %1: %2").arg(config_.Listen).arg(server_->errorString());
        connect(server_, &QTcpServer::newConnection, this, &TBridgeService::accept);
        log_(QStringLiteral("listening on port %1").arg(server_->serverPort()));
    }
    mqtt_->Start();
    return QString();
}

void TBridgeService::Stop()
{
    mqtt_->Publish(Topic(QStringLiteral("status")), Offline, true);
}

TModuleSession *TBridgeService::sessionFor(const QString &id)
{
    if (const auto s = sessions_.find(id); s != sessions_.end())
        return s->second;
    auto *session = new TModuleSession(id, this);
    sessions_.emplace(id, session);
    connect(session, &TModuleSession::AvailabilityChanged, this, [this, id](bool online) {
        log_(QStringLiteral("module %1 %2").arg(id, online ? QStringLiteral("online") : QStringLiteral("offline")));
        publishAvailability(id, online);
    });
    connect(session, &TModuleSession::Finished, this,
            [this, id](const TModuleJob &job, const TJobEnd &end) { finished(id, job, end); });
    publishAvailability(id, false);
    publishDiscovery(id);
    return session;
}

void TBridgeService::accept()
{
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        const QString address = DottedAddress(socket->peerAddress().toString());
        const QString id = addressNames_.value(address, ModuleIdForAddress(address));
        sessionFor(id)->Attach(socket);
    }
}

void TBridgeService::brokerConnected()
{
    log_(QStringLiteral("connected to the broker"));
    mqtt_->Subscribe(Topic(QStringLiteral("+/send")));
    mqtt_->Subscribe(Topic(QStringLiteral("+/learn")));
    mqtt_->Publish(Topic(QStringLiteral("status")), Online, true);
    for (const auto &[id, session] : sessions_)
        publishAvailability(id, session->Online());
    if (!config_.Discovery)
        return;
    mqtt_->Subscribe(config_.DiscoveryPrefix + QStringLiteral("/status"));
    // The broker hands over the list kept from the last run before the one published here, so
    // modules taken out of the configuration since are found and their documents removed.
    mqtt_->Subscribe(Topic(QStringLiteral("configured")));
    mqtt_->Publish(Topic(QStringLiteral("configured")),
                   QJsonDocument(QJsonArray::fromStringList(configured_)).toJson(QJsonDocument::Compact), true);
    publishAllDiscovery();
}

void TBridgeService::publishAllDiscovery()
{
    mqtt_->Publish(DiscoveryTopic(config_.DiscoveryPrefix, BridgeDeviceId(config_.Id)), BridgeDiscoveryDocument(config_.Id), true);
    for (const auto &[id, session] : sessions_)
        publishDiscovery(id);
}

void TBridgeService::publishDiscovery(const QString &module)
{
    if (config_.Discovery)
        mqtt_->Publish(DiscoveryTopic(config_.DiscoveryPrefix, ModuleDeviceId(config_.Id, module)),
                       ModuleDiscoveryDocument(config_.Id, module, codes_.value(module)), true);
}

void TBridgeService::removeDropped(const QByteArray &previousList)
{
    for (const QJsonValue &value : QJsonDocument::fromJson(previousList).array()) {
        const QString module = value.toString();
        if (module.isEmpty() || configured_.contains(module) || sessions_.count(module))
            continue;
        log_(QStringLiteral("module %1 was taken out of the configuration: its discovery document is removed").arg(module));
        mqtt_->Publish(DiscoveryTopic(config_.DiscoveryPrefix, ModuleDeviceId(config_.Id, module)), QByteArray(), true);
        mqtt_->Publish(Topic(module + QStringLiteral("/availability")), QByteArray(), true);
    }
}

void TBridgeService::publishAvailability(const QString &module, bool online)
{
    mqtt_->Publish(Topic(module + QStringLiteral("/availability")), online ? Online : Offline, true);
}

void TBridgeService::publishResult(const QString &module, const QJsonValue &id, TRequestError error, const QString &message)
{
    if (error != TRequestError::None)
        log_(QStringLiteral("%1: %2: %3").arg(module, RequestErrorName(error), message));
    mqtt_->Publish(Topic(module + QStringLiteral("/result")), ResultPayload(id, error, message), false);
}

void TBridgeService::message(const QString &topic, const QByteArray &payload)
{
    if (config_.Discovery && topic == config_.DiscoveryPrefix + QStringLiteral("/status")) {
        if (payload == Online)
            publishAllDiscovery();
        return;
    }
    if (topic == Topic(QStringLiteral("configured")))
        return removeDropped(payload);
    const QString prefix = Topic(QString());
    if (!topic.startsWith(prefix))
        return;
    const QStringList parts = topic.mid(prefix.size()).split(QLatin1Char('/'));
    if (parts.size() != 2)
        return;
    if (parts[1] == QLatin1String("send"))
        handleSend(parts[0], payload);
    else if (parts[1] == QLatin1String("learn"))
        handleLearn(parts[0], payload);
}

const TCodeRecord *TBridgeService::findCode(const QString &name, const QString &remote) const
{
    for (const TCodeRecord &r : library_)
        if (r.Name == name && (remote.isEmpty() || r.Remote == remote))
            return &r;
    return nullptr;
}

void TBridgeService::handleSend(const QString &module, const QByteArray &payload)
{
    TSendRequest request = ReadSendRequest(payload);
    if (!request.Ok())
        return publishResult(module, request.Id, TRequestError::BadRequest, request.Error);
    const auto session = sessions_.find(module);
    if (session == sessions_.end())
        return publishResult(module, request.Id, TRequestError::NotFound, QStringLiteral("no module %1 has been seen by this bridge").arg(module));
    if (request.Source == TSendRequest::Library) {
        const TCodeRecord *record = findCode(request.CodeName, request.Remote);
        if (!record)
            return publishResult(module, request.Id, TRequestError::NotFound,
                                 QStringLiteral("the library holds no code \"%1\"").arg(request.CodeName));
        request.Code = record->Code;
    }
    if (!session->second->Online())
        return publishResult(module, request.Id, TRequestError::Offline, QStringLiteral("module %1 is not linked now").arg(module));
    const TFrameBuild frame = ReplyForCode(request.Code);
    if (!frame.Ok())
        return publishResult(module, request.Id, TRequestError::BadCode, frame.Error);
    TModuleJob job;
    job.Kind = TModuleJob::Send;
    job.Id = request.Id;
    job.Frame = frame.Reply;
    job.Emissions = request.RepeatCount + 1;
    job.AnswerMs = DecodeDurations(frame.Reply).Total * ModuleUnitUs / 1000 + EmissionGraceMs;
    if (!session->second->Enqueue(job))
        publishResult(module, request.Id, TRequestError::Busy,
                      QStringLiteral("module %1 already has %2 commands waiting").arg(module).arg(TModuleSession::QueueDepth));
}

void TBridgeService::handleLearn(const QString &module, const QByteArray &payload)
{
    TLearnRequest request = ReadLearnRequest(payload);
    if (request.Ok() && !request.Save.isEmpty() && config_.Library.isEmpty())
        request.Error = QStringLiteral("\"save\" needs a library: start the bridge with --library FILE");
    if (!request.Ok())
        return publishResult(module, request.Id, TRequestError::BadRequest, request.Error);
    const auto session = sessions_.find(module);
    if (session == sessions_.end())
        return publishResult(module, request.Id, TRequestError::NotFound, QStringLiteral("no module %1 has been seen by this bridge").arg(module));
    if (!session->second->Online())
        return publishResult(module, request.Id, TRequestError::Offline, QStringLiteral("module %1 is not linked now").arg(module));
    TModuleJob job;
    job.Kind = TModuleJob::Learn;
    job.Id = request.Id;
    job.Frame = LearnCommandFrame;
    job.AnswerMs = request.TimeoutS * 1000;
    job.Save = request.Save;
    job.Remote = request.Remote;
    if (!session->second->Enqueue(job))
        publishResult(module, request.Id, TRequestError::Busy,
                      QStringLiteral("module %1 already has %2 commands waiting").arg(module).arg(TModuleSession::QueueDepth));
}

void TBridgeService::finished(const QString &module, const TModuleJob &job, const TJobEnd &end)
{
    if (end.Error != TRequestError::None)
        return publishResult(module, job.Id, end.Error, end.Message);
    if (job.Kind == TModuleJob::Send)
        return publishResult(module, job.Id);
    const TIrCode code = CodeFromReply(end.Learned);
    mqtt_->Publish(Topic(module + QStringLiteral("/learned")), LearnedPayload(code), false);
    if (job.Save.isEmpty())
        return publishResult(module, job.Id);
    // The code was learned and published; a library that cannot be written is told beside the success.
    const QString problem = save(job, code);
    QJsonObject result = QJsonDocument::fromJson(ResultPayload(job.Id)).object();
    result.insert(QStringLiteral("saved"), problem.isEmpty());
    if (!problem.isEmpty()) {
        result.insert(QStringLiteral("message"), problem);
        log_(QStringLiteral("%1: %2").arg(module, problem));
    }
    mqtt_->Publish(Topic(module + QStringLiteral("/result")), QJsonDocument(result).toJson(QJsonDocument::Compact), false);
}

QString TBridgeService::save(const TModuleJob &job, const TIrCode &code)
{
    TCodeRecord record;
    record.Name = job.Save;
    record.Remote = job.Remote;
    record.Code = code;
    record.Protocol = ProtocolHint(code.DurationsUs);
    std::vector<TCodeRecord> updated = library_;
    PutRecord(updated, record);
    if (const QString error = SaveCodeLibrary(config_.Library, updated); !error.isEmpty())
        return QStringLiteral("the code was not saved: %1").arg(error);
    library_ = std::move(updated);
    return QString();
}
