// The configuration window against the module simulator's serial side, run as its own process.
#include "configwindowfixture.h"

#include "serial/zvcommdevice.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

using testsupport::WaitFor;

class ConfigSimulatorTest : public ConfigWindowTest {
protected:
    void TearDown() override
    {
        form2->reject();
        sim.kill();
        sim.waitForFinished(10000);
        ConfigWindowTest::TearDown();
    }

    // Starts a module whose serial side is a pseudo-terminal and returns that terminal's path.
    QString StartModule()
    {
        QObject::connect(&sim, &QProcess::readyReadStandardOutput, [this] { output += sim.readAllStandardOutput(); });
        sim.start(QStringLiteral(IRMODULE_SIM_PATH), {"--listen", "--port", "0", "--serial", "pty"});
        const QRegularExpression path("serial port: (\\S+)");
        QRegularExpressionMatch match;
        WaitFor([&] { return (match = path.match(QString::fromLocal8Bit(output))).hasMatch(); });
        return match.captured(1);
    }

    QProcess sim;
    QByteArray output;
};

TEST_F(ConfigSimulatorTest, WrittenParametersComeBackFromTheModule)
{
    const QString port = StartModule();
    ASSERT_FALSE(port.isEmpty()) << output.toStdString();
    form2->show();
    form2->ZvCommDevice1->SetPortName(port.toStdString());

    testsupport::Click(form2->BitBtn3);
    ASSERT_TRUE(WaitFor([&] { return form2->PanelText(4) == "设置成功"; })) << output.toStdString();

    for (int n = 1; n <= 24; ++n)
        form2->Edit(n)->setText("1");
    testsupport::Click(form2->SpeedButton6);
    ASSERT_TRUE(WaitFor([&] { return form2->PanelText(4) == "读取成功"; })) << output.toStdString();
    const char *const defaults[24] = {"192", "168", "0",    "199", "192", "168", "0",   "1",   "255", "255", "255", "0",
                                      "5000", "192", "168", "0",   "190", "6000", "100", "101", "102", "103", "0",   "199"};
    for (int n = 1; n <= 24; ++n)
        EXPECT_EQ(form2->Edit(n)->text(), defaults[n - 1]) << "Edit" << n;
}
