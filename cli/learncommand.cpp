// learn: one code from a module.
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/linkcommand.h"
#include "core/hextext.h"
#include "core/ircode.h"
#include "core/replydecoder.h"

#include <QJsonArray>

namespace {

const QByteArray LearnCommand("\xFF\x00\x00\xFE", 4);

QString hex(const QByteArray &bytes)
{
    return BytesToHexText(bytes).trimmed();
}

} // namespace

int RunLearn(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("learn (--module HOST[:PORT] | --listen PORT [--from ADDRESS]) [options]"),
                      QStringLiteral("Makes a module learn the next remote-control signal it sees and prints the code's "
                                     "durations and total. Press the remote's button while it waits."));
    line.AddLinkOptions();
    line.AddTimeout(30);
    TCliOutput out(QStringLiteral("learn"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (!line.Positional().isEmpty())
            UsageError(QStringLiteral("unexpected argument \"%1\"").arg(line.Positional().first()));
        const TLinkEndpoint endpoint = line.Endpoint();
        const QDeadlineTimer deadline = line.Deadline();

        TModuleLink link([&](const QString &text) { out.Progress(text); });
        OpenOrFail(link, endpoint, deadline);
        out.Progress(QStringLiteral("module %1 is learning: press the remote's button").arg(link.ModuleAddress()));
        const TExchangeOutcome answer = link.Exchange(
            LearnCommand, [](TReplyKind kind) { return kind == rkDecodedData || kind == rkDecodeTimeout; }, deadline);
        FailOn(answer);
        if (answer.Kind == rkDecodeTimeout)
            throw ECliError(ExitFailure, QStringLiteral("decode-timeout"),
                            QStringLiteral("module %1 reported a decode time-out: it saw no signal it could decode")
                                .arg(link.ModuleAddress()));

        const TIrCode code = CodeFromReply(answer.Reply);
        const int totalUs = DecodeDurations(answer.Reply).Total * ModuleUnitUs;
        QJsonArray durations;
        QStringList durationTexts;
        for (int d : code.DurationsUs) {
            durations.append(d);
            durationTexts.append(QString::number(d));
        }
        const QJsonObject fields{{QStringLiteral("module"), link.ModuleAddress()},
                                 {QStringLiteral("reply"), hex(answer.Reply)},
                                 {QStringLiteral("durations_us"), durations},
                                 {QStringLiteral("total_us"), totalUs},
                                 {QStringLiteral("total_ms"), totalUs / 1000}};
        const QString text = QStringLiteral("module: %1\nreply: %2\ndurations (us): %3\ntotal: %4 ms (%5 us)")
                                 .arg(link.ModuleAddress(), hex(answer.Reply), durationTexts.join(QLatin1Char(' ')))
                                 .arg(totalUs / 1000)
                                 .arg(totalUs);
        out.Result(fields, text);
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
