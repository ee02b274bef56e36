// Learn and emit against the module simulator running as its own process, in both link modes.
#include "windowfixture.h"

#include "support/simulatorprocess.h"

#include "core/ircode.h"
#include "core/protocols/protocols.h"
#include "platform/qt/socketlink.h"
#include "tools/simulator/moduleframes.h"
#include "tools/simulator/remotecodes.h"

#include <QLineSeries>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <memory>
#include <numeric>

namespace {

// As patient as the window's own waits.
constexpr int SimulatorPatience = 15000;

class TSimulator : public testsupport::TSimulatorProcess {
public:
    explicit TSimulator(QStringList arguments) : TSimulatorProcess(std::move(arguments), SimulatorPatience) {}
};

QString spaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString received(const QByteArray &frame, const char *kind)
{
    return QRegularExpression::escape(QStringLiteral("<- %1 (%2)").arg(spaced(frame), QString::fromLatin1(kind)));
}

class SimulatorRoundTrip : public LearnWindowTest {
protected:
    // Keep-alives would be answered with an echo that could join a reply gathered in the same quiet
    // gap; they have their own tests, here they are pushed far away.
    void quietKeepAlive() { form.Timer3->setInterval(3600 * 1000); }

    // Learns the simulator's code into the channel and emits it back, checking every step on both
    // sides; bystander is a module that must hear neither command.
    void learnAndEmit(TSimulator &module, const QString &codeName, int channel, TSimulator *bystander = nullptr)
    {
        const irsim::TRemoteCode *code = irsim::FindRemoteCode(codeName);
        ASSERT_NE(code, nullptr);
        const QByteArray reply = irsim::DecodedDataReply(code->Durations);
        const int totalMs = std::accumulate(code->Durations.begin(), code->Durations.end(), 0) / 100;
        testsupport::Click(form.Chart1->RadioButton(channel));

        int before = logLineCount();
        testsupport::Click(form.BitBtn5);
        EXPECT_EQ(logSince(before), (QStringList{"", u8("等待解码数据......")}));
        ASSERT_TRUE(module.WaitFor(received(irsim::LearnCommand(), "learn")).hasMatch()) << qPrintable(module.Output());
        ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("协议：")); }))
            << qPrintable(module.Output());
        EXPECT_EQ(logSince(before + 2), (QStringList{"", u8("收到解码数据："), spaced(reply), "",
                                                     u8("数据总长度：%1毫秒").arg(totalMs),
                                                     ProtocolLogLine(ReplyDurationsUs(reply))}));
        EXPECT_EQ(form.Chart1->ChannelCode(channel), spaced(reply) + " ");
        EXPECT_EQ(form.Chart1->Series(channel)->count(), 2 * static_cast<int>(code->Durations.size() + 1));

        before = logLineCount();
        testsupport::Click(form.Chart1->EmitButton(channel));
        ASSERT_TRUE(module.WaitFor(received(reply, "code to emit")).hasMatch()) << qPrintable(module.Output());
        ASSERT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains(u8("完成红外发射......")); }));
        EXPECT_EQ(logSince(before), (QStringList{"", u8("完成红外发射......"), ""}));
        // Nothing else reached the module but the "CLEAR" notices of a server.
        EXPECT_EQ(module.Count(QStringLiteral("<- ")) - module.Count(QStringLiteral("\\(clear notice\\)")), 2)
            << qPrintable(module.Output());

        if (bystander) {
            EXPECT_EQ(bystander->Count(QStringLiteral("\\((learn|code to emit)\\)")), 0) << qPrintable(bystander->Output());
        }
    }

    void connectClient(TSimulator &module)
    {
        const QRegularExpressionMatch listening = module.WaitFor(QStringLiteral("module 1 listening on 127\\.0\\.0\\.1:(\\d+)"));
        ASSERT_TRUE(listening.hasMatch()) << qPrintable(module.Output());
        form.N2Click();
        form.Edit20->setText("127.0.0.1");
        form.Edit21->setText(listening.captured(1));
        form.Button1Click();
        quietKeepAlive();
        ASSERT_TRUE(waitFor([&] { return form.ClientSocket->Active(); }));
        ASSERT_TRUE(module.WaitFor(QStringLiteral("connected")).hasMatch());
    }
};

TEST_F(SimulatorRoundTrip, ServerModeTalksOnlyToTheSelectedOfTwoModules)
{
    form.Edit21->setText("0");
    form.Button1Click();
    ASSERT_TRUE(form.ServerSocket1->Active());
    quietKeepAlive();
    const QString port = QString::number(form.ServerSocket1->ListeningPort());

    // One at a time, so that the list's order is the simulators' order.
    std::vector<std::unique_ptr<TSimulator>> modules;
    for (const char *code : {"nec", "sony"}) {
        modules.push_back(std::make_unique<TSimulator>(QStringList{"--connect", "--port", port, "--code", code}));
        const int expected = static_cast<int>(modules.size());
        ASSERT_TRUE(waitFor([&] { return form.ListUserAddr->count() == expected; })) << qPrintable(modules.back()->Output());
    }
    form.ListUserAddr->setCurrentRow(1);

    learnAndEmit(*modules[1], "sony", 2, modules[0].get());
}

TEST_F(SimulatorRoundTrip, ClientModeLearnsAndEmits)
{
    TSimulator module({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "rc5"});
    connectClient(module);
    learnAndEmit(module, "rc5", 4);
}

TEST_F(SimulatorRoundTrip, AReplyInPiecesIsGatheredIntoOne)
{
    // The pieces come well within the fixture's quiet gap.
    TSimulator module({"--listen", "--bind", "127.0.0.1", "--port", "0", "--code", "samsung", "--split", "5",
                       "--split-gap", "20"});
    connectClient(module);
    learnAndEmit(module, "samsung", 3);
    EXPECT_GE(module.Count(QStringLiteral("-> piece ")), 5);
    EXPECT_EQ(form.Memo1->toPlainText().count(u8("收到解码数据：")), 1);
}

} // namespace
