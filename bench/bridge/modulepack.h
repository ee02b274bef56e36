#pragma once
// Many modules played in one process, each dialling the bridge from a loopback address of its own
// (127.0.1.1, 127.0.1.2, ...) so that the bridge names them apart. A module answers a keep-alive
// with the same bytes and a code to emit with "emission finished" at once, and notes when each
// code arrived.
#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTcpSocket;

using TBenchClock = std::chrono::steady_clock;

class TModulePack : public QObject {
    Q_OBJECT
public:
    explicit TModulePack(int count, QObject *parent = nullptr);
    ~TModulePack() override;

    void DialIn(quint16 port);
    int Linked() const { return linked_; }
    int Count() const { return static_cast<int>(modules_.size()); }
    // The topic name the bridge gives module index.
    QString Id(int index) const;
    // When module index last received a code to emit.
    TBenchClock::time_point LastCode(int index) const { return modules_[index]->LastCode; }

private:
    struct TModule {
        QTcpSocket *Socket = nullptr;
        QByteArray Pending;
        QString Address;
        TBenchClock::time_point LastCode;
    };
    void read(TModule &m);

    std::vector<std::unique_ptr<TModule>> modules_;
    int linked_ = 0;
};
