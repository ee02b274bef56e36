// learn-remote: the buttons of a remote one after the other, into one library or code file that
// holds every code learned so far at each moment.
#include "cli/codeinput.h"
#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/learning.h"
#include "cli/linkcommand.h"
#include "cli/protocoltext.h"
#include "platform/sys/interruptsignal.h"

#include <QFile>
#include <QJsonArray>
#include <QSocketNotifier>

#include <cstdio>

namespace {

enum class TAnswer { None, Skip, Stop, Interrupt };

QStringList buttonNames(const TCommandLine &line)
{
    QStringList names = line.Positional();
    if (line.IsSet(QStringLiteral("buttons-file"))) {
        const QString path = line.Value(QStringLiteral("buttons-file"));
        for (const QString &l : QString::fromUtf8(ReadInput(path)).split(QLatin1Char('\n'))) {
            const QString name = l.trimmed();
            if (!name.isEmpty() && !name.startsWith(QLatin1Char('#')))
                names.append(name);
        }
    }
    if (names.isEmpty())
        UsageError(QStringLiteral("name the buttons to learn, as arguments or with --buttons-file"));
    if (names.removeDuplicates() > 0)
        UsageError(QStringLiteral("every button name may appear once"));
    return names;
}

// Where the learned codes go: the whole set is written again after every learned button.
class TTarget {
public:
    explicit TTarget(const TCommandLine &line)
    {
        library_ = line.Value(QStringLiteral("library"));
        out_ = line.Value(QStringLiteral("out"));
        remote_ = line.IsSet(QStringLiteral("remote")) ? line.Value(QStringLiteral("remote")) : QStringLiteral("remote");
        if (library_.isEmpty() == out_.isEmpty())
            UsageError(QStringLiteral("write the codes to a library with --library FILE or to a file with --out FILE"));
        const QString name = line.IsSet(QStringLiteral("format")) ? line.Value(QStringLiteral("format")) : QStringLiteral("lirc");
        if (line.IsSet(QStringLiteral("format")) && out_.isEmpty())
            UsageError(QStringLiteral("--format goes with --out FILE"));
        format_ = FormatByName(name);
        if (!format_ || *format_ == TCodeFormat::Csv)
            UsageError(QStringLiteral("--format wants pronto, raw, lirc or ir, not \"%1\"").arg(name));
    }
    const QString &Remote() const { return remote_; }
    QString File() const { return library_.isEmpty() ? out_ : library_; }
    void Keep(const std::vector<TCodeRecord> &records) const
    {
        if (!library_.isEmpty())
            PutIntoLibrary(library_, {records.back()});
        else
            WriteCodes(out_, *format_, records, remote_);
    }

private:
    QString library_, out_, remote_;
    std::optional<TCodeFormat> format_;
};

} // namespace

int RunLearnRemote(const QStringList &arguments)
{
    TCommandLine line(QStringLiteral("learn-remote (--module HOST[:PORT] | --listen PORT) (--library FILE | --out FILE "
                                     "[--format lirc|ir|pronto|raw]) [--remote NAME] BUTTON... [options]"),
                      QStringLiteral("Learns the buttons of a remote one after the other. For each button name it asks "
                                     "you to press that button; Enter skips the button, q and Enter stops. Every learned "
                                     "code is written at once, so the file holds what was learned when you stop or press "
                                     "Ctrl-C."));
    line.AddLinkOptions();
    line.AddTimeout(30);
    line.Add({QStringLiteral("buttons-file"), QStringLiteral("Button names, one per line."), QStringLiteral("file")});
    line.Add({QStringLiteral("library"), QStringLiteral("Add the codes to this code library."), QStringLiteral("file")});
    line.Add({QStringLiteral("out"), QStringLiteral("Write the codes to FILE."), QStringLiteral("file")});
    line.Add({QStringLiteral("format"), QStringLiteral("Format of --out: lirc (default), ir, pronto or raw."), QStringLiteral("format")});
    line.Add({QStringLiteral("remote"), QStringLiteral("The remote's name (default: remote)."), QStringLiteral("name")});
    TCliOutput out(QStringLiteral("learn-remote"), arguments.contains(QStringLiteral("--json")));
    try {
        if (!line.Parse(arguments))
            return ExitSuccess;
        const QStringList buttons = buttonNames(line);
        const TTarget target(line);
        const TLinkEndpoint endpoint = line.Endpoint();

        TModuleLink link([&](const QString &text) { out.Progress(text); });
        TAnswer answer = TAnswer::None;
        const int interrupts = platform::InterruptDescriptor();
        QSocketNotifier interruptNotifier(interrupts, QSocketNotifier::Read);
        QObject::connect(&interruptNotifier, &QSocketNotifier::activated, [&] {
            platform::DrainInterrupts(interrupts);
            answer = TAnswer::Interrupt;
            link.Cancel();
        });
        QFile input;
        input.open(stdin, QIODevice::ReadOnly);
        QSocketNotifier keys(input.handle(), QSocketNotifier::Read);
        QObject::connect(&keys, &QSocketNotifier::activated, [&] {
            const QByteArray typed = input.readLine();
            if (typed.isEmpty()) { // end of input: nobody types, the buttons are pressed all the same
                keys.setEnabled(false);
                return;
            }
            answer = typed.trimmed().toLower() == "q" ? TAnswer::Stop : TAnswer::Skip;
            link.Cancel();
        });

        FailOn(link.Open(endpoint, line.Deadline()));
        std::vector<TCodeRecord> learned;
        QJsonArray learnedNames, skippedNames;
        int done = 0;
        for (const QString &button : buttons) {
            if (answer == TAnswer::Stop || answer == TAnswer::Interrupt)
                break;
            answer = TAnswer::None;
            out.Progress(QStringLiteral("[%1/%2] %3: press the button (Enter skips, q stops)").arg(done + 1).arg(buttons.size()).arg(button));
            const QDeadlineTimer deadline = line.Deadline();
            std::optional<TLearned> code;
            while (!code && answer == TAnswer::None && !deadline.hasExpired()) {
                try {
                    code = LearnCode(link, deadline);
                } catch (const ECliError &error) {
                    if (answer != TAnswer::None)
                        break;
                    if (error.Id == QLatin1String("decode-timeout"))
                        out.Progress(QStringLiteral("      no signal the module could decode: press %1 again").arg(button));
                    else if (error.Id != QLatin1String("timeout"))
                        throw;
                }
            }
            ++done;
            if (!code) {
                if (answer == TAnswer::Stop || answer == TAnswer::Interrupt)
                    --done;
                else {
                    skippedNames.append(button);
                    out.Progress(QStringLiteral("      %1 skipped").arg(button));
                }
                continue;
            }
            code->Record.Name = button;
            code->Record.Remote = target.Remote();
            learned.push_back(code->Record);
            target.Keep(learned);
            learnedNames.append(button);
            out.Progress(QStringLiteral("      %1 learned: %2 (%3 learned, %4 skipped, %5 to go)")
                             .arg(button, ProtocolText(code->Record.Code.DurationsUs))
                             .arg(learnedNames.size())
                             .arg(skippedNames.size())
                             .arg(buttons.size() - done));
        }
        if (answer == TAnswer::Interrupt)
            throw ECliError(ExitFailure, QStringLiteral("interrupted"),
                            QStringLiteral("interrupted after %1 of %2 buttons; the %3 learned code(s) are in %4")
                                .arg(done)
                                .arg(buttons.size())
                                .arg(learned.size())
                                .arg(target.File()));
        out.Result({{QStringLiteral("file"), target.File()},
                    {QStringLiteral("learned"), learnedNames},
                    {QStringLiteral("skipped"), skippedNames},
                    {QStringLiteral("stopped"), answer == TAnswer::Stop}},
                   QStringLiteral("%1 of %2 buttons learned into %3%4")
                       .arg(learned.size())
                       .arg(buttons.size())
                       .arg(target.File(), answer == TAnswer::Stop ? QStringLiteral(" (stopped)") : QString()));
        return ExitSuccess;
    } catch (const ECliError &error) {
        return out.Failure(error);
    }
}
