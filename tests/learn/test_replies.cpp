// Reply processing in the window: the log lines of each kind, the channel store and the chart.
#include "windowfixture.h"

#include "core/hextext.h"
#include "core/ircode.h"
#include "core/protocols/protocols.h"

#include <QLineSeries>
#include <QRadioButton>
#include <QScrollBar>
#include <QValueAxis>

namespace {

const QString Example = "FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 16";
const QString TenData = "FF 0A 00 FD 38 38 38 38 38 38 38 38 38 38 16"; // 560 units, then the end mark

QString repeated(const QString &byte, int count)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << byte;
    return parts.join(u' ');
}

struct ReplyCase {
    const char *name;
    QString accumulated;
    QStringList lines;    // written to the log
    QString storedCode;   // in the selected channel afterwards, empty when none
};

const char *const ConfigDone = "红外模块IP地址设置完成，模块已经重启，设置生效......";

class ReplyTableTest : public LearnWindowTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReplyTableTest, LogsStoresAndEmptiesTheAccumulator)
{
    const ReplyCase &c = GetParam();
    testsupport::Click(form.Chart1->RadioButton3);
    form.AddLogLine("before");
    form.Timer4->start();
    process(c.accumulated);

    // A decoded code is named on the line after its total; what the name is, the protocols' own
    // tests say.
    QStringList lines = c.lines;
    if (!c.storedCode.isEmpty())
        lines << ProtocolLogLine(ReplyDurationsUs(HexTextToBytes(c.storedCode, THexParse::Strict)));
    EXPECT_EQ(logSince(1), lines);
    EXPECT_EQ(form.Chart1->ChannelCode(3), c.storedCode);
    EXPECT_EQ(form.Chart1->Series3->count() > 0, !c.storedCode.isEmpty());
    for (int other : {1, 2, 4})
        EXPECT_TRUE(form.Chart1->ChannelCode(other).isEmpty());
    EXPECT_TRUE(form.Edit4->text().isEmpty());
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_FALSE(form.Timer4->isActive()) << "a reply answers the keep-alive";
    EXPECT_TRUE(form.Timer3->isActive());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyTableTest,
    ::testing::Values(
        ReplyCase{"Example", Example, {"", u8("收到解码数据："), Example, "", u8("数据总长度：19毫秒")}, Example + " "},
        ReplyCase{"EmitDone", "FF 00 00 FD", {"", u8("完成红外发射......"), ""}, {}},
        ReplyCase{"ConfigDone", "FF 00 00 FC", {"", u8(ConfigDone), ""}, {}},
        ReplyCase{"ConfigDoneAnyLength", "FF 20 00 FC", {"", u8(ConfigDone), ""}, {}},
        ReplyCase{"Timeout", "FF 05 01 FD", {"", u8("红外解码超时......")}, {}},
        ReplyCase{"TimeoutWithoutEndMarkAtItsLength", "FF 05 01 FD " + repeated("38", 260) + " 17",
                  {"", u8("红外解码超时......")}, {}},
        ReplyCase{"LongCodeWithLowDigitBelowTen", "FF 05 01 FD " + repeated("38", 260) + " 16",
                  {"", u8("收到解码数据："), "FF 05 01 FD " + repeated("38", 260) + " 16", "", u8("数据总长度：145毫秒")},
                  "FF 05 01 FD " + repeated("38", 260) + " 16 "},
        ReplyCase{"ExtraBytesStoredAndDecoded", TenData + " 64",
                  {"", u8("收到解码数据："), TenData + " 64", "", u8("数据总长度：6毫秒")}, TenData + " 64 "},
        ReplyCase{"TruncatedPairAtTheEnd", TenData + " 05",
                  {"", u8("收到解码数据："), TenData + " 05", "", u8("数据总长度：5毫秒")}, TenData + " 05 "},
        ReplyCase{"TotalIsTruncated", "FF 0A 00 FD 05 00 4E 4E 4E 4E 4E 4E 4E 4E 16",
                  {"", u8("收到解码数据："), "FF 0A 00 FD 05 00 4E 4E 4E 4E 4E 4E 4E 4E 16", "", u8("数据总长度：18毫秒")},
                  "FF 0A 00 FD 05 00 4E 4E 4E 4E 4E 4E 4E 4E 16 "},
        ReplyCase{"LowerCaseNormalisedInStore", "ff 0a 00 fd 38 38 38 38 38 38 38 38 38 38 16",
                  {"", u8("收到解码数据："), "ff 0a 00 fd 38 38 38 38 38 38 38 38 38 38 16", "", u8("数据总长度：5毫秒")},
                  TenData + " "},
        ReplyCase{"EndMarkMissing", "FF 0C 00 FD 03 87 01 C3 38 38 AA 38 38 38 38 38 17", {}, {}},
        ReplyCase{"ShorterThanItsLength", "FF 0C 00 FD 03 87 01 C3 38", {}, {}},
        ReplyCase{"ThreeBytes", "FF 00 00", {}, {}},
        ReplyCase{"Empty", "", {}, {}},
        ReplyCase{"Clear", "43 4C 45 41 52", {}, {}}),
    [](const auto &info) { return info.param.name; });

TEST_F(LearnWindowTest, ATokenThatIsNotHexadecimalIsReportedAndTheTextKept)
{
    const int before = logLineCount();
    process("FF ZZ 00 FD");
    EXPECT_EQ(logSince(before), QStringList{u8("传输数据有误......")});
    EXPECT_EQ(form.Edit4->text(), "FF ZZ 00 FD");
    EXPECT_FALSE(form.Timer2->isActive());
}

TEST_F(LearnWindowTest, DecodedDataDrawsOnTheSelectedChannelAndGrowsTheAxis)
{
    testsupport::Click(form.Chart1->RadioButton2);
    process(Example);
    const QList<QPointF> points = form.Chart1->Series2->points();
    ASSERT_EQ(points.size(), 22);
    EXPECT_EQ(points.mid(0, 6), (QList<QPointF>{{0, 3}, {900, 3}, {900, 4}, {1350, 4}, {1350, 3}, {1406, 3}}));
    EXPECT_EQ(points.last(), QPointF(2434, 3));
    EXPECT_EQ(form.Chart1->BottomAxis->max(), 2412);

    // A second, shorter code replaces the first and leaves the axis.
    process(TenData);
    EXPECT_EQ(form.Chart1->ChannelCode(2), TenData + " ");
    EXPECT_EQ(form.Chart1->Series2->count(), 22);
    EXPECT_EQ(form.Chart1->Series2->points().last().x(), 560 + 522);
    EXPECT_EQ(form.Chart1->BottomAxis->max(), 2412);
}

TEST_F(LearnWindowTest, DecodedDataScrollsTheLogToItsEnd)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < 200; ++i)
        form.AddLogLine(QString::number(i));
    QScrollBar *bar = form.Memo1->verticalScrollBar();
    bar->setValue(0);
    process(Example);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Other lines keep a log that is read at its end at its end, and leave one scrolled back.
    form.AddLogLine("more");
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0);
    form.AddLogLine("more");
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(LearnWindowTest, TheLogKeepsItsLastLinesAndKeepsFollowingItsEnd)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    constexpr int limit = TForm1::LogLineLimit;
    for (int i = 0; i < limit + 250; ++i)
        form.AddLogLine(QString::number(i));
    QStringList lines = logLines();
    ASSERT_EQ(lines.size(), limit);
    EXPECT_EQ(lines.first(), "250");
    EXPECT_EQ(lines.last(), QString::number(limit + 249));
    EXPECT_TRUE(form.Memo1->toPlainText().endsWith(u'\n'));
    QScrollBar *bar = form.Memo1->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());

    // A decoded reply at the bound: its lines, the empty ones and the one that starts with a line
    // break included, are the newest ones, whole.
    process(Example);
    lines = logLines();
    ASSERT_EQ(lines.size(), limit);
    EXPECT_EQ(lines.mid(limit - 6), (QStringList{"", u8("收到解码数据："), Example, "", u8("数据总长度：19毫秒"),
                                                 ProtocolLogLine(ReplyDurationsUs(HexTextToBytes(Example, THexParse::Strict)))}));
    EXPECT_EQ(lines.first(), "256");
    EXPECT_EQ(bar->value(), bar->maximum());

    // A log scrolled back stays scrolled back while old lines go.
    bar->setValue(bar->maximum() / 2);
    const int scrolledTo = bar->value();
    for (int i = 0; i < 100; ++i)
        form.AddLogLine("more");
    EXPECT_LT(bar->value(), bar->maximum());
    EXPECT_LE(bar->value(), scrolledTo);
}

TEST_F(LearnWindowTest, StatusRefreshPutsTheLevelAxisBack)
{
    form.Chart1->LeftAxis->setRange(2, 5);
    form.Timer1Timer();
    EXPECT_EQ(form.Chart1->LeftAxis->min(), 0);
    EXPECT_EQ(form.Chart1->LeftAxis->max(), 9);
}

} // namespace
