#pragma once
// One TCP connection of a simulated module: cuts what arrives into frames, logs them and answers
// as a module would, with the faults it was asked to show.
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/moduleparams.h"
#include "tools/simulator/remotecodes.h"
#include "tools/simulator/simoptions.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class QTcpSocket;

namespace irsim {

using TLog = std::function<void(const QString &line)>;
using TCodePicker = std::function<const TRemoteCode &()>;

QString HexText(const QByteArray &bytes);

class TModuleSession : public QObject {
    Q_OBJECT
public:
    // Takes ownership of the connected socket.
    TModuleSession(QTcpSocket *socket, const QString &moduleName, const TBehaviour &behaviour, TCodePicker pickCode,
                   TLog sink, QObject *parent);

    // Ends the connection after what was already sent has left.
    void Close();

signals:
    // A parameter write was taken and its acknowledgement has left: the module restarts.
    void ParametersWritten(const irsim::TModuleParams &params);
    // The connection has ended; the session deletes itself.
    void Closed();

private:
    void readAvailable();
    void handle(const TFrame &frame);
    void learned();
    void reply(const QByteArray &bytes, const QString &what);
    void sendNextPiece();
    void afterSending();
    void dropIncomplete();
    void log(const QString &line) const;

    QTcpSocket *Socket;
    QString Name;
    TBehaviour Behaviour;
    TCodePicker PickCode;
    TLog Log;
    TFrameReader Reader;
    QTimer LearnTimer;
    QTimer PieceTimer;
    QTimer StaleTimer;
    QList<QByteArray> Pieces;
    std::optional<TModuleParams> NewParams;
    bool Ended = false;
};

} // namespace irsim
