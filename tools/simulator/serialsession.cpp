#include "tools/simulator/serialsession.h"

#include "tools/simulator/moduleparams.h"
#include "tools/simulator/serialline.h"
#include "tools/simulator/simmodule.h"

namespace irsim {

TSerialSession::TSerialSession(std::unique_ptr<TSerialLine> line, TSimModule &module, TLog sink, QObject *parent)
    : QObject(parent), Line_(std::move(line)), Module(module), Log(std::move(sink)),
      Name(QStringLiteral("module %1 [serial]").arg(module.Number()))
{
    StaleTimer.setSingleShot(true);
    connect(&StaleTimer, &QTimer::timeout, this, &TSerialSession::dropIncomplete);
    connect(Line_.get(), &TSerialLine::Received, this, &TSerialSession::received);
    connect(Line_.get(), &TSerialLine::Notice, this, &TSerialSession::log);
    Log(QStringLiteral("module %1 serial port: %2 (115200 baud 8N1)").arg(module.Number()).arg(Line_->Path()));
}

TSerialSession::~TSerialSession() = default;

void TSerialSession::received(const QByteArray &bytes)
{
    Reader.Append(bytes);
    while (const std::optional<TFrame> frame = Reader.Next())
        handle(*frame);
    if (Reader.HasPending())
        StaleTimer.start(StaleFrameMs);
    else
        StaleTimer.stop();
}

void TSerialSession::handle(const TFrame &frame)
{
    log(QStringLiteral("<- %1 (%2)").arg(HexText(frame.Bytes), FrameKindName(frame.Kind)));
    switch (frame.Kind) {
    case TFrameKind::ParameterRead:
        reply(ParameterReadReply(Module.Params()), QStringLiteral("parameters"));
        break;
    case TFrameKind::ParameterWrite: {
        const std::optional<TModuleParams> params = ParseParameterFrame(frame.Bytes);
        if (!params) {
            log(QStringLiteral("not a parameter frame of %1 bytes, ignored").arg(ParameterFrameSize));
            break;
        }
        log(QStringLiteral("new parameters: %1").arg(params->Describe()));
        reply(ConfigDoneReply(), QStringLiteral("parameters taken"));
        Module.Restart(*params);
        break;
    }
    case TFrameKind::Unknown:
        break;
    default:
        log(QStringLiteral("not answered on the serial line"));
        break;
    }
}

void TSerialSession::reply(const QByteArray &bytes, const QString &what)
{
    log(QStringLiteral("-> %1 (%2)").arg(HexText(bytes), what));
    const qsizetype sent = Line_->Send(bytes);
    if (sent < bytes.size())
        log(QStringLiteral("the line took only %1 of the %2 bytes").arg(sent).arg(bytes.size()));
}

void TSerialSession::dropIncomplete()
{
    log(QStringLiteral("<- %1 (incomplete frame, dropped)").arg(HexText(Reader.TakePending())));
}

void TSerialSession::log(const QString &line) const
{
    Log(QStringLiteral("%1 %2").arg(Name, line));
}

} // namespace irsim
