#include "cli/learning.h"
#include "core/commandframes.h"

#include "cli/linkcommand.h"
#include "cli/protocoltext.h"
#include "core/hextext.h"
#include "core/ircode.h"
#include "core/protocols/protocols.h"
#include "core/replydecoder.h"

#include <QJsonArray>

namespace {


QString hex(const QByteArray &bytes)
{
    return BytesToHexText(bytes).trimmed();
}

} // namespace

TLearned LearnCode(TModuleLink &link, QDeadlineTimer deadline)
{
    const TExchangeOutcome answer = link.Exchange(
        LearnCommandFrame, [](TReplyKind kind) { return kind == rkDecodedData || kind == rkDecodeTimeout; }, deadline);
    FailOn(answer);
    if (answer.Kind == rkDecodeTimeout)
        throw ECliError(ExitFailure, QStringLiteral("decode-timeout"),
                        QStringLiteral("module %1 reported a decode time-out: it saw no signal it could decode")
                            .arg(link.ModuleAddress()));
    TLearned learned;
    learned.Record.Code = CodeFromReply(answer.Reply);
    learned.Record.Protocol = ProtocolHint(learned.Record.Code.DurationsUs);
    learned.TotalUs = DecodeDurations(answer.Reply).Total * ModuleUnitUs;
    return learned;
}

QJsonObject LearnedJson(const TLearned &learned)
{
    QJsonArray durations;
    for (int d : learned.Record.Code.DurationsUs)
        durations.append(d);
    QJsonObject protocol = ProtocolJson(learned.Record);
    protocol.remove(QStringLiteral("name"));
    protocol.remove(QStringLiteral("remote"));
    return {{QStringLiteral("reply"), hex(learned.Record.Code.ModuleReply)},
            {QStringLiteral("durations_us"), durations},
            {QStringLiteral("total_us"), learned.TotalUs},
            {QStringLiteral("total_ms"), learned.TotalUs / 1000},
            {QStringLiteral("protocol"), protocol.value(QStringLiteral("protocol"))},
            {QStringLiteral("identified"), protocol}};
}

QString LearnedText(const TLearned &learned)
{
    QStringList durations;
    for (int d : learned.Record.Code.DurationsUs)
        durations.append(QString::number(d));
    return QStringLiteral("reply: %1\ndurations (us): %2\ntotal: %3 ms (%4 us)\nprotocol: %5")
        .arg(hex(learned.Record.Code.ModuleReply), durations.join(QLatin1Char(' ')))
        .arg(learned.TotalUs / 1000)
        .arg(learned.TotalUs)
        .arg(ProtocolText(learned.Record.Code.DurationsUs));
}
