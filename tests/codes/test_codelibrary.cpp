// The library file: what it keeps, how it refuses bad files, and that saving never loses the old
// file.
#include "core/codelibrary.h"
#include "core/moduleframe.h"

#include "recordcompare.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

const QByteArray LearnedReply = QByteArray::fromHex("FF0C00FD038701C33838AA3838383838" "16");

TCodeRecord learned()
{
    TCodeRecord r;
    r.Name = QString::fromUtf8("电视 开关");
    r.Remote = QString::fromUtf8("客厅电视");
    r.Notes = QString::fromUtf8("第一行\n第二行 \\ 反斜杠");
    r.Protocol = QString::fromUtf8("NEC 0x04/0x08");
    r.Code = CodeFromReply(LearnedReply);
    return r;
}

QString randomText(std::mt19937 &rng, bool allowEmpty)
{
    static const QString alphabet = QString::fromUtf8("abcXYZ 09_-#:\\\n\r红外遥控器开关é");
    const int n = std::uniform_int_distribution<int>(allowEmpty ? 0 : 1, 12)(rng);
    QString s;
    for (int i = 0; i < n; ++i)
        s += alphabet[std::uniform_int_distribution<int>(0, static_cast<int>(alphabet.size()) - 1)(rng)];
    // Names, remotes and protocols are single trimmed lines; notes may span lines.
    return s;
}

TEST(CodeLibrary, KeepsEveryFieldOfRandomRecords)
{
    const unsigned seed = 1210;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        std::vector<TCodeRecord> records;
        const int count = std::uniform_int_distribution<int>(0, 6)(rng);
        for (int i = 0; i < count; ++i) {
            TCodeRecord r;
            r.Name = randomText(rng, false).simplified().replace(u'\\', u'/');
            if (r.Name.isEmpty())
                r.Name = "x";
            r.Remote = randomText(rng, true).simplified();
            r.Notes = randomText(rng, true);
            r.Protocol = randomText(rng, true).simplified();
            const int n = std::uniform_int_distribution<int>(1, 60)(rng);
            for (int k = 0; k < n; ++k)
                r.Code.DurationsUs.push_back(std::uniform_int_distribution<int>(1, 200000)(rng));
            r.Code.CarrierHz = std::uniform_int_distribution<int>(0, 1)(rng) ? 0 : std::uniform_int_distribution<int>(30000, 60000)(rng);
            records.push_back(r);
        }
        const TLibraryRead back = ParseCodeLibrary(FormatCodeLibrary(records));
        ASSERT_TRUE(back.Ok()) << back.Error.toStdString() << "\n" << FormatCodeLibrary(records).toStdString();
        ASSERT_EQ(back.Records, records) << "round " << round;
    }
}

// A lone carriage return ends a line for the reader, so one inside a value is written escaped.
TEST(CodeLibrary, CarriageReturnsInsideValuesStay)
{
    TCodeRecord r = learned();
    r.Name = "a\rb";
    r.Remote = "\r";
    r.Notes = "line\r\nnext\r";
    const QByteArray text = FormatCodeLibrary({r});
    EXPECT_FALSE(text.contains('\r'));
    const TLibraryRead back = ParseCodeLibrary(text);
    ASSERT_TRUE(back.Ok()) << back.Error.toStdString();
    ASSERT_EQ(back.Records.size(), 1u);
    EXPECT_EQ(back.Records[0], r);
}

TEST(CodeLibrary, LearnedCodeKeepsItsReplyByteForByte)
{
    const QByteArray text = FormatCodeLibrary({learned()});
    EXPECT_TRUE(text.contains("timings: 9000 -4500 560 -560 1700 -560 560 -560 560 -560\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("reply: FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16\n"));
    const TLibraryRead back = ParseCodeLibrary(text);
    ASSERT_TRUE(back.Ok()) << back.Error.toStdString();
    ASSERT_EQ(back.Records.size(), 1u);
    EXPECT_EQ(back.Records[0], learned());
}

struct LibraryBadCase {
    const char *name;
    QByteArray text;
    int line;
    const char *mentions;
};

class BadLibraryTest : public ::testing::TestWithParam<LibraryBadCase> {};

TEST_P(BadLibraryTest, NamesTheLineAndGivesNoRecords)
{
    const TLibraryRead r = ParseCodeLibrary(GetParam().text);
    ASSERT_FALSE(r.Ok());
    EXPECT_TRUE(r.Records.empty());
    EXPECT_EQ(ErrorLine(r.Error), GetParam().line) << r.Error.toStdString();
    EXPECT_TRUE(r.Error.contains(QString::fromUtf8(GetParam().mentions))) << r.Error.toStdString();
}

const QByteArray Head = "irtool-codes 1\n\ncode: a\ntimings: 100 -200 300\n\n";

INSTANTIATE_TEST_SUITE_P(
    Files, BadLibraryTest,
    ::testing::Values(
        LibraryBadCase{"OtherFile", "Filetype: IR signals file\n", 1, "不是编码库文件"},
        LibraryBadCase{"FieldBeforeCode", "irtool-codes 1\ntimings: 1 -2\n", 2, "code:"},
        LibraryBadCase{"UnknownField", Head + "code: b\ncolour: red\ntimings: 5\n", 7, "colour"},
        LibraryBadCase{"NoColon", Head + "code: b\ntimings 5 -5\n", 7, "timings 5 -5"},
        LibraryBadCase{"SpaceWithoutSign", Head + "code: b\ntimings: 900 450\n", 7, "负数"},
        LibraryBadCase{"StartsWithSpace", Head + "code: b\ntimings: -900 450\n", 7, "正数"},
        LibraryBadCase{"NotANumber", Head + "code: b\ntimings: 900 -4x0\n", 7, "4x0"},
        LibraryBadCase{"AbsurdDuration", Head + "code: b\ntimings: 99999999999\n", 7, "99999999999"},
        LibraryBadCase{"TwentyDigits", Head + "code: b\ntimings: 5 -99999999999999999999\n", 7, "99999999999999999999"},
        LibraryBadCase{"ZeroSpace", Head + "code: b\ntimings: 560 0 560\n", 7, "为 0 微秒"},
        LibraryBadCase{"NegativeZeroSpace", Head + "code: b\ntimings: 560 -0 560\n", 7, "为 0 微秒"},
        LibraryBadCase{"ZeroMark", Head + "code: b\ntimings: 0 -560 560\n", 7, "为 0 微秒"},
        LibraryBadCase{"SignWithoutDigits", Head + "code: b\ntimings: 5 - 5\n", 7, "“-”"},
        LibraryBadCase{"MissingTimingsAtEnd", Head + "code: b\nremote: tv\n", 6, "timings"},
        LibraryBadCase{"MissingTimingsBeforeNext", Head + "code: b\n\ncode: c\ntimings: 5\n", 6, "timings"},
        LibraryBadCase{"TwiceTheSameField", Head + "code: b\ntimings: 5\ntimings: 6\n", 8, "两次"},
        LibraryBadCase{"AbsurdCarrier", Head + "code: b\ncarrier: 7\ntimings: 5\n", 7, "载波"},
        LibraryBadCase{"BadEscape", Head + "code: b\\t\ntimings: 5\n", 6, "反斜杠"},
        LibraryBadCase{"ReplyNotHex", Head + "code: b\ntimings: 5\nreply: FF 0G\n", 8, "0G"},
        LibraryBadCase{"ReplyOverTheFrameLimit", Head + "code: b\ntimings: 5\nreply: " + QByteArray("00 ").repeated(1001) + "\n", 8, "1000"},
        LibraryBadCase{"ReplyDisagreesWithTimings",
                Head + "code: b\ntimings: 9000 -4500\nreply: FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16\n", 8,
                "不一致"},
        LibraryBadCase{"EmptyName", Head + "code:\ntimings: 5\n", 6, "名称为空"},
        LibraryBadCase{"Binary", QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0", 10), 1, "不是编码库文件"}),
    [](const auto &info) { return info.param.name; });

TEST(CodeLibrary, TenMegabytesOfGarbageAfterAGoodRecordAreRefusedAtTheirFirstLine)
{
    std::mt19937 rng(7);
    QByteArray garbage(10 * 1024 * 1024, '\0');
    for (char &c : garbage)
        c = static_cast<char>(rng());
    const TLibraryRead r = ParseCodeLibrary(Head + garbage);
    ASSERT_FALSE(r.Ok());
    EXPECT_TRUE(r.Records.empty());
    EXPECT_EQ(ErrorLine(r.Error), 6) << r.Error.left(200).toStdString();
    EXPECT_LT(r.Error.size(), 200);
}

class LibraryFileTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("lib/codes.txt"); }
    QByteArray contents() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesBeside() const { return QDir(dir.filePath("lib")).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
};

TEST_F(LibraryFileTest, SavedLibraryLoadsAgain)
{
    const std::vector<TCodeRecord> records = {learned(), Record("b", {100, 200, 300}, 38000)};
    ASSERT_EQ(SaveCodeLibrary(path(), records), QString());
    const TLibraryRead back = LoadCodeLibrary(path());
    ASSERT_TRUE(back.Ok()) << back.Error.toStdString();
    EXPECT_EQ(back.Records, records);
    EXPECT_EQ(filesBeside(), QStringList{"codes.txt"});
}

TEST_F(LibraryFileTest, RecordsTheReaderWouldRefuseAreNotSaved)
{
    ASSERT_EQ(SaveCodeLibrary(path(), {learned()}), QString());
    const QByteArray before = contents();
    for (const TCodeRecord &bad : {Record(" ", {100}), Record("no timings", {})}) {
        EXPECT_FALSE(SaveCodeLibrary(path(), {learned(), bad}).isEmpty());
        EXPECT_EQ(contents(), before);
    }
}

TEST_F(LibraryFileTest, MissingFileIsAnEmptyLibrary)
{
    const TLibraryRead r = LoadCodeLibrary(path());
    EXPECT_TRUE(r.Ok());
    EXPECT_TRUE(r.Missing);
    EXPECT_TRUE(r.Records.empty());
}

TEST_F(LibraryFileTest, BadFileErrorNamesTheFileAndLine)
{
    QDir().mkpath(dir.filePath("lib"));
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Head + "code: b\n");
    f.close();
    const TLibraryRead r = LoadCodeLibrary(path());
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.Error.contains(path()));
    EXPECT_EQ(ErrorLine(r.Error), 6);
}

TEST_F(LibraryFileTest, SaveWhereNoFolderCanBeMadeIsReported)
{
    QFile blocker(dir.filePath("lib"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const QString error = SaveCodeLibrary(path(), {learned()});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(dir.filePath("lib")));
}

// A full disk is played by a file size limit: writes beyond it fail as on a full disk.
TEST_F(LibraryFileTest, FailedWriteKeepsTheOldFileWhole)
{
    const std::vector<TCodeRecord> old = {learned()};
    ASSERT_EQ(SaveCodeLibrary(path(), old), QString());
    const QByteArray before = contents();

    std::vector<TCodeRecord> bigger = old;
    for (int i = 0; i < 200; ++i)
        bigger.push_back(Record("big", std::vector<int>(100, 12345)));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(before.size() + 100);
    setrlimit(RLIMIT_FSIZE, &small);
    const QString error = SaveCodeLibrary(path(), bigger);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QString::fromUtf8("原文件未改动"))) << error.toStdString();
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(filesBeside(), QStringList{"codes.txt"});
}

TEST(CodeLibrary, DefaultPathFollowsXdgDataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/xdg-data");
    EXPECT_EQ(DefaultCodeLibraryPath(), "/tmp/xdg-data/irtool/codes.txt");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DefaultCodeLibraryPath(), QDir::homePath() + "/.local/share/irtool/codes.txt");
    qputenv("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(DefaultCodeLibraryPath(), QDir::homePath() + "/.local/share/irtool/codes.txt");
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

TEST(CodeLibrary, PutReplacesTheSameNameOnTheSameRemoteOnly)
{
    std::vector<TCodeRecord> records = {Record("a", {1}), Record("b", {2})};
    TCodeRecord other = Record("a", {3});
    other.Remote = "tv";
    EXPECT_EQ(PutRecord(records, other), 2u);
    EXPECT_EQ(PutRecord(records, Record("b", {4})), 1u);
    EXPECT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].Code.DurationsUs, std::vector<int>{4});
}

} // namespace
