// send: a code to a module, which emits it.
#include "cli/codeinput.h"
#include "cli/codetext.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/linkcommand.h"
#include "cli/protocoltext.h"
#include "core/moduleframe.h"
#include "core/replydecoder.h"

#include <QRegularExpression>

namespace {

// A module's reply typed as hex text starts with its two-digit frame start; anything else typed is
// a code in one of the exchange formats (a Pronto string, raw timings).
bool looksLikeReply(const QString &text)
{
    static const QRegularExpression start(QStringLiteral("^\\s*[0-9A-Fa-f]{2}(\\s|$)"));
    return start.match(text).hasMatch();
}

TCodeRecord pick(std::vector<TCodeRecord> records, const TCommandLine &line, const QString &where)
{
    if (line.IsSet(QStringLiteral("name"))) {
        const QString name = line.Value(QStringLiteral("name"));
        for (const TCodeRecord &r : records)
            if (r.Name == name)
                return r;
        throw ECliError(ExitFailure, QStringLiteral("not-found"), QStringLiteral("%1: no code named \"%2\"").arg(where, name));
    }
    if (records.size() != 1)
        UsageError(QStringLiteral("%1 holds %2 codes: choose one with --name").arg(where).arg(records.size()));
    return records.front();
}

TCodeRecord codeToSend(const TCommandLine &line, TCliOutput &out)
{
    const int sources = (line.Positional().isEmpty() ? 0 : 1) + (line.IsSet(QStringLiteral("file")) ? 1 : 0)
        + (line.IsSet(QStringLiteral("library")) ? 1 : 0);
    if (sources != 1)
        UsageError(QStringLiteral("give the code as text, with --file FILE, or with --library FILE --name NAME"));
    if (line.Positional().size() > 1)
        UsageError(QStringLiteral("give the code's text as one argument, in quotes"));
    if (line.IsSet(QStringLiteral("library"))) {
        if (!line.IsSet(QStringLiteral("name")))
            UsageError(QStringLiteral("--library goes with --name NAME"));
        return LibraryRecord(line.Value(QStringLiteral("library")), line.Value(QStringLiteral("name")),
                             line.IsSet(QStringLiteral("remote")) ? line.Value(QStringLiteral("remote")) : QString());
    }
    if (line.IsSet(QStringLiteral("file"))) {
        const QString path = line.Value(QStringLiteral("file"));
        const QByteArray text = ReadInput(path);
        if (looksLikeReply(QString::fromUtf8(text))) {
            const THexReading reading = ReadHexText(QString::fromUtf8(text), path);
            if (!reading.Error.isEmpty())
                throw ECliError(ExitFailure, QStringLiteral("bad-file"), reading.Error);
            if (const QString problem = EmitFrameProblem(reading.Bytes); !problem.isEmpty())
                throw ECliError(ExitFailure, QStringLiteral("bad-file"), path + QStringLiteral(": ") + problem);
        }
        return pick(CodesFromText(text, path, out), line, path);
    }
    const QString text = line.Positional().first();
    if (looksLikeReply(text)) {
        const THexReading reading = ReadHexText(text);
        if (!reading.Error.isEmpty())
            UsageError(reading.Error);
        if (const QString problem = EmitFrameProblem(reading.Bytes); !problem.isEmpty())
            UsageError(problem);
    }
    try {
        return pick(CodesFromText(text.toUtf8(), QStringLiteral("the code"), out), line, QStringLiteral("the code"));
    } catch (const ECliError &error) {
        UsageError(QString::fromStdString(error.what()));
    }
}

} // namespace

int RunSend(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("send (--module HOST[:PORT] | --listen PORT [--from ADDRESS]) "
                                     "(CODE | --file FILE | --library FILE --name NAME) [options]"),
                      QStringLiteral("Sends a code to a module and waits until it has emitted it. CODE is the module's "
                                     "reply as hex text (as learn prints it) or a Pronto string; a FILE may also hold "
                                     "raw timings, CSV, LIRC or a signal file. A learned code is sent with the module's "
                                     "own bytes, any other code as the frame built from its durations."));
    line.AddLinkOptions();
    line.AddTimeout(10);
    line.Add({QStringLiteral("file"), QStringLiteral("Read the code from FILE (- for standard input)."), QStringLiteral("file")});
    line.Add({QStringLiteral("library"), QStringLiteral("Take the code from this code library."), QStringLiteral("file")});
    line.Add({QStringLiteral("name"), QStringLiteral("The code's name in the library or the file."), QStringLiteral("name")});
    line.Add({QStringLiteral("remote"), QStringLiteral("With --library: the remote the code belongs to."), QStringLiteral("name")});
    TCliOutput out(QStringLiteral("send"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        const TCodeRecord record = codeToSend(line, out);
        const TFrameBuild frame = ReplyForCode(record.Code);
        if (!frame.Ok())
            throw ECliError(ExitFailure, QStringLiteral("bad-code"), QStringLiteral("%1: %2").arg(RecordTitle(record), frame.Error));
        if (frame.ShortenedLeadOutUs > 0)
            out.Progress(LeadOutNotice(frame));
        const TLinkEndpoint endpoint = line.Endpoint();
        const QDeadlineTimer deadline = line.Deadline();

        TModuleLink link([&](const QString &text) { out.Progress(text); });
        OpenOrFail(link, endpoint, deadline);
        FailOn(link.Exchange(frame.Reply, [](TReplyKind kind) { return kind == rkEmitDone; }, deadline));
        out.Result({{QStringLiteral("module"), link.ModuleAddress()}, {QStringLiteral("bytes"), frame.Reply.size()},
                    {QStringLiteral("name"), record.Name}},
                   QStringLiteral("module %1 emitted %2 (%3 bytes)").arg(link.ModuleAddress(), RecordTitle(record)).arg(frame.Reply.size()));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
