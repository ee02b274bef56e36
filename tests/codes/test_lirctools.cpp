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
            c.Difference = "not imported: " + RefusalsText(in.Refused).replace('\n', "; ");
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

// Every key irsimsend sends of one remote, each against what we import for it. Empty when irsimsend
// sent code values instead of timings (remotes for receivers that decode themselves).
std::vector<TKeyCheck> checkRemote(const QString &send, const QByteArray &remote, const QString &folder,
                                   QStringList &keys)
{
    const TSimSent sent = simSend(send, remote, {}, folder);
    keys = sent.Keys;
    if (sent.Train.empty() || sent.Keys.isEmpty())
        return {};
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
        const TSimSent shifted = simSend(send, remote, QStringList{filler} + sent.Keys, folder);
        const std::vector<TKeyCheck> later = checkKeys(shifted, in);
        for (size_t i = 1; i < checks.size() && i + 1 < later.size(); i += 2) {
            if (!checks[i].Equal)
                checks[i] = later[i + 1];
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
            QStringList keys;
            const std::vector<TKeyCheck> checks = checkRemote(send, remote, dir.path(), keys);
            for (size_t i = 0; i < checks.size(); ++i) {
                ++sentButtons;
                equal += checks[i].Equal;
                equalGaps += checks[i].GapEqual;
                if (!checks[i].Equal)
                    mismatches << path.mid(root.size() + 1) + ": " + keys[i] + ' ' + checks[i].Difference;
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

// The flags and parameters that Debian's remotes leave out, each in a remote of its own.
struct TFlagCase {
    const char *name;
    const char *params;
};

class LircFlagTest : public ::testing::TestWithParam<TFlagCase> {};

TEST_P(LircFlagTest, EveryButtonIsWhatIrsimsendSends)
{
    const QString send = QStandardPaths::findExecutable("irsimsend");
    if (send.isEmpty())
        GTEST_SKIP() << "LIRC's irsimsend is not installed (Debian package lirc; ./build.sh installs it)";
    const QByteArray remote = QByteArray("begin remote\n  name ") + GetParam().name + "\n" + GetParam().params
                              + "  begin codes\n    A 0x01\n    B 0x02\n    C 0x80\n    D 0xFF\n    E 0x5A\n"
                              + "  end codes\nend remote\n";
    const TImport in = ImportLirc(remote);
    ASSERT_EQ(in.Records.size(), 5u) << in.Error.toStdString() << RefusalsText(in.Refused).toStdString();
    QTemporaryDir dir;
    QStringList keys;
    const std::vector<TKeyCheck> checks = checkRemote(send, remote, dir.path(), keys);
    ASSERT_EQ(checks.size(), 5u);
    for (size_t i = 0; i < checks.size(); ++i) {
        EXPECT_TRUE(checks[i].Equal) << keys[i].toStdString() << checks[i].Difference.toStdString();
        EXPECT_TRUE(checks[i].GapEqual) << keys[i].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    LircTools, LircFlagTest,
    ::testing::Values(
        TFlagCase{"SpaceFirst", "  bits 8\n  flags SPACE_FIRST\n  header 9000 4500\n  one 500 1500\n  zero 500 500\n"
                                "  ptrail 500\n  gap 50000\n"},
        TFlagCase{"NoHeadRepCountsNoHeaderInTheLength",
                  "  bits 8\n  flags SPACE_ENC|CONST_LENGTH|NO_HEAD_REP\n  header 9000 4500\n  one 560 1690\n"
                  "  zero 560 560\n  ptrail 560\n  gap 108000\n  repeat 9000 2250\n"},
        TFlagCase{"FootAndRepeatOnlyFlags",
                  "  bits 8\n  flags SPACE_ENC|NO_FOOT_REP|REPEAT_HEADER\n  header 9000 4500\n  one 560 1690\n"
                  "  zero 560 560\n  ptrail 560\n  foot 3000 600\n  repeat 560 2250\n  repeat_gap 90000\n"
                  "  min_repeat 2\n  gap 40000\n"},
        TFlagCase{"SeveralToggleBitsAndAToggleMask",
                  "  bits 8\n  flags SPACE_ENC|CONST_LENGTH\n  one 500 1500\n  zero 500 500\n  ptrail 500\n"
                  "  toggle_bit_mask 0x81\n  toggle_mask 0x2\n  gap 100000\n"},
        TFlagCase{"TwoGapsWaitTheShorter",
                  "  bits 8\n  flags SPACE_ENC|CONST_LENGTH\n  one 500 1500\n  zero 500 500\n  ptrail 500\n"
                  "  gap 50000 45000\n"},
        TFlagCase{"OldRc6WithoutMask",
                  "  bits 8\n  flags RC6|CONST_LENGTH\n  header 2666 889\n  one 444 444\n  zero 444 444\n"
                  "  pre_data_bits 5\n  pre_data 0x1C\n  toggle_bit 5\n  gap 105000\n"},
        TFlagCase{"Rc6MaskMakesAnyEncodingBiphase",
                  "  bits 8\n  flags SPACE_FIRST\n  one 400 400\n  zero 400 400\n  rc6_mask 0x10\n  plead 2000\n"
                  "  gap 60000\n"},
        TFlagCase{"ReverseWithPreAndPost",
                  "  bits 8\n  flags SPACE_ENC|REVERSE\n  plead 1000\n  one 300 900\n  zero 300 300\n"
                  "  pre_data_bits 8\n  pre_data 0x12\n  pre 300 3000\n  post_data_bits 4\n  post_data 0x5\n"
                  "  post 400 4000\n  ptrail 300\n  gap 70000\n"},
        TFlagCase{"ShiftEncWithLeadAndToggleBit",
                  "  bits 8\n  flags SHIFT_ENC|CONST_LENGTH\n  plead 889\n  one 889 889\n  zero 889 889\n"
                  "  pre_data_bits 5\n  pre_data 0x15\n  toggle_bit 2\n  gap 113792\n"},
        TFlagCase{"OctalAndHexTimings",
                  "  bits 8\n  flags SPACE_ENC\n  header 0x2328 010624\n  one 01060 03232\n  zero 0x230 0x230\n"
                  "  ptrail 560\n  gap 0xA000\n"}),
    [](const auto &info) { return info.param.name; });

} // namespace
