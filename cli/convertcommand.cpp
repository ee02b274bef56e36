// convert: codes from one exchange format (or a library, or a module's reply) to another.
#include "cli/clioutput.h"
#include "cli/codeinput.h"
#include "cli/commandline.h"
#include "cli/commands.h"

int RunConvert(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("convert --to FORMAT [FILE | -] [--out FILE] [options]"),
                      QStringLiteral("Converts the codes of FILE, or of standard input without one, to another format. "
                                     "The input's format is told by its contents: a module's reply as hex text, a code "
                                     "library, Pronto, raw, CSV, LIRC, a signal file, Global Caché sendir, Broadlink packets (base64 or hex), a Home Assistant Broadlink code store or Tasmota raw."));
    line.Add({QStringLiteral("to"), QStringLiteral("Output format: %1, or library.").arg(FormatNames()), QStringLiteral("format")});
    line.Add({QStringLiteral("out"), QStringLiteral("Write to FILE instead of standard output."), QStringLiteral("file")});
    line.Add({QStringLiteral("remote"), QStringLiteral("Remote name for LIRC files and the library (default: remote)."),
              QStringLiteral("name")});
    TCliOutput out(QStringLiteral("convert"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        if (!line.IsSet(QStringLiteral("to")))
            UsageError(QStringLiteral("name the output format with --to %1|library").arg(FormatNames()));
        const QString to = line.Value(QStringLiteral("to")).toLower();
        const std::optional<TCodeFormat> format = FormatByName(to);
        if (!format && to != QLatin1String("library"))
            UsageError(QStringLiteral("--to wants %1 or library, not \"%2\"").arg(FormatNames(), to));
        if (line.Positional().size() > 1)
            UsageError(QStringLiteral("convert reads one file, not %1").arg(line.Positional().size()));
        if (line.Json() && !line.IsSet(QStringLiteral("out")))
            UsageError(QStringLiteral("--json needs --out: standard output carries the JSON result"));
        const QString path = line.Positional().value(0, QStringLiteral("-"));
        const QString remote = line.Value(QStringLiteral("remote")).isEmpty() ? QStringLiteral("remote") : line.Value(QStringLiteral("remote"));

        std::vector<TCodeRecord> records = CodesFromText(ReadInput(path), path == QLatin1String("-") ? QStringLiteral("standard input") : path, out);
        if (line.IsSet(QStringLiteral("remote")))
            for (TCodeRecord &r : records)
                r.Remote = remote;
        QByteArray text;
        if (format) {
            const TExport exported = ExportCodes(*format, records, remote);
            if (!exported.Error.isEmpty())
                throw ECliError(ExitFailure, QStringLiteral("export"), exported.Error);
            if (!exported.Note.isEmpty())
                out.Progress(exported.Note);
            text = exported.Text;
        } else {
            text = FormatCodeLibrary(records);
        }
        if (!line.IsSet(QStringLiteral("out"))) {
            WriteOut(QString::fromUtf8(text));
            return ExitSuccess;
        }
        const QString target = line.Value(QStringLiteral("out"));
        if (const QString error = WriteCodeFile(target, text); !error.isEmpty())
            throw ECliError(ExitFailure, QStringLiteral("write"), error);
        out.Result({{QStringLiteral("file"), target}, {QStringLiteral("codes"), static_cast<int>(records.size())},
                    {QStringLiteral("format"), to}},
                   QStringLiteral("%1 code(s) written to %2").arg(records.size()).arg(target));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
