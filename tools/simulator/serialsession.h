#pragma once
// The serial side of a simulated module: gathers the bytes of the line into frames, logs them, answers
// the parameter read request with the module's parameters and takes a parameter write as the
// module's new parameters, after which the module restarts as it does after a write over TCP.
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/modulesession.h"

#include <QTimer>
#include <memory>

namespace irsim {

class TSerialLine;
class TSimModule;

class TSerialSession : public QObject {
    Q_OBJECT
public:
    // How long the start of a frame may wait for its rest; well above the program's 50 ms gap
    // between packages, so that a frame the program's side splits still comes together.
    static constexpr int StaleFrameMs = 200;

    TSerialSession(std::unique_ptr<TSerialLine> line, TSimModule &module, TLog sink, QObject *parent = nullptr);
    ~TSerialSession() override;

    const TSerialLine &Line() const { return *Line_; }

private:
    void received(const QByteArray &bytes);
    void handle(const TFrame &frame);
    void reply(const QByteArray &bytes, const QString &what);
    void dropIncomplete();
    void log(const QString &line) const;

    std::unique_ptr<TSerialLine> Line_;
    TSimModule &Module;
    TLog Log;
    QString Name;
    TFrameReader Reader;
    QTimer StaleTimer;
};

} // namespace irsim
