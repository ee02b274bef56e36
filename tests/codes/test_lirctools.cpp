// lircd.conf files checked by LIRC's own tools. An exported file: irsimsend must read it and send
// every code with our durations, and irsimreceive must decode what was sent back to the codes'
// names. The remotes Debian ships: every button we import must be what irsimsend sends for it.
#include "core/formats/lirc.h"

#include "recordcompare.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>

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

// What irsimsend wrote: the keys it named on standard output, and its marks (positive) and spaces
// (negative) in one train; empty when it sent code values instead of timings.
struct TSimSent {
    QStringList Keys;
    std::vector<int> Train;
};

// keys: what to send in this order; all of the remote's keys when empty.
TSimSent simSend(const QString &send, const QByteArray &conf, const QStringList &keys, const QString &folder)
{
    const QString path = folder + "/remote.conf";
    const QString list = folder + "/keys.txt";
    QFile::remove(folder + "/simsend.out");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(conf) != conf.size())
        return {};
    f.close();
    QStringList args = {path};
    if (!keys.isEmpty()) {
        QFile l(list);
        if (!l.open(QIODevice::WriteOnly) || l.write((keys.join('\n') + '\n').toUtf8()) < 0)
            return {};
        args = QStringList{"-l", list, path};
    }
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(send, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    TSimSent sent;
    for (const QByteArray &key : p.readAllStandardOutput().split('\n'))
        if (!key.isEmpty())
            sent.Keys << QString::fromUtf8(key);
    QFile out(folder + "/simsend.out");
    if (!out.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : out.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        if (parts[0] == "pulse")
            sent.Train.push_back(parts[1].toInt());
        else if (parts[0] == "space")
            sent.Train.push_back(-parts[1].toInt());
    }
    return sent;
}

// irsimsend sends only the first remote of a file after sorting them, so each remote goes alone.
std::vector<QByteArray> remotesOf(const QByteArray &conf)
{
    std::vector<QByteArray> remotes;
    QByteArray current;
    bool inside = false;
    for (const QByteArray &line : conf.split('\n')) {
        const QByteArray t = line.simplified().toLower();
        inside = inside || t == "begin remote";
        if (inside)
            current += line + '\n';
        if (inside && t == "end remote") {
            remotes.push_back(current);
            current.clear();
            inside = false;
        }
    }
    return remotes;
}

// A code's marks and spaces as signed values, without its final space.
std::vector<int> signedFrame(const std::vector<int> &d)
{
    std::vector<int> frame;
    for (size_t i = 0; i < d.size(); ++i)
        frame.push_back(i % 2 == 0 ? d[i] : -d[i]);
    if (frame.size() % 2 == 0 && !frame.empty())
        frame.pop_back();
    return frame;
}

bool frameAt(const std::vector<int> &train, size_t at, const std::vector<int> &frame)
{
    return at + frame.size() <= train.size() && std::equal(frame.begin(), frame.end(), train.begin() + at);
}

struct TKeyCheck {
    bool Equal = false;
    bool GapEqual = false;
    QString Difference;
};

// Walks irsimsend's train key by key, each against the imported code of that name (the records in
// the file's order); after a key that does not fit, it goes on where the next one does.
std::vector<TKeyCheck> checkKeys(const TSimSent &sent, const TImport &in)
{
    std::vector<TKeyCheck> checks;
    size_t record = 0;
    size_t at = 0;
    bool lost = false;
    for (const QString &key : sent.Keys) {
        TKeyCheck &c = checks.emplace_back();
        const size_t n = in.Records.size();
        size_t skipped = 0;
        while (skipped < n && in.Records[(record + skipped) % n].Name != key)
            ++skipped;
        if (skipped == n) {
            c.Difference = "not imported: " + in.Refused.join("; ");
            lost = true;
            continue;
        }
        record = (record + skipped) % n;
        const std::vector<int> &d = in.Records[record++].Code.DurationsUs;
        const std::vector<int> frame = signedFrame(d);
        for (size_t p = at + 1; lost && p < sent.Train.size(); ++p) {
            if (sent.Train[p - 1] < 0 && frameAt(sent.Train, p, frame)) {
                at = p;
                lost = false;
            }
        }
        if (lost || !frameAt(sent.Train, at, frame)) {
            QString got;
            for (size_t i = at; i < std::min(sent.Train.size(), at + frame.size()); ++i)
                got += QString::number(sent.Train[i]) + ' ';
            QString ours;
            for (int v : frame)
                ours += QString::number(v) + ' ';
            c.Difference = "\n  ours:      " + ours + "\n  irsimsend: " + got;
            lost = true;
            continue;
        }
        c.Equal = true;
        at += frame.size();
        if (at < sent.Train.size() && sent.Train[at] < 0) {
            c.GapEqual = d.size() % 2 == 0 && -sent.Train[at] == d.back();
            ++at;
        }
    }
    return checks;
}

TEST(LircTools, EveryButtonOfDebiansRemotesIsWhatIrsimsendSends)
{
    const QString send = QStandardPaths::findExecutable("irsimsend");
    const QString root = "/usr/share/lirc/remotes";
    if (send.isEmpty() || !QFile::exists(root))
        GTEST_SKIP() << "LIRC's irsimsend or the remotes of Debian's lirc-compat-remotes are not installed "
                        "(Debian packages lirc and lirc-compat-remotes; ./build.sh installs them)";
    QTemporaryDir dir;
    QStringList files;
    for (QDirIterator it(root, {"lircd.conf*"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    files.sort();
    ASSERT_FALSE(files.isEmpty());

    int sentButtons = 0;
    int equal = 0;
    int equalGaps = 0;
    QStringList mismatches;
    for (const QString &path : files) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        for (const QByteArray &remote : remotesOf(f.readAll())) {
            const TSimSent sent = simSend(send, remote, {}, dir.path());
            if (sent.Train.empty())
                continue; // a remote of code values for receivers that decode themselves
            const TImport in = ImportLirc(remote);
            std::vector<TKeyCheck> checks = checkKeys(sent, in);
            // irsimsend flips a toggle bit before every key, so only every other key goes out as a
            // first press; the others are sent again behind one more key. (A list sends the first
            // of two keys of one name, so this is no way to send every key.)
            bool oddDiffer = false;
            for (size_t i = 1; i < checks.size(); i += 2)
                oddDiffer = oddDiffer || !checks[i].Equal;
            const QString filler = sent.Keys.last();
            if (oddDiffer && filler != sent.Keys.first()) {
                const TSimSent shifted = simSend(send, remote, QStringList{filler} + sent.Keys, dir.path());
                const std::vector<TKeyCheck> later = checkKeys(shifted, in);
                for (size_t i = 1; i < checks.size() && i + 1 < later.size(); i += 2) {
                    if (!checks[i].Equal)
                        checks[i] = later[i + 1];
                }
            }
            for (qsizetype i = 0; i < sent.Keys.size(); ++i) {
                ++sentButtons;
                equal += checks[i].Equal;
                equalGaps += checks[i].GapEqual;
                if (!checks[i].Equal)
                    mismatches << path.mid(root.size() + 1) + ": " + sent.Keys[i] + ' ' + checks[i].Difference;
            }
        }
    }
    std::cout << equal << " of " << sentButtons << " buttons as irsimsend sends them ("
              << (sentButtons ? 100.0 * equal / sentButtons : 0) << " %), " << equalGaps
              << " with its final gap too, over " << files.size() << " files\n";
    for (const QString &m : mismatches)
        std::cout << m.toStdString() << '\n';
    ASSERT_GT(sentButtons, 0);
    EXPECT_EQ(equal, sentButtons);
}

} // namespace
