// send: a learned code back to a module, which emits it.
#include "cli/codetext.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/linkcommand.h"
#include "core/replydecoder.h"

#include <QFile>

namespace {

QByteArray codeToSend(const TCommandLine &line)
{
    const bool fromFile = line.IsSet(QStringLiteral("file"));
    if (fromFile == !line.Positional().isEmpty())
        UsageError(QStringLiteral("give the code either as hex text or with --file FILE"));
    if (line.Positional().size() > 1)
        UsageError(QStringLiteral("give the hex text as one argument, in quotes"));
    THexReading reading;
    if (fromFile) {
        const QString path = line.Value(QStringLiteral("file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw ECliError(ExitFailure, QStringLiteral("bad-file"), QStringLiteral("%1: %2").arg(path, file.errorString()));
        reading = ReadHexText(QString::fromUtf8(file.readAll()), path);
        if (!reading.Error.isEmpty())
            throw ECliError(ExitFailure, QStringLiteral("bad-file"), reading.Error);
    } else {
        reading = ReadHexText(line.Positional().first());
        if (!reading.Error.isEmpty())
            UsageError(reading.Error);
    }
    if (const QString problem = EmitFrameProblem(reading.Bytes); !problem.isEmpty()) {
        if (fromFile)
            throw ECliError(ExitFailure, QStringLiteral("bad-file"), line.Value(QStringLiteral("file")) + QStringLiteral(": ") + problem);
        UsageError(problem);
    }
    return reading.Bytes;
}

} // namespace

int RunSend(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("send (--module HOST[:PORT] | --listen PORT [--from ADDRESS]) (HEX | --file FILE) [options]"),
                      QStringLiteral("Sends a learned code to a module and waits until it has emitted it. The code is the "
                                     "module's reply as hex text, as learn prints it."));
    line.AddLinkOptions();
    line.AddTimeout(10);
    line.Add({QStringLiteral("file"), QStringLiteral("Read the hex text from FILE."), QStringLiteral("file")});
    TCliOutput out(QStringLiteral("send"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        const QByteArray code = codeToSend(line);
        const TLinkEndpoint endpoint = line.Endpoint();
        const QDeadlineTimer deadline = line.Deadline();

        TModuleLink link([&](const QString &text) { out.Progress(text); });
        OpenOrFail(link, endpoint, deadline);
        FailOn(link.Exchange(code, [](TReplyKind kind) { return kind == rkEmitDone; }, deadline));
        out.Result({{QStringLiteral("module"), link.ModuleAddress()}, {QStringLiteral("bytes"), code.size()}},
                   QStringLiteral("module %1 emitted the code (%2 bytes)").arg(link.ModuleAddress()).arg(code.size()));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
