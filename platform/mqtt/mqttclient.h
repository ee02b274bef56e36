#pragma once
// A client of an MQTT broker, driven by the Qt event loop of the thread that creates it: the
// broker's socket is watched with socket notifiers and the protocol's timers run on a QTimer, so
// that callbacks, signals and every call happen on that one thread and the service needs no locks.
// (The client library could run a network thread of its own; it would then call back on that
// thread and every module link would need handing over to it.)
//
// The client connects when started and, whenever the connection is refused or lost, connects again
// after 1, 2, 4, 8 and then every 10 s. Publishing while not connected drops the message: a caller
// republishes its state on Connected. The password is handed to the library only; it is never put
// into a message or a log line.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

namespace platform {

struct TMqttSettings {
    QString Host = QStringLiteral("127.0.0.1");
    quint16 Port = 1883;
    bool Tls = false;
    QString CaFile; // with Tls: the authorities the broker's certificate is checked against
    QString User;   // empty: anonymous
    QString Password;
    QString ClientId;
    QString WillTopic; // empty: no will
    QByteArray WillPayload;
    int KeepAliveS = 30;
};

class TMqttClient : public QObject {
    Q_OBJECT
public:
    static constexpr int FirstRetryMs = 1000;
    static constexpr int MaxRetryMs = 10000;
    // Packets read in one wake-up at most, so that the modules are not starved meanwhile.
    static constexpr int MaxPacketsPerWake = 256;

    explicit TMqttClient(const TMqttSettings &settings, QObject *parent = nullptr);
    ~TMqttClient() override;

    void Start();
    bool IsConnected() const { return connected_; }
    // Retained messages and QoS 1 unless told otherwise.
    void Publish(const QString &topic, const QByteArray &payload, bool retain, int qos = 1);
    void Subscribe(const QString &pattern, int qos = 1);

signals:
    void Connected();
    void Disconnected(const QString &reason);
    void Message(const QString &topic, const QByteArray &payload);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    void dial();
    void watchSocket();
    void dropSocket();
    void lost(const QString &reason);
    void retryLater();
    void readable();
    void writable();
    void housekeeping();
    void updateWriteInterest();

    TMqttSettings settings_;
    mosquitto *client_ = nullptr;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    QTimer misc_;
    QTimer retry_;
    int retryMs_ = FirstRetryMs;
    bool dialled_ = false;
    bool connected_ = false;
};

// "mqtt://host:port" or "mqtts://host:port" (port 1883 or 8883 when left out) into settings;
// empty on success, else the reason.
QString ParseBrokerUrl(const QString &url, TMqttSettings &settings);

} // namespace platform
