// The commands that keep, name and convert codes, as a process: learn into a library and a file,
// send from the library, identify and convert through every format, learn a whole remote.
#include "cliprocess.h"

#include "core/protocols/protocols.h"
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/remotecodes.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

using namespace clitest;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QString rawText(const std::vector<int> &durationsUs)
{
    QStringList parts;
    for (size_t i = 0; i < durationsUs.size(); ++i)
        parts.append(QString::number(i % 2 ? -durationsUs[i] : durationsUs[i]));
    return parts.join(' ') + '\n';
}

class CliCodes : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(CliCodes, ALearnedCodeIsSavedNamedAndSentFromTheLibrary)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "nec"});
    const QString module = "127.0.0.1:" + ListeningPort(sim);
    TCliRun learn({"learn", "--module", module, "--save", "power", "--remote", "tv", "--library", path("codes.txt"),
                   "--out", path("power.ir"), "--format", "ir", "--json"});
    ASSERT_EQ(learn.Finish(), 0) << qPrintable(learn.Both());
    EXPECT_EQ(learn.Json().value("protocol").toString(), "NEC");
    const QByteArray library = contents(path("codes.txt"));
    EXPECT_TRUE(library.contains("code: power")) << library.constData();
    EXPECT_TRUE(library.contains("protocol: NEC ")) << library.constData();
    EXPECT_TRUE(contents(path("power.ir")).startsWith("Filetype: IR signals file"));

    TCliRun send({"send", "--module", module, "--library", path("codes.txt"), "--name", "power", "--json"});
    ASSERT_EQ(send.Finish(), 0) << qPrintable(send.Both());
    // A learned code goes back with the module's own bytes.
    EXPECT_TRUE(sim.Saw(QRegularExpression::escape("<- " + learn.Json().value("reply").toString() + " (code to emit)")));

    TCliRun missing({"send", "--module", module, "--library", path("codes.txt"), "--name", "mute", "--json"});
    EXPECT_EQ(missing.Finish(), 1);
    EXPECT_EQ(missing.Json().value("error").toString(), "not-found");
}

// Codes made by the protocol encoders, written as raw timings, come back named the same through
// identify and through a chain of conversions, blaster formats among them.
TEST_F(CliCodes, EncodedCodesAreIdentifiedAfterEveryConversion)
{
    const std::vector<TProtocolCode> codes{{"NEC", 0x04, 0x08, 32, {}}, {"SIRC", 0x01, 0x15, 12, {}},
                                           {"RC5", 0x05, 0x20, 13, {}}, {"Samsung32", 0x07, 0x02, 32, {}}};
    for (const TProtocolCode &code : codes) {
        const std::optional<TIrCode> encoded = EncodeCode(code);
        ASSERT_TRUE(encoded) << qPrintable(code.Protocol);
        writeFile(path("code.raw"), rawText(encoded->DurationsUs).toUtf8());
        QString input = path("code.raw");
        for (const char *format : {"pronto", "ir", "lirc", "csv", "library", "sendir", "broadlink", "broadlink-hex", "raw"}) {
            const QString output = dir.filePath(QStringLiteral("code.%1").arg(format));
            TCliRun convert({"convert", "--to", format, input, "--out", output, "--json"});
            ASSERT_EQ(convert.Finish(), 0) << format << qPrintable(convert.Both());
            input = output;

            TCliRun identify({"identify", input, "--json"});
            ASSERT_EQ(identify.Finish(), 0) << format << qPrintable(identify.Both());
            const QJsonObject named = identify.Json().value("codes").toArray().first().toObject();
            EXPECT_EQ(named.value("protocol").toString(), code.Protocol) << format << qPrintable(identify.Both());
            EXPECT_EQ(named.value("address").toInteger(), code.Address) << format;
            EXPECT_EQ(named.value("command").toInteger(), code.Command) << format;
        }
    }
}

TEST_F(CliCodes, IdentifyReadsALearnedReplyFromStandardInput)
{
    const QByteArray reply = irsim::DecodedDataReply(irsim::FindRemoteCode("nec")->Durations).toHex(' ').toUpper();
    QProcess identify;
    identify.start(QStringLiteral(IRTOOL_CLI_PATH), {"identify"});
    ASSERT_TRUE(identify.waitForStarted(Patience));
    identify.write(reply + "\n");
    identify.closeWriteChannel();
    ASSERT_TRUE(identify.waitForFinished(Patience));
    EXPECT_EQ(identify.exitCode(), 0);
    EXPECT_TRUE(identify.readAllStandardOutput().startsWith("learned: NEC  address 0x"));
}

TEST_F(CliCodes, UnreadableCodeFilesAreBadFiles)
{
    writeFile(path("bad.txt"), "0000 006D 0002 0000\n0156 00AB ZZZZ 0015\n");
    const QList<QStringList> commands{{"identify", path("bad.txt")},
                                      {"identify", path("missing.txt")},
                                      {"convert", "--to", "raw", path("bad.txt"), "--out", path("x.raw")}};
    for (const QStringList &command : commands) {
        TCliRun run(command + QStringList{"--json"});
        EXPECT_EQ(run.Finish(), 1) << qPrintable(command.join(' ')) << qPrintable(run.Both());
        EXPECT_EQ(run.Json().value("error").toString(), "bad-file") << qPrintable(run.Both());
    }
    EXPECT_FALSE(QFile::exists(path("x.raw")));
}

// A signal file with one record that can be taken and one that cannot: every command says what
// it left out, on standard error and in the JSON's "refused"; with nothing taken it fails with the
// reasons.
TEST_F(CliCodes, RecordsLeftOutAreNamedWithTheirReason)
{
    const QByteArray head = "Filetype: IR signals file\nVersion: 1\n";
    const QByteArray taken = "name: Power\ntype: parsed\nprotocol: Kaseikyo\naddress: 80 02 20 00\ncommand: D0 03 00 00\n";
    const QByteArray refused = "name: Vol_up\ntype: parsed\nprotocol: Unknown42\naddress: 07 00 00 00\ncommand: 02 00 00 00\n";
    writeFile(path("some.ir"), head + taken + refused);
    writeFile(path("none.ir"), head + refused);
    const QList<QStringList> partial{{"identify", path("some.ir")},
                                     {"convert", "--to", "raw", path("some.ir"), "--out", path("some.raw")}};
    for (const QStringList &command : partial) {
        TCliRun text(command);
        ASSERT_EQ(text.Finish(), 0) << qPrintable(text.Both());
        EXPECT_TRUE(text.Err.contains("not taken: Vol_up: ")) << qPrintable(text.Both());
        EXPECT_TRUE(text.Err.contains("Unknown42")) << qPrintable(text.Both());

        TCliRun json(command + QStringList{"--json"});
        ASSERT_EQ(json.Finish(), 0) << qPrintable(json.Both());
        const QJsonArray list = json.Json().value("refused").toArray();
        ASSERT_EQ(list.size(), 1) << qPrintable(json.Both());
        EXPECT_EQ(list[0].toObject().value("name").toString(), "Vol_up");
        EXPECT_TRUE(list[0].toObject().value("reason").toString().contains("Unknown42"));
    }
    TCliRun identify({"identify", path("some.ir"), "--json"});
    ASSERT_EQ(identify.Finish(), 0);
    const QJsonObject power = identify.Json().value("codes").toArray().first().toObject();
    EXPECT_EQ(power.value("protocol").toString(), "Kaseikyo");
    EXPECT_EQ(power.value("address").toInteger(), 0x200280);
    EXPECT_EQ(power.value("command").toInteger(), 0x3D0);

    TCliRun none({"convert", "--to", "raw", path("none.ir"), "--out", path("none.raw"), "--json"});
    EXPECT_EQ(none.Finish(), 1) << qPrintable(none.Both());
    EXPECT_EQ(none.Json().value("error").toString(), "bad-file");
    EXPECT_TRUE(none.Json().value("message").toString().contains("Unknown42")) << qPrintable(none.Both());
    EXPECT_EQ(none.Json().value("refused").toArray().size(), 1);
    EXPECT_FALSE(QFile::exists(path("none.raw")));
}

TEST_F(CliCodes, LearnRemoteLearnsEveryButtonIntoOneFile)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0"});
    TCliRun run({"learn-remote", "--module", "127.0.0.1:" + ListeningPort(sim), "--out", path("tv.conf"), "--remote", "tv",
                 "power", "vol+", "mute", "--json"});
    ASSERT_EQ(run.Finish(), 0) << qPrintable(run.Both());
    EXPECT_EQ(run.Json().value("learned").toArray(), QJsonArray({"power", "vol+", "mute"}));
    const QByteArray conf = contents(path("tv.conf"));
    for (const char *name : {"name  tv", "name power", "name vol+", "name mute"})
        EXPECT_TRUE(conf.contains(name)) << name << conf.constData();
    EXPECT_TRUE(run.Err.contains("[3/3] mute: press the button")) << run.Err.constData();
}

TEST_F(CliCodes, LearnRemoteSkipsOnEnterAndStopsOnQ)
{
    TSimulator sim({"--listen", "--bind", "127.0.0.1", "--port", "0", "--silent"});
    QProcess run;
    QByteArray err;
    QObject::connect(&run, &QProcess::readyReadStandardError, [&] { err += run.readAllStandardError(); });
    run.start(QStringLiteral(IRTOOL_CLI_PATH), {"learn-remote", "--module", "127.0.0.1:" + ListeningPort(sim), "--library",
                                                path("lib.txt"), "a", "b", "c", "--json"});
    ASSERT_TRUE(run.waitForStarted(Patience));
    ASSERT_TRUE(QTest::qWaitFor([&] { return err.contains("[1/3] a:"); }, Patience)) << err.constData();
    run.write("\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return err.contains("[2/3] b:"); }, Patience)) << err.constData();
    run.write("q\n");
    ASSERT_TRUE(run.waitForFinished(Patience)) << err.constData();
    EXPECT_EQ(run.exitCode(), 0) << err.constData();
    const QJsonObject json = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
    EXPECT_EQ(json.value("skipped").toArray(), QJsonArray({"a"}));
    EXPECT_EQ(json.value("learned").toArray(), QJsonArray());
    EXPECT_EQ(json.value("stopped").toBool(), true);
    EXPECT_FALSE(err.contains("[3/3]"));
}

TEST_F(CliCodes, LearnRemoteInterruptedKeepsWhatWasLearned)
{
    // A module that answers the first learn command only.
    const QByteArray reply = irsim::DecodedDataReply(irsim::FindRemoteCode("rc5")->Durations);
    int learns = 0;
    TPeerModule peer([&](const QByteArray &command) { return command.endsWith(QByteArray("\xFF\x00\x00\xFE", 4)) && ++learns == 1 ? reply : QByteArray(); });
    QProcess run;
    QByteArray err;
    QObject::connect(&run, &QProcess::readyReadStandardError, [&] { err += run.readAllStandardError(); });
    run.start(QStringLiteral(IRTOOL_CLI_PATH), {"learn-remote", "--module", peer.Address(), "--out", path("r.ir"),
                                                "--format", "ir", "one", "two", "--json"});
    ASSERT_TRUE(run.waitForStarted(Patience));
    ASSERT_TRUE(QTest::qWaitFor([&] { return err.contains("[2/2] two:"); }, Patience)) << err.constData();
    run.terminate(); // the same request as Ctrl-C
    ASSERT_TRUE(run.waitForFinished(Patience)) << err.constData();
    const QJsonObject json = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
    EXPECT_EQ(run.exitCode(), 1) << err.constData();
    EXPECT_EQ(json.value("error").toString(), "interrupted");
    EXPECT_TRUE(json.value("message").toString().contains("the 1 learned code(s) are in")) << qPrintable(json.value("message").toString());
    const QByteArray file = contents(path("r.ir"));
    EXPECT_TRUE(file.contains("name: one")) << file.constData();
    EXPECT_FALSE(file.contains("name: two")) << file.constData();
}

} // namespace
