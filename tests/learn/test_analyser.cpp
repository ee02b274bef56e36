// The menu "分析" as a user drives it: compare learned codes, export the chart, copy timings; and
// the protocol a learned code is named by, in the log and on its channel row.
#include "windowfixture.h"

#include "app/analysermenu.h"
#include "core/hextext.h"
#include "core/protocols/protocols.h"
#include "support/accessibletree.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFileDialog>

#include "support/filedialog.h"
#include <QGuiApplication>
#include <QImage>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QToolButton>
#include <QValueAxis>

#include <algorithm>

namespace {

// A decoded-data reply as a module sends it: durations in 10 µs units, one byte from 22 to 255,
// else a high digit below 22 and a low byte; then the end mark.
QString moduleReply(const std::vector<int> &durationsUs)
{
    QByteArray data;
    for (int us : durationsUs) {
        const int units = us / 10;
        if (units >= 22 && units <= 255) {
            data.append(char(units));
        } else {
            data.append(char(units / 255));
            data.append(char(units % 255));
        }
    }
    QByteArray reply;
    reply.append(char(0xFF)).append(char(data.size() % 255)).append(char(data.size() / 255)).append(char(0xFD));
    reply.append(data).append(char(0x16));
    return BytesToHexText(reply).trimmed();
}

std::vector<int> nec(uint32_t command, int stretchUs = 0)
{
    TProtocolCode code;
    code.Protocol = "NEC";
    code.Address = 0x04;
    code.Command = command;
    std::vector<int> d = EncodeCode(code).value().DurationsUs;
    for (size_t i = 0; i < d.size(); ++i)
        d[i] += i % 2 == 0 ? stretchUs : -stretchUs;
    return d;
}

class AnalyserTest : public LearnWindowTest {
protected:
    AnalyserTest()
    {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    void learnInto(int channel, const std::vector<int> &durationsUs)
    {
        form.Chart1->RadioButton(channel)->click();
        process(moduleReply(durationsUs));
        ASSERT_FALSE(form.Chart1->ChannelCode(channel).isEmpty());
    }

    // Opens "分析" on the menu bar and clicks the item, as a user does.
    void choose(QAction *item)
    {
        QMenu *menu = form.Analyser->AnalyseMenu;
        QMenuBar *bar = form.menuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }

    // Answers the save dialog with the path; a dialog still open when patience runs out is
    // rejected, so that the test fails instead of hanging.
    void answerSaveDialog(const QString &path)
    {
        auto *timer = new QTimer(&form);
        const QDeadlineTimer deadline(Patience);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, path, deadline] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (dialog) {
                testsupport::TypeFileName(dialog, path);
            } else if (!deadline.hasExpired()) {
                return;
            } else if (QWidget *other = QApplication::activeModalWidget()) {
                other->close();
            }
            timer->deleteLater();
        });
        timer->start();
    }

    QString lastLine() const { return logLines().isEmpty() ? QString() : logLines().last(); }
};

TEST_F(AnalyserTest, TheMenuAndItsItemsAreFoundByRoleAndName)
{
    const QList<testsupport::TAccessibleNode> tree = testsupport::AccessibleTree(&form);
    for (QAction *item : {form.Analyser->AnalyseMenu->menuAction(), form.Analyser->CompareItem,
                          form.Analyser->ExportPngItem, form.Analyser->ExportSvgItem, form.Analyser->CopyTimingsItem}) {
        const QString name = QString(item->text()).remove(u'&');
        EXPECT_TRUE(std::any_of(tree.begin(), tree.end(), [&](const testsupport::TAccessibleNode &n) {
            return n.Role == QAccessible::MenuItem && n.Name == name;
        })) << name.toStdString();
    }
}

TEST_F(AnalyserTest, ALearnedCodeIsNamedInTheLogAndOnItsRow)
{
    learnInto(2, nec(0x08, 60));
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith(u8("数据总长度：")));
    EXPECT_EQ(lines.last(), u8("协议：NEC  地址 0x04  命令 0x08"));
    EXPECT_EQ(form.Chart1->RadioButton2->toolTip(), "NEC 0x04/0x08");
    EXPECT_EQ(form.Chart1->RadioButton2->accessibleDescription(), "NEC 0x04/0x08");
    EXPECT_EQ(form.Chart1->Button5->accessibleDescription(), "NEC 0x04/0x08");

    // An unnamed code leaves no hint behind; clearing the channel removes one.
    learnInto(3, {3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000});
    EXPECT_EQ(lastLine(), u8("协议：未识别（6 个脉冲）"));
    EXPECT_TRUE(form.Chart1->RadioButton3->toolTip().isEmpty());
    QTest::mouseClick(form.Chart1->Image8, Qt::LeftButton);
    EXPECT_TRUE(form.Chart1->RadioButton2->toolTip().isEmpty());
    EXPECT_TRUE(form.Chart1->RadioButton2->accessibleDescription().isEmpty());
}

TEST_F(AnalyserTest, CompareNeedsTwoCodes)
{
    learnInto(1, nec(0x08));
    const int before = logLineCount();
    choose(form.Analyser->CompareItem);
    EXPECT_EQ(logSince(before), (QStringList{"", u8("比较需要至少两个通道的红外数据......")}));
}

TEST_F(AnalyserTest, TwoCapturesOfOneButtonAreTheSameAndNothingIsMarked)
{
    learnInto(1, nec(0x08, 40));
    learnInto(4, nec(0x08, -30));
    const int before = logLineCount();
    choose(form.Analyser->CompareItem);
    const QStringList lines = logSince(before);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], u8("比较红外数据：1 通道、4 通道"));
    EXPECT_EQ(lines[2], u8("解码数据相同......"));
    EXPECT_EQ(lines[3], u8("最大时长偏差：70微秒（0.8%），第 1 个时长"));
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(form.Chart1->Marks(c)->count(), 0);
}

TEST_F(AnalyserTest, DifferentButtonsAreDifferentAndTheirDifferingDurationsAreMarked)
{
    learnInto(1, nec(0x08));
    learnInto(2, nec(0x08, 20));
    learnInto(3, nec(0x0A));
    choose(form.Analyser->CompareItem);
    EXPECT_TRUE(logLines().contains(u8("解码数据不同......")));
    // 0x08 and 0x0A differ in one command bit and its inverse: two spaces.
    EXPECT_TRUE(logLines().contains(u8("超出容差（25%，至少100微秒）的时长：2 个")));
    for (int c = 1; c <= 3; ++c) {
        ASSERT_EQ(form.Chart1->Marks(c)->count(), 2) << c;
        // Each mark sits on the trace, between the two points of a space (the upper level).
        for (const QPointF &m : form.Chart1->Marks(c)->points())
            EXPECT_EQ(m.y(), 2.0 * c) << c;
    }
    EXPECT_EQ(form.Chart1->Marks(4)->count(), 0);

    // Learning again into a marked channel takes its marks away.
    learnInto(3, nec(0x08));
    EXPECT_EQ(form.Chart1->Marks(3)->count(), 0);
}

TEST_F(AnalyserTest, CopyPutsTheSelectedChannelsMicrosecondsOnTheClipboard)
{
    const std::vector<int> second = {9000, 4500, 560, 1690, 560, 560, 560, 1690, 560, 560, 560, 40000, 9000, 2250, 560};
    learnInto(2, second);
    learnInto(1, nec(0x08));
    form.Chart1->RadioButton2->click();
    choose(form.Analyser->CopyTimingsItem);
    const QString copied = "9000 4500 560 1690 560 560 560 1690 560 560 560 40000 9000 2250 560";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
    EXPECT_EQ(lastLine(), u8("已复制 2 通道的时长到剪贴板：15 个，单位微秒......"));

    form.Chart1->RadioButton4->click();
    choose(form.Analyser->CopyTimingsItem);
    EXPECT_EQ(lastLine(), u8("没有红外数据......"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
}

int countPixels(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

TEST_F(AnalyserTest, ThePngShowsTheChartWithItsTracesAndMarks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    learnInto(2, nec(0x08));
    learnInto(4, nec(0x0A));
    choose(form.Analyser->CompareItem);
    const QString path = dir.filePath(u8("波形图.png"));
    answerSaveDialog(path);
    choose(form.Analyser->ExportPngItem);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(path); }));
    EXPECT_EQ(lastLine(), u8("波形图已导出：%1......").arg(path));

    const QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), form.Chart1->size() * form.Chart1->devicePixelRatioF());
    EXPECT_GT(countPixels(image, qRgb(0, 0, 255)), 100) << "channel 2's trace";
    EXPECT_GT(countPixels(image, qRgb(255, 140, 0)), 20) << "the comparison's marks";
}

TEST_F(AnalyserTest, TheSvgIsADrawingOfTheChartWithItsRows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    learnInto(1, nec(0x08));
    // Zoomed in, most of the trace lies beyond the plot's right edge.
    form.Chart1->BottomAxis->setRange(0, 2000);
    const QList<QPointF> trace = form.Chart1->Series1->points();
    const QString path = dir.filePath("chart");
    answerSaveDialog(path);
    choose(form.Analyser->ExportSvgItem);
    const QString written = path + ".svg";
    ASSERT_TRUE(waitFor([&] { return QFile::exists(written); })) << "the suffix is added";

    QSvgRenderer svg(written);
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox(), QRect(QPoint(0, 0), form.Chart1->size()));
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(u8("万能学习型红外遥控器波形图"))) << "the title as text";

    // Drawn again, the rows stand where they stand on the screen, and the trace stays inside
    // the plot although the drawing cannot clip.
    QImage drawn(form.Chart1->size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    svg.render(&painter);
    painter.end();
    const QRgb background = qRgb(192, 220, 192);
    for (int c = 1; c <= 4; ++c) {
        QWidget *radio = form.Chart1->RadioButton(c);
        const QImage at = drawn.copy(QRect(radio->mapTo(form.Chart1, QPoint(0, 0)), radio->size()));
        EXPECT_GT(at.width() * at.height() - countPixels(at, background), 50) << c;
    }
    const int plotRight = qRound(form.Chart1->chart()->plotArea().right());
    const int rowsLeft = form.Chart1->RadioButton1->mapTo(form.Chart1, QPoint(0, 0)).x();
    ASSERT_GT(rowsLeft - plotRight, 3);
    EXPECT_EQ(countPixels(drawn.copy(plotRight + 2, 0, rowsLeft - plotRight - 3, drawn.height()), qRgb(255, 0, 0)), 0)
        << "channel 1's trace stops at the plot's edge";
    EXPECT_EQ(form.Chart1->Series1->points(), trace) << "the trace is whole again after the export";
}

TEST_F(AnalyserTest, AFailedExportIsReportedAndLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (auto kind : {TAnalyserMenu::pkPng, TAnalyserMenu::pkSvg}) {
        const QString path = dir.filePath("missing/chart.png");
        form.Analyser->ExportChart(path, kind);
        EXPECT_TRUE(lastLine().startsWith(u8("波形图导出失败：%1（").arg(path))) << lastLine().toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST_F(AnalyserTest, CancellingTheDialogExportsNothing)
{
    auto *timer = new QTimer(&form);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (QWidget *dialog = QApplication::activeModalWidget()) {
            dialog->close();
            timer->deleteLater();
        }
    });
    timer->start();
    const int before = logLineCount();
    choose(form.Analyser->ExportPngItem);
    ASSERT_TRUE(waitFor([&] { return QApplication::activeModalWidget() == nullptr; }));
    EXPECT_EQ(logLineCount(), before);
}

} // namespace
