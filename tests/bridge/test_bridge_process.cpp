// irtool-bridge run as a process between a real broker and the module simulator, driven with the
// broker's own command-line clients.
#include "core/codelibrary.h"
#include "tests/bridge/bridgerig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using testsupport::Patience;
using testsupport::TBroker;
using testsupport::TWatchedProcess;

namespace {

QString quoted(const QString &text)
{
    return QRegularExpression::escape(text);
}

class BridgeProcess : public testing::Test {
protected:
    // A bridge with the given id whose port for dial-in modules is free; extra arguments follow.
    std::unique_ptr<TWatchedProcess> startBridge(const QString &id, QStringList extra = {})
    {
        auto bridge = std::make_unique<TWatchedProcess>(
            QStringLiteral(IRTOOL_BRIDGE_PATH),
            QStringList{QStringLiteral("--broker"), broker_.Url(), QStringLiteral("--id"), id, QStringLiteral("--listen"),
                        QStringLiteral("0")} + extra);
        EXPECT_TRUE(bridge->Saw(QStringLiteral("connected to the broker"))) << bridge->Output().toStdString();
        return bridge;
    }
    static QString listeningPort(TWatchedProcess &bridge)
    {
        return bridge.WaitFor(QStringLiteral("listening on port (\\d+)")).captured(1);
    }
    static std::unique_ptr<TWatchedProcess> simulator(QStringList arguments)
    {
        return std::make_unique<TWatchedProcess>(QStringLiteral(IRMODULE_SIM_PATH),
                                                 arguments << QStringLiteral("--learn-delay") << QStringLiteral("20"));
    }
    // A module dialling in to the bridge.
    static std::unique_ptr<TWatchedProcess> dialIn(TWatchedProcess &bridge)
    {
        return simulator({QStringLiteral("--connect"), QStringLiteral("--port"), listeningPort(bridge)});
    }
    // The JSON payload of the first message on topic after from, waiting for it.
    static QJsonObject payloadOn(TWatchedProcess &watch, const QString &topic, qsizetype from = 0)
    {
        const QString line = watch.WaitFor(QStringLiteral("^%1 (.*)$").arg(quoted(topic)), from).captured(1);
        return QJsonDocument::fromJson(line.toUtf8()).object();
    }

    TBroker broker_;
    QTemporaryDir dir_;
};

TEST_F(BridgeProcess, LearnAndSendReachTheModuleByteForByte)
{
    const QString library = dir_.filePath(QStringLiteral("codes.txt"));
    auto bridge = startBridge(QStringLiteral("hall"), {QStringLiteral("--library"), library});
    auto watch = broker_.Watch(QStringLiteral("irtool/hall/#"));
    auto module = dialIn(*bridge);
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$"))) << watch->Output().toStdString();

    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/learn"), R"({"id":"l1","save":"tv-power","remote":"tv"})");
    const QJsonObject learned = payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/learned"));
    const QString reply = learned.value(QStringLiteral("reply")).toString();
    ASSERT_TRUE(reply.startsWith(QStringLiteral("FF "))) << watch->Output().toStdString();
    EXPECT_EQ(learned.value(QStringLiteral("protocol")).toString(), QStringLiteral("NEC"));
    EXPECT_GT(learned.value(QStringLiteral("timings")).toArray().size(), 60);
    const QJsonObject learnResult = payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/result"));
    EXPECT_EQ(learnResult.value(QStringLiteral("id")).toString(), QStringLiteral("l1"));
    EXPECT_TRUE(learnResult.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(learnResult.value(QStringLiteral("saved")).toBool());

    // The saved code goes back with exactly the module's bytes.
    qsizetype mark = watch->Mark();
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), R"({"id":7,"code":"tv-power"})");
    EXPECT_TRUE(module->Saw(QStringLiteral("<- %1 \\(code to emit\\)").arg(quoted(reply)))) << module->Output().toStdString();
    QJsonObject sent = payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/result"), mark);
    EXPECT_EQ(sent.value(QStringLiteral("id")).toInt(), 7);
    EXPECT_TRUE(sent.value(QStringLiteral("ok")).toBool()) << watch->Output().toStdString();

    // Raw timings as the frame built from them, twice for one repeat, with one result.
    mark = watch->Mark();
    const qsizetype moduleMark = module->Mark();
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), R"({"id":8,"timings":[9000,-4500,560],"modulation":38000,"repeat_count":1})");
    sent = payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/result"), mark);
    EXPECT_EQ(sent.value(QStringLiteral("id")).toInt(), 8);
    EXPECT_TRUE(sent.value(QStringLiteral("ok")).toBool());
    EXPECT_EQ(module->Output().mid(moduleMark).count(QStringLiteral("<- FF 05 00 FD 03 87 01 C3 38 16 (code to emit)")), 2)
        << module->Output().toStdString();
    QTest::qWait(300);
    EXPECT_EQ(watch->Count(QStringLiteral("/result ")), 3);
    // Sent codes never come back as learned ones.
    EXPECT_EQ(watch->Count(QStringLiteral("/learned ")), 1);
}

TEST_F(BridgeProcess, BadInputIsAnsweredByNameAndNothingReachesTheModule)
{
    auto bridge = startBridge(QStringLiteral("hall"));
    auto watch = broker_.Watch(QStringLiteral("irtool/hall/#"));
    auto module = dialIn(*bridge);
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$")));
    struct TCase {
        QString Module;
        QByteArray Payload;
        QString Error;
    };
    const QByteArray tooBig = R"({"id":1,"timings":[)" + QByteArray(70 * 1024, ' ') + "500]}";
    const TCase cases[] = {
        {QStringLiteral("127-0-0-1"), tooBig, QStringLiteral("bad-request")},
        {QStringLiteral("127-0-0-1"), "{not json", QStringLiteral("bad-request")},
        {QStringLiteral("127-0-0-1"), R"({"id":2,"timings":[9000,4500]})", QStringLiteral("bad-request")},
        {QStringLiteral("127-0-0-1"), R"({"id":3,"timings":[9000,-4500,1.5]})", QStringLiteral("bad-request")},
        {QStringLiteral("ghost"), R"({"id":4,"timings":[9000]})", QStringLiteral("not-found")},
        {QStringLiteral("ghost"), R"({"id":5,"timings":[0]})", QStringLiteral("bad-request")},
        {QStringLiteral("127-0-0-1"), R"({"id":6,"code":"nothing"})", QStringLiteral("not-found")},
        {QStringLiteral("127-0-0-1"), R"({"id":7,"timings":[60000,-500,500]})", QStringLiteral("bad-code")},
    };
    for (const TCase &c : cases) {
        const qsizetype mark = watch->Mark();
        broker_.Publish(QStringLiteral("irtool/hall/%1/send").arg(c.Module), c.Payload);
        const QJsonObject result = payloadOn(*watch, QStringLiteral("irtool/hall/%1/result").arg(c.Module), mark);
        EXPECT_FALSE(result.value(QStringLiteral("ok")).toBool(true)) << c.Payload.left(60).toStdString();
        EXPECT_EQ(result.value(QStringLiteral("error")).toString(), c.Error) << c.Payload.left(60).toStdString();
        EXPECT_FALSE(result.value(QStringLiteral("message")).toString().isEmpty());
    }
    EXPECT_EQ(module->Count(QStringLiteral("code to emit")), 0) << module->Output().toStdString();

    // The bridge goes on: a good request after the bad ones is carried out.
    const qsizetype mark = watch->Mark();
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), R"({"id":9,"protocol":"NEC","address":4,"command":8})");
    EXPECT_TRUE(payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/result"), mark).value(QStringLiteral("ok")).toBool());
}

TEST_F(BridgeProcess, SilentModuleTimesOutAndAFullQueueIsBusy)
{
    auto bridge = startBridge(QStringLiteral("hall"));
    auto watch = broker_.Watch(QStringLiteral("irtool/hall/#"));
    auto module = simulator({QStringLiteral("--connect"), QStringLiteral("--port"), listeningPort(*bridge), QStringLiteral("--silent")});
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$")));
    // One under way, sixteen waiting, the rest answered busy.
    for (int i = 0; i < 19; ++i)
        broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), QStringLiteral(R"({"id":%1,"timings":[500]})").arg(i).toUtf8());
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(/result \{"error":"busy","id":17,)"))) << watch->Output().toStdString();
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(/result \{"error":"busy","id":18,)")));
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(/result \{"error":"timeout","id":0,)"))) << watch->Output().toStdString();
    EXPECT_EQ(watch->Count(QStringLiteral("\"busy\"")), 2);
}

TEST_F(BridgeProcess, AvailabilityFollowsTheModuleAndTheWillFollowsAKilledBridge)
{
    auto bridge = startBridge(QStringLiteral("hall"));
    auto watch = broker_.Watch(QStringLiteral("irtool/hall/#"));
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/status online$")));
    auto module = dialIn(*bridge);
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$")));
    qsizetype mark = watch->Mark();
    module->Kill();
    EXPECT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability offline$"), mark));

    // A module seen but gone is offline, not unknown.
    mark = watch->Mark();
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/learn"), R"({"id":"x"})");
    EXPECT_EQ(payloadOn(*watch, QStringLiteral("irtool/hall/127-0-0-1/result"), mark).value(QStringLiteral("error")).toString(),
              QStringLiteral("offline"));

    mark = watch->Mark();
    bridge->Kill();
    EXPECT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/status offline$"), mark)) << watch->Output().toStdString();
}

TEST_F(BridgeProcess, BrokerRestartIsFollowedByReconnectAndRepublish)
{
    auto bridge = startBridge(QStringLiteral("hall"));
    auto module = dialIn(*bridge);
    ASSERT_TRUE(bridge->Saw(QStringLiteral("module 127-0-0-1 online")));
    const qsizetype mark = bridge->Mark();
    broker_.Stop();
    EXPECT_TRUE(bridge->Saw(QStringLiteral("connecting again"), mark));
    broker_.Start();
    // The broker kept nothing; what a new subscriber sees was published again by the bridge.
    EXPECT_TRUE(bridge->Saw(QStringLiteral("connected to the broker"), mark));
    auto watch = broker_.Watch(QStringLiteral("irtool/hall/#"));
    EXPECT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/status online$"))) << watch->Output().toStdString();
    EXPECT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$")));
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), R"({"id":1,"timings":[500]})");
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(^irtool/hall/127-0-0-1/result \{"id":1,"ok":true\}$)"))) << watch->Output().toStdString();
}

TEST_F(BridgeProcess, TwoBridgesOnOneBrokerEachServeTheirOwnModules)
{
    // One takes modules dialling in, the other dials its module.
    auto hall = startBridge(QStringLiteral("hall"));
    auto hallModule = dialIn(*hall);
    auto roomModule = simulator({QStringLiteral("--listen"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                 QStringLiteral("--port"), QStringLiteral("0")});
    const QString roomPort = roomModule->WaitFor(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)")).captured(1);
    ASSERT_FALSE(roomPort.isEmpty()) << roomModule->Output().toStdString();
    auto room = startBridge(QStringLiteral("room"), {QStringLiteral("--module"), QStringLiteral("127.0.0.1:") + roomPort});
    auto watch = broker_.Watch(QStringLiteral("irtool/#"));
    const QString roomId = QStringLiteral("127-0-0-1-") + roomPort;
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/hall/127-0-0-1/availability online$")));
    ASSERT_TRUE(watch->Saw(QStringLiteral("^irtool/room/%1/availability online$").arg(roomId))) << watch->Output().toStdString();

    broker_.Publish(QStringLiteral("irtool/room/%1/send").arg(roomId), R"({"id":"r","timings":[9000,-4500,560]})");
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(^irtool/room/%1/result \{"id":"r","ok":true\}$)").arg(roomId)));
    broker_.Publish(QStringLiteral("irtool/hall/127-0-0-1/send"), R"({"id":"h","timings":[700]})");
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(^irtool/hall/127-0-0-1/result \{"id":"h","ok":true\}$)")));
    EXPECT_EQ(roomModule->Count(QStringLiteral("code to emit")), 1);
    EXPECT_EQ(hallModule->Count(QStringLiteral("code to emit")), 1);
    // Neither answers for the other's modules.
    broker_.Publish(QStringLiteral("irtool/room/127-0-0-1/send"), R"({"id":"x","timings":[700]})");
    EXPECT_TRUE(watch->Saw(QStringLiteral(R"(^irtool/room/127-0-0-1/result \{"error":"not-found")")));
}

} // namespace

namespace {

class BridgeDiscovery : public BridgeProcess {
protected:
    QString writeFile(const QString &name, const QByteArray &text) { return testsupport::WriteTestFile(dir_, name, text); }
    QString writeConfig(const QByteArray &modules)
    {
        const QString library = writeFile(QStringLiteral("codes.txt"), FormatCodeLibrary({TCodeRecord{
            QStringLiteral("power"), QStringLiteral("tv"), {}, {}, TIrCode{{9000, 4500, 560}, 38000, {}}}}));
        return writeFile(QStringLiteral("bridge.conf"), "library = " + library.toUtf8() + "\n" + modules);
    }
};

TEST_F(BridgeDiscovery, DocumentsArePublishedResentAndRemoved)
{
    const QString config = writeConfig("[module tv]\naddress = 127.0.0.1\ncodes = power\n");
    auto bridge = startBridge(QStringLiteral("hall"), {QStringLiteral("--config"), config});
    auto watch = broker_.Watch(QStringLiteral("homeassistant/#"));
    const QString tvTopic = QStringLiteral("homeassistant/device/irtool_hall_tv/config");
    const QJsonObject tv = payloadOn(*watch, tvTopic);
    EXPECT_EQ(tv.value(QStringLiteral("dev")).toObject().value(QStringLiteral("via_device")).toString(), QStringLiteral("irtool_hall"));
    EXPECT_EQ(tv.value(QStringLiteral("availability_mode")).toString(), QStringLiteral("all"));
    EXPECT_EQ(tv.value(QStringLiteral("availability")).toArray().size(), 2);
    QStringList platforms;
    QString press;
    for (const QJsonValue &c : tv.value(QStringLiteral("cmps")).toObject()) {
        const QJsonObject component = c.toObject();
        platforms.append(component.value(QStringLiteral("p")).toString() + QLatin1Char('/')
                         + component.value(QStringLiteral("schema")).toString());
        if (component.value(QStringLiteral("p")).toString() == QLatin1String("button")) {
            press = component.value(QStringLiteral("payload_press")).toString();
            EXPECT_EQ(component.value(QStringLiteral("command_topic")).toString(), QStringLiteral("irtool/hall/tv/send"));
        }
    }
    platforms.sort();
    EXPECT_EQ(platforms, (QStringList{QStringLiteral("button/"), QStringLiteral("infrared/emitter"), QStringLiteral("infrared/receiver")}));
    EXPECT_EQ(press, QStringLiteral(R"({"code":"power"})"));
    EXPECT_TRUE(payloadOn(*watch, QStringLiteral("homeassistant/device/irtool_hall/config")).contains(QStringLiteral("cmps")));

    // The module named in the configuration takes the button's request as its own.
    auto module = dialIn(*bridge);
    auto results = broker_.Watch(QStringLiteral("irtool/hall/#"));
    ASSERT_TRUE(results->Saw(QStringLiteral("^irtool/hall/tv/availability online$"))) << results->Output().toStdString();
    broker_.Publish(QStringLiteral("irtool/hall/tv/send"), press.toUtf8());
    EXPECT_TRUE(module->Saw(QStringLiteral("<- FF 05 00 FD 03 87 01 C3 38 16 \\(code to emit\\)")));

    // Sent again when the home system says it is back.
    const qsizetype documents = watch->Count(QStringLiteral("^%1 ").arg(quoted(tvTopic)));
    broker_.Publish(QStringLiteral("homeassistant/status"), "online");
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch->Count(QStringLiteral("^%1 ").arg(quoted(tvTopic))) > documents; }, Patience));

    // Taken out of the configuration: removed with an empty retained document.
    bridge->Terminate();
    const qsizetype mark = watch->Mark();
    auto without = startBridge(QStringLiteral("hall"), {QStringLiteral("--config"), writeConfig("")});
    EXPECT_TRUE(watch->Saw(QStringLiteral("^%1( \\(null\\))?\\s*$").arg(quoted(tvTopic)), mark)) << watch->Output().mid(mark).toStdString();
    auto later = broker_.Watch(QStringLiteral("homeassistant/#"));
    ASSERT_TRUE(later->Saw(QStringLiteral("^homeassistant/device/irtool_hall/config ")));
    QTest::qWait(300);
    EXPECT_EQ(later->Count(QStringLiteral("irtool_hall_tv")), 0) << later->Output().toStdString();
}

} // namespace

namespace {

int runBridge(const QStringList &arguments, QString &output)
{
    QProcess bridge;
    bridge.setProcessChannelMode(QProcess::MergedChannels);
    bridge.start(QStringLiteral(IRTOOL_BRIDGE_PATH), arguments);
    EXPECT_TRUE(bridge.waitForFinished(Patience));
    output = QString::fromUtf8(bridge.readAll());
    return bridge.exitCode();
}

TEST(BridgeCheck, ShippedConfigurationIsValidAndFaultsAreNamedByLine)
{
    QString output;
    EXPECT_EQ(runBridge({QStringLiteral("--config"), QStringLiteral(IRTOOL_BRIDGE_CONF), QStringLiteral("--check")}, output), 0) << output.toStdString();

    QTemporaryDir dir;
    const QString path = testsupport::WriteTestFile(dir, QStringLiteral("bad.conf"), "id = hall\nlisten = many\n[module tv]\ncodes = power\n");
    EXPECT_EQ(runBridge({QStringLiteral("--config"), path, QStringLiteral("--check")}, output), 1);
    EXPECT_TRUE(output.contains(path + QStringLiteral(":2: listen"))) << output.toStdString();
    EXPECT_TRUE(output.contains(path + QStringLiteral(":3: module tv needs exactly one of address and dial"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("no library"))) << output.toStdString();
}

TEST(BridgeLogin, PasswordFromItsFileLetsTheBridgeInAndIsNeverShown)
{
    QTemporaryDir dir;
    const QString passwords = dir.filePath(QStringLiteral("passwords"));
    QProcess make;
    make.start(QStringLiteral("mosquitto_passwd"), {QStringLiteral("-c"), QStringLiteral("-b"), passwords,
                                                   QStringLiteral("bridge"), QStringLiteral("s3cret-Word")});
    ASSERT_TRUE(make.waitForFinished(Patience));
    ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    TBroker broker("allow_anonymous false\npassword_file " + passwords.toUtf8() + "\n");

    const QString secret = testsupport::WriteTestFile(dir, QStringLiteral("secret"), "s3cret-Word\n");
    for (const auto &[password, admitted] : {std::pair{secret, true}, std::pair{passwords, false}}) {
        const QString config = testsupport::WriteTestFile(
            dir, QStringLiteral("bridge.conf"), "id = hall\nlisten = off\nuser = bridge\npassword-file = " + password.toUtf8() + "\n");
        TWatchedProcess bridge(QStringLiteral(IRTOOL_BRIDGE_PATH),
                               {QStringLiteral("--broker"), broker.Url(), QStringLiteral("--config"), config});
        if (admitted)
            EXPECT_TRUE(bridge.Saw(QStringLiteral("connected to the broker"))) << bridge.Output().toStdString();
        else
            EXPECT_TRUE(bridge.Saw(QStringLiteral("refused"))) << bridge.Output().toStdString();
        EXPECT_FALSE(bridge.Output().contains(QStringLiteral("s3cret")));
    }
}

} // namespace

namespace {

// openssl with the arguments given; true when it succeeded.
bool openssl(const QStringList &arguments, const QTemporaryDir &dir)
{
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start(QStringLiteral("openssl"), arguments);
    return tool.waitForFinished(Patience) && tool.exitCode() == 0;
}

// An authority of its own: its certificate at <name>.pem, its key at <name>.key.
bool makeAuthority(const QString &name, const QTemporaryDir &dir)
{
    return openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                    QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                    QStringLiteral("/CN=") + name, QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                    QStringLiteral("-out"), name + QStringLiteral(".pem")}, dir);
}

TEST(BridgeTls, BrokerIsTrustedOnlyThroughTheGivenAuthority)
{
    QTemporaryDir dir;
    ASSERT_TRUE(makeAuthority(QStringLiteral("ca"), dir));
    ASSERT_TRUE(makeAuthority(QStringLiteral("stranger"), dir));
    testsupport::WriteTestFile(dir, QStringLiteral("ext"), "subjectAltName=IP:127.0.0.1\n");
    ASSERT_TRUE(openssl({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"), QStringLiteral("-nodes"),
                         QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-keyout"), QStringLiteral("server.key"),
                         QStringLiteral("-out"), QStringLiteral("server.csr")}, dir));
    ASSERT_TRUE(openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), QStringLiteral("server.csr"),
                         QStringLiteral("-CA"), QStringLiteral("ca.pem"), QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                         QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                         QStringLiteral("ext"), QStringLiteral("-out"), QStringLiteral("server.pem")}, dir));
    TBroker broker("allow_anonymous true\ncertfile " + dir.filePath(QStringLiteral("server.pem")).toUtf8() + "\nkeyfile "
                   + dir.filePath(QStringLiteral("server.key")).toUtf8() + "\n");
    for (const auto &[authority, trusted] : {std::pair{QStringLiteral("ca.pem"), true}, std::pair{QStringLiteral("stranger.pem"), false}}) {
        const QString config = testsupport::WriteTestFile(
            dir, QStringLiteral("bridge.conf"),
            QStringLiteral("id = hall\nlisten = off\nbroker = mqtts://127.0.0.1:%1\nca-file = %2\n")
                .arg(broker.Port())
                .arg(dir.filePath(authority))
                .toUtf8());
        TWatchedProcess bridge(QStringLiteral(IRTOOL_BRIDGE_PATH), {QStringLiteral("--config"), config});
        if (trusted) {
            EXPECT_TRUE(bridge.Saw(QStringLiteral("connected to the broker"))) << bridge.Output().toStdString();
        } else {
            EXPECT_TRUE(bridge.Saw(QStringLiteral("connecting again"))) << bridge.Output().toStdString();
            EXPECT_FALSE(bridge.Output().contains(QStringLiteral("connected to the broker")));
        }
    }
}

} // namespace
