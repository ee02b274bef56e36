// identify: the protocol, address and command of codes in a file or on standard input.
#include "cli/clioutput.h"
#include "cli/codeinput.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/protocoltext.h"

#include <QJsonArray>

int RunIdentify(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("identify [FILE | -] [options]"),
                      QStringLiteral("Names the protocol of every code in FILE, or on standard input without one: a "
                                     "module's reply as hex text (as learn prints it), a code library, or a Pronto, raw, "
                                     "CSV, LIRC or signal file."));
    TCliOutput out(QStringLiteral("identify"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (line.Positional().size() > 1)
            UsageError(QStringLiteral("identify reads one file, not %1").arg(line.Positional().size()));
        const QString path = line.Positional().value(0, QStringLiteral("-"));
        const std::vector<TCodeRecord> records = CodesFromText(ReadInput(path), path == QLatin1String("-") ? QStringLiteral("standard input") : path, out);
        QJsonArray codes;
        QStringList lines;
        for (const TCodeRecord &r : records) {
            codes.append(ProtocolJson(r));
            lines.append(QStringLiteral("%1: %2").arg(RecordTitle(r), ProtocolText(r.Code.DurationsUs)));
        }
        out.Result({{QStringLiteral("codes"), codes}}, lines.join(QLatin1Char('\n')));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
