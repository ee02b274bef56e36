#include "platform/mqtt/mqttclient.h"

#include <mosquitto.h>

#include <QSocketNotifier>
#include <QUrl>

#include <algorithm>
#include <mutex>

#include <sys/ioctl.h>

namespace platform {

namespace {

void initLibraryOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

QString describe(int rc)
{
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

TMqttClient::TMqttClient(const TMqttSettings &settings, QObject *parent) : QObject(parent), settings_(settings)
{
    initLibraryOnce();
    client_ = mosquitto_new(settings_.ClientId.isEmpty() ? nullptr : settings_.ClientId.toUtf8().constData(), true, this);
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // Requests and results are small and wanted at once; waiting to fill a segment only adds delay.
    mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(client_, &TMqttClient::onConnect);
    mosquitto_disconnect_callback_set(client_, &TMqttClient::onDisconnect);
    mosquitto_message_callback_set(client_, &TMqttClient::onMessage);
    if (!settings_.User.isEmpty())
        mosquitto_username_pw_set(client_, settings_.User.toUtf8().constData(),
                                  settings_.Password.isEmpty() ? nullptr : settings_.Password.toUtf8().constData());
    if (settings_.Tls)
        mosquitto_tls_set(client_, settings_.CaFile.isEmpty() ? nullptr : settings_.CaFile.toUtf8().constData(),
                          settings_.CaFile.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    if (!settings_.WillTopic.isEmpty())
        mosquitto_will_set(client_, settings_.WillTopic.toUtf8().constData(), static_cast<int>(settings_.WillPayload.size()),
                           settings_.WillPayload.constData(), 1, true);
    misc_.setInterval(1000);
    connect(&misc_, &QTimer::timeout, this, &TMqttClient::housekeeping);
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &TMqttClient::dial);
}

TMqttClient::~TMqttClient()
{
    dropSocket();
    if (connected_)
        mosquitto_disconnect(client_);
    mosquitto_destroy(client_);
}

void TMqttClient::Start()
{
    misc_.start();
    dial();
}

void TMqttClient::dial()
{
    dropSocket();
    const QByteArray host = settings_.Host.toUtf8();
    const int rc = dialled_ ? mosquitto_reconnect_async(client_)
                            : mosquitto_connect_async(client_, host.constData(), settings_.Port, settings_.KeepAliveS);
    dialled_ = true;
    if (rc != MOSQ_ERR_SUCCESS) {
        lost(QStringLiteral("cannot reach the broker at %1:%2: %3").arg(settings_.Host).arg(settings_.Port).arg(describe(rc)));
        return;
    }
    watchSocket();
}

void TMqttClient::watchSocket()
{
    const int fd = mosquitto_socket(client_);
    if (fd < 0)
        return;
    reader_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    writer_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(reader_.get(), &QSocketNotifier::activated, this, &TMqttClient::readable);
    connect(writer_.get(), &QSocketNotifier::activated, this, &TMqttClient::writable);
    updateWriteInterest();
}

void TMqttClient::dropSocket()
{
    reader_.reset();
    writer_.reset();
}

void TMqttClient::updateWriteInterest()
{
    if (writer_)
        writer_->setEnabled(mosquitto_want_write(client_));
}

void TMqttClient::readable()
{
    // The library reads one packet per call. Under load the socket holds many, and every turn of
    // the event loop also serves the modules' links: all that waits is read in one turn.
    for (int round = 0; round < MaxPacketsPerWake; ++round) {
        const int rc = mosquitto_loop_read(client_, 1);
        if (rc != MOSQ_ERR_SUCCESS) {
            lost(QStringLiteral("connection to the broker lost: %1").arg(describe(rc)));
            return;
        }
        int waiting = 0;
        const int fd = mosquitto_socket(client_);
        if (fd < 0 || ioctl(fd, FIONREAD, &waiting) != 0 || waiting <= 0)
            break;
    }
    updateWriteInterest();
}

void TMqttClient::writable()
{
    const int rc = mosquitto_loop_write(client_, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
        lost(QStringLiteral("connection to the broker lost: %1").arg(describe(rc)));
        return;
    }
    updateWriteInterest();
}

void TMqttClient::housekeeping()
{
    if (!reader_)
        return;
    // Sends the keep-alive ping and notices a broker that stopped answering it.
    const int rc = mosquitto_loop_misc(client_);
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(client_) < 0) {
        lost(QStringLiteral("connection to the broker lost: %1").arg(describe(rc)));
        return;
    }
    updateWriteInterest();
}

void TMqttClient::lost(const QString &reason)
{
    dropSocket();
    const bool was = connected_;
    connected_ = false;
    if (was || !retry_.isActive())
        emit Disconnected(reason);
    retryLater();
}

void TMqttClient::retryLater()
{
    if (retry_.isActive())
        return;
    retry_.start(retryMs_);
    retryMs_ = std::min(retryMs_ * 2, MaxRetryMs);
}

void TMqttClient::Publish(const QString &topic, const QByteArray &payload, bool retain, int qos)
{
    if (!connected_)
        return;
    mosquitto_publish(client_, nullptr, topic.toUtf8().constData(), static_cast<int>(payload.size()),
                      payload.constData(), qos, retain);
    updateWriteInterest();
}

void TMqttClient::Subscribe(const QString &pattern, int qos)
{
    mosquitto_subscribe(client_, nullptr, pattern.toUtf8().constData(), qos);
    updateWriteInterest();
}

void TMqttClient::onConnect(mosquitto *, void *self, int rc)
{
    auto *client = static_cast<TMqttClient *>(self);
    if (rc != 0) {
        // Refused (bad credentials, unknown client): the library keeps the socket; closing it here
        // lets the next attempt start clean.
        QMetaObject::invokeMethod(client, [client, rc] {
            client->lost(QStringLiteral("the broker refused the connection: %1")
                             .arg(QString::fromUtf8(mosquitto_connack_string(rc))));
        }, Qt::QueuedConnection);
        return;
    }
    client->connected_ = true;
    client->retryMs_ = FirstRetryMs;
    client->retry_.stop();
    emit client->Connected();
}

void TMqttClient::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *client = static_cast<TMqttClient *>(self);
    if (rc != 0)
        QMetaObject::invokeMethod(client, [client] { client->lost(QStringLiteral("connection to the broker lost")); },
                                  Qt::QueuedConnection);
}

void TMqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *client = static_cast<TMqttClient *>(self);
    emit client->Message(QString::fromUtf8(message->topic),
                         QByteArray(static_cast<const char *>(message->payload), message->payloadlen));
}

QString ParseBrokerUrl(const QString &url, TMqttSettings &settings)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (!parsed.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")) || parsed.host().isEmpty())
        return QStringLiteral("broker \"%1\" is not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]").arg(url);
    if (!parsed.path().isEmpty() && parsed.path() != QLatin1String("/"))
        return QStringLiteral("broker \"%1\" has a path; give mqtt://HOST[:PORT] only").arg(url);
    if (!parsed.userInfo().isEmpty())
        return QStringLiteral("broker \"%1\" holds a user name or password; put them in the configuration file").arg(url.section(QLatin1Char('@'), -1));
    settings.Tls = scheme == QLatin1String("mqtts");
    settings.Host = parsed.host();
    settings.Port = static_cast<quint16>(parsed.port(settings.Tls ? 8883 : 1883));
    return QString();
}

} // namespace platform
