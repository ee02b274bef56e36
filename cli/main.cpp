// irtool-cli: the module's learning, sending and set-up for scripts and terminals.
#include "cli/clioutput.h"
#include "cli/commands.h"

#include <QCoreApplication>

#include <functional>
#include <map>

namespace {

const char *const Overview =
    "Usage: irtool-cli COMMAND [options]   (irtool-cli COMMAND --help for its options)\n"
    "\n"
    "Commands:\n"
    "  learn         make a module learn a remote's signal and print the code\n"
    "  learn-remote  learn a list of buttons one after the other into one file\n"
    "  send          send a code to a module, which emits it\n"
    "  identify      name the protocol of codes in a file or on standard input\n"
    "  convert       convert codes between Pronto, raw, CSV, LIRC, signal files and the library\n"
    "  config        read or write a module's network parameters (config read|write)\n"
    "\n"
    "Exit codes: 0 success, 1 failure, 2 wrong command line. --json prints one JSON object.\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const std::map<QString, std::function<int(const QStringList &)>> commands{
        {QStringLiteral("learn"), RunLearn},
        {QStringLiteral("send"), RunSend},
        {QStringLiteral("config"), RunConfig},
        {QStringLiteral("identify"), RunIdentify},
        {QStringLiteral("convert"), RunConvert},
        {QStringLiteral("learn-remote"), RunLearnRemote},
    };
    if (arguments.isEmpty()) {
        WriteErr(QString::fromUtf8(Overview));
        return ExitUsage;
    }
    if (arguments.first() == QStringLiteral("--help") || arguments.first() == QStringLiteral("help")) {
        WriteOut(QString::fromUtf8(Overview));
        return ExitSuccess;
    }
    const auto command = commands.find(arguments.first());
    if (command == commands.end()) {
        WriteErr(QStringLiteral("irtool-cli: unknown command \"%1\"\n\n").arg(arguments.first()) + QString::fromUtf8(Overview));
        return ExitUsage;
    }
    return command->second(arguments);
}
