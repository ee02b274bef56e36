// learn: one code from a module, printed and optionally kept.
#include "cli/codeinput.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/learning.h"
#include "cli/linkcommand.h"

namespace {

struct TKeeping {
    QString Name, Remote, Library, Out;
    std::optional<TCodeFormat> Format;
};

TKeeping keepingOptions(const TCommandLine &line)
{
    TKeeping k;
    k.Name = line.Value(QStringLiteral("save"));
    k.Remote = line.Value(QStringLiteral("remote"));
    k.Library = line.Value(QStringLiteral("library"));
    k.Out = line.Value(QStringLiteral("out"));
    if (line.IsSet(QStringLiteral("library")) && !line.IsSet(QStringLiteral("save")))
        UsageError(QStringLiteral("--library goes with --save NAME"));
    if (line.IsSet(QStringLiteral("save")) && k.Name.trimmed().isEmpty())
        UsageError(QStringLiteral("--save wants a name"));
    if (line.IsSet(QStringLiteral("save")) && k.Library.isEmpty())
        k.Library = DefaultCodeLibraryPath();
    if (line.IsSet(QStringLiteral("format")) && k.Out.isEmpty())
        UsageError(QStringLiteral("--format goes with --out FILE"));
    if (!k.Out.isEmpty()) {
        const QString name = line.IsSet(QStringLiteral("format")) ? line.Value(QStringLiteral("format")) : QStringLiteral("pronto");
        k.Format = FormatByName(name);
        if (!k.Format)
            UsageError(QStringLiteral("--format wants %1, not \"%2\"").arg(FormatNames(), name));
    }
    return k;
}

} // namespace

int RunLearn(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("learn (--module HOST[:PORT] | --listen PORT [--from ADDRESS]) [options]"),
                      QStringLiteral("Makes a module learn the next remote-control signal it sees and prints the code's "
                                     "durations, total and protocol. Press the remote's button while it waits."));
    line.AddLinkOptions();
    line.AddTimeout(30);
    line.Add({QStringLiteral("save"), QStringLiteral("Keep the code under NAME in the code library."), QStringLiteral("name")});
    line.Add({QStringLiteral("library"), QStringLiteral("The library for --save (default: the window's library)."),
              QStringLiteral("file")});
    line.Add({QStringLiteral("remote"), QStringLiteral("The remote the code belongs to, for --save and --out."), QStringLiteral("name")});
    line.Add({QStringLiteral("out"), QStringLiteral("Also write the code to FILE."), QStringLiteral("file")});
    line.Add({QStringLiteral("format"), QStringLiteral("Format of --out: %1 (default pronto).").arg(FormatNames()),
              QStringLiteral("format")});
    TCliOutput out(QStringLiteral("learn"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (!line.Positional().isEmpty())
            UsageError(QStringLiteral("unexpected argument \"%1\"").arg(line.Positional().first()));
        const TKeeping keeping = keepingOptions(line);
        const TLinkEndpoint endpoint = line.Endpoint();
        const QDeadlineTimer deadline = line.Deadline();

        TModuleLink link([&](const QString &text) { out.Progress(text); });
        OpenOrFail(link, endpoint, deadline);
        out.Progress(QStringLiteral("module %1 is learning: press the remote's button").arg(link.ModuleAddress()));
        TLearned learned = LearnCode(link, deadline);
        learned.Record.Name = keeping.Name.isEmpty() ? QStringLiteral("learned") : keeping.Name.trimmed();
        learned.Record.Remote = keeping.Remote;

        QJsonObject fields = LearnedJson(learned);
        fields.insert(QStringLiteral("module"), link.ModuleAddress());
        QString text = QStringLiteral("module: %1\n").arg(link.ModuleAddress()) + LearnedText(learned);
        if (!keeping.Library.isEmpty()) {
            PutIntoLibrary(keeping.Library, {learned.Record});
            fields.insert(QStringLiteral("library"), keeping.Library);
            text += QStringLiteral("\nsaved as \"%1\" in %2").arg(learned.Record.Name, keeping.Library);
        }
        if (keeping.Format) {
            WriteCodes(keeping.Out, *keeping.Format, {learned.Record}, keeping.Remote.isEmpty() ? QStringLiteral("remote") : keeping.Remote);
            fields.insert(QStringLiteral("file"), keeping.Out);
            text += QStringLiteral("\nwritten to %1").arg(keeping.Out);
        }
        out.Result(fields, text);
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
