// An exported lircd.conf checked by LIRC's own tools: irsimsend must read it and send every code
// with our durations, and irsimreceive must decode what was sent back to the codes' names.
#include "core/formats/lirc.h"

#include "recordcompare.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A pulse-distance code as many remotes send it: leader, 32 bits, final mark.
std::vector<int> pulseDistance(uint32_t bits, bool withLeadOut)
{
    std::vector<int> d = {9000, 4500};
    for (int i = 0; i < 32; ++i) {
        d.push_back(560);
        d.push_back((bits >> i) & 1 ? 1690 : 560);
    }
    d.push_back(560);
    if (withLeadOut)
        d.push_back(40000);
    return d;
}

QString run(const QString &program, const QStringList &args, const QString &folder, int &exitCode)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        exitCode = -1;
        return "timed out";
    }
    exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

TEST(LircTools, SendAndReceiveTheExportedCodes)
{
    const QString send = QStandardPaths::findExecutable("irsimsend");
    const QString receive = QStandardPaths::findExecutable("irsimreceive");
    if (send.isEmpty() || receive.isEmpty())
        GTEST_SKIP() << "LIRC's irsimsend and irsimreceive are not installed (Debian package lirc; ./build.sh installs it)";

    const std::vector<TCodeRecord> codes = {
        Record("KEY_POWER", pulseDistance(0xF708FB04, false), 38000),
        Record("电视 开关", pulseDistance(0xE619FB04, true), 38000),
        Record("KEY_MUTE", pulseDistance(0xBF40FF00, true), 38000),
        Record("short", {2400, 600, 1200, 600, 600, 600, 1200}, 38000),
    };
    QTemporaryDir dir;
    const QString conf = dir.filePath("remote.conf");
    {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ExportLirc("living room", codes).Text);
    }

    int code = 0;
    const QString sent = run(send, {"-s", "100000", conf}, dir.path(), code);
    ASSERT_EQ(code, 0) << sent.toStdString();
    QFile out(dir.filePath("simsend.out"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << sent.toStdString();
    // irsimsend writes "pulse N" and "space N" lines; between codes it sends the remote's gap.
    std::vector<std::vector<int>> trains(1);
    for (const QByteArray &line : out.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        const int us = parts[1].toInt();
        if (parts[0] == "space" && us >= 40000) {
            if (!trains.back().empty())
                trains.emplace_back();
            continue;
        }
        trains.back().push_back(us);
    }
    if (trains.back().empty())
        trains.pop_back();
    ASSERT_EQ(trains.size(), codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        std::vector<int> expected = codes[i].Code.DurationsUs;
        if (expected.size() % 2 == 0)
            expected.pop_back();
        EXPECT_EQ(trains[i], expected) << "code " << i;
    }

    const QString decoded = run(receive, {conf, dir.filePath("simsend.out")}, dir.path(), code);
    ASSERT_EQ(code, 0) << decoded.toStdString();
    QStringList names;
    for (const QString &line : decoded.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        if (parts.size() == 4)
            names << parts[2] + u' ' + parts[3];
    }
    EXPECT_EQ(names, (QStringList{"KEY_POWER living_room", QString::fromUtf8("电视_开关 living_room"),
                                  "KEY_MUTE living_room", "short living_room"}))
        << decoded.toStdString();
}

} // namespace
