// The window's code library and file exchange, driven through its menus and dialogs.
#include "codeswindowfixture.h"

#include "core/formats/codeformats.h"
#include "core/formats/lirc.h"
#include "core/hextext.h"
#include "core/moduleframe.h"
#include "platform/qt/socketlink.h"

#include <QContextMenuEvent>
#include <QMenuBar>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QValueAxis>

namespace {

QList<QPointF> points(TForm1 &f, int channel)
{
    return f.Chart1->Series(channel)->points();
}

TEST_F(CodesWindowTest, MenuAndEveryChannelControlOfferTheLibrary)
{
    const QStringList expected = {u8("保存到编码库…"), u8("从编码库载入…"), u8("导入…"), u8("导出…")};
    QStringList menu;
    for (QAction *a : form->Codes->Menu->actions())
        if (!a->isSeparator())
            menu << a->text();
    EXPECT_EQ(menu.mid(0, 4), expected);
    EXPECT_TRUE(form->menuBar()->actions().contains(form->Codes->Menu->menuAction()));
    EXPECT_EQ(form->Codes->Menu->title(), u8("编码"));

    form->show();
    for (int c = 1; c <= 4; ++c) {
        for (QWidget *control : {static_cast<QWidget *>(form->Chart1->RadioButton(c)),
                                 static_cast<QWidget *>(form->Chart1->EmitButton(c))}) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(control, &event);
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, Patience));
            auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            ASSERT_EQ(popup, form->Codes->ChannelMenu(c));
            QStringList texts;
            for (QAction *a : popup->actions())
                texts << a->text();
            EXPECT_EQ(texts, expected);
            popup->close();
        }
    }
}

// A code loaded from the library is drawn, stored and logged as the same code learned is.
TEST_F(CodesWindowTest, LoadedCodeFillsTheChannelAsALearnedOneDoes)
{
    TCodeRecord r;
    r.Name = "power";
    r.Code = CodeFromReply(Reply);
    ASSERT_EQ(SaveCodeLibrary(libraryPath(), {r}), QString());

    TForm1 learned;
    learned.Chart1->RadioButton2->click();
    learned.Edit4->setText(BytesToHexText(Reply).trimmed());
    learned.Timer2Timer();

    auto pick = pickRows({0});
    channelAction(2, "从编码库载入…");
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Chart1->ChannelCode(2).isEmpty(); }, Patience));

    EXPECT_EQ(form->Chart1->ChannelCode(2), learned.Chart1->ChannelCode(2));
    EXPECT_EQ(points(*form, 2), points(learned, 2));
    EXPECT_EQ(form->Chart1->LargestTotal(), learned.Chart1->LargestTotal());
    EXPECT_EQ(form->Chart1->BottomAxis->max(), learned.Chart1->BottomAxis->max());
    QStringList expectedLog = learned.Memo1->toPlainText().split(u'\n');
    expectedLog.replaceInStrings(u8("收到解码数据："), u8("载入："));
    EXPECT_EQ(form->Memo1->toPlainText().split(u'\n'), expectedLog);
}

TEST_F(CodesWindowTest, ImportedSignalFileGoesToTheLibraryAndOnePickedCodeToTheChannel)
{
    const QString file = writeFile("remote.ir", "Filetype: IR signals file\nVersion: 1\n#\nname: Power\ntype: raw\n"
                                                "frequency: 38000\nduty_cycle: 0.33\ndata: 9000 4500 560 560 560\n"
                                                "#\nname: Vol\ntype: parsed\nprotocol: Unknown42\naddress: 07 00 00 00\n"
                                                "command: 02 00 00 00\n");
    auto chooser = chooseFile(file);
    auto pick = pickRows({0});
    channelAction(3, "导入…");
    ASSERT_TRUE(waitAnswered(chooser->Answered));
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Chart1->ChannelCode(3).isEmpty(); }, Patience));

    TIrCode expected;
    expected.DurationsUs = {9000, 4500, 560, 560, 560};
    EXPECT_EQ(form->Chart1->ChannelCode(3), BytesToHexText(BuildModuleReply(expected).Reply));
    const TLibraryRead library = LoadCodeLibrary(libraryPath());
    ASSERT_TRUE(library.Ok()) << library.Error.toStdString();
    ASSERT_EQ(library.Records.size(), 1u);
    EXPECT_EQ(library.Records[0].Name, "Power");
    EXPECT_EQ(library.Records[0].Code.CarrierHz, 38000);
    const QString log = form->Memo1->toPlainText();
    EXPECT_TRUE(log.contains(u8("有 1 条记录未导入......"))) << log.toStdString();
    EXPECT_TRUE(log.contains(u8("未导入：Vol：不支持协议 “Unknown42”"))) << log.toStdString();
    EXPECT_TRUE(log.contains(u8("导入 1 个编码到编码库......")));
    EXPECT_TRUE(log.contains(u8("载入：")));
}

TEST_F(CodesWindowTest, FileWithNothingToTakeGivesEveryReason)
{
    const QString file = writeFile("remote.ir", "Filetype: IR signals file\nVersion: 1\n#\nname: Vol\ntype: parsed\n"
                                                "protocol: Unknown42\naddress: 07 00 00 00\ncommand: 02 00 00 00\n#\n"
                                                "name: Mute\ntype: parsed\nprotocol: NEC\naddress: 07 01 00 00\n"
                                                "command: 02 00 00 00\n");
    testsupport::TModalCatcher boxes;
    auto chooser = chooseFile(file);
    channelAction(2, "导入…");
    ASSERT_TRUE(waitAnswered(chooser->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Boxes.empty(); }, Patience));
    for (const char *part : {"没有可导入的编码", "Vol：", "Unknown42", "Mute：", "0x107"})
        EXPECT_TRUE(boxes.Boxes[0].Text.contains(u8(part))) << part << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(form->Chart1->ChannelCode(2).isEmpty());
    EXPECT_TRUE(form->Memo1->toPlainText().contains(u8("有 2 条记录未导入......")));
}

struct LoadCase {
    const char *name;
    QByteArray raw;
    const char *boxMentions; // empty: loaded without a box
    const char *logMentions;
};

class LoadLimitsTest : public CodesWindowTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadLimitsTest, RefusesWhatTheFrameCannotCarryAndSaysWhatWasCut)
{
    const QString file = writeFile("code.raw", GetParam().raw);
    testsupport::TModalCatcher boxes;
    auto chooser = chooseFile(file);
    auto pick = pickRows({0});
    channelAction(1, "导入…");
    ASSERT_TRUE(waitAnswered(chooser->Answered));
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(waitIdle());
    const bool refused = *GetParam().boxMentions != '\0';
    if (refused) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Boxes.empty(); }, Patience));
        for (const QString &part : u8(GetParam().boxMentions).split(u'|'))
            EXPECT_TRUE(boxes.Boxes[0].Text.contains(part)) << boxes.Boxes[0].Text.toStdString();
        EXPECT_TRUE(form->Chart1->ChannelCode(1).isEmpty());
        EXPECT_TRUE(points(*form, 1).isEmpty());
    } else {
        EXPECT_TRUE(boxes.Boxes.empty());
        EXPECT_FALSE(form->Chart1->ChannelCode(1).isEmpty());
        EXPECT_TRUE(form->Memo1->toPlainText().contains(u8(GetParam().logMentions)))
            << form->Memo1->toPlainText().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LoadLimitsTest,
    ::testing::Values(LoadCase{"MarkAboveLimit", "9000 -4500 60000\n", "60000|56100", ""},
                      LoadCase{"TooManyDurations", QByteArray("3000 -3000 ").repeated(250) + "\n", "1005|1000", ""},
                      LoadCase{"LongLeadOutIsCut", "9000 -4500 560 -108000\n", "", "末尾间隔 108000 微秒"}),
    [](const auto &info) { return info.param.name; });

TEST_F(CodesWindowTest, FailedSaveIsReportedAndKeepsTheChannelAndTheOldLibrary)
{
    const QByteArray bad = "irtool-codes 1\ncode: hand edited\ntimings: 100 200\n";
    QDir().mkpath(dir.filePath("irtool"));
    writeFile("irtool/codes.txt", bad);
    form->Edit4->setText(BytesToHexText(Reply).trimmed());
    form->Timer2Timer();

    testsupport::TModalCatcher boxes;
    testsupport::TModalResponder<TCodeSaveDialog> name([](TCodeSaveDialog *d) {
        QTest::keyClicks(d->NameEdit, "power");
        QTest::mouseClick(d->OkButton, Qt::LeftButton);
    });
    channelAction(1, "保存到编码库…");
    ASSERT_TRUE(waitAnswered(name.Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Boxes.empty(); }, Patience));
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(u8("第 3 行"))) << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(u8("编码库未改动")));
    QFile f(libraryPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bad);
    EXPECT_EQ(form->Chart1->ChannelCode(1), BytesToHexText(Reply));
}

TEST_F(CodesWindowTest, ExportedChannelCodeReadsBackAsLirc)
{
    form->Edit4->setText(BytesToHexText(Reply).trimmed());
    form->Timer2Timer();
    const QString file = dir.filePath("out.lircd.conf");
    auto pick = pickRows({0});
    auto chooser = chooseFile(file, FormatInfo(TCodeFormat::Lirc).Filter);
    channelAction(1, "导出…");
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(waitAnswered(chooser->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Memo1->toPlainText().contains(u8("已导出 1 个编码")); }, Patience));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const TImport in = ImportLirc(f.readAll());
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u);
    std::vector<int> expected = ReplyDurationsUs(Reply);
    expected.pop_back(); // LIRC keeps the final space as the gap
    EXPECT_EQ(in.Records[0].Code.DurationsUs, expected);
    EXPECT_TRUE(form->Memo1->toPlainText().contains(u8("38 kHz")));
}

// Learned from a module, kept in the library, loaded after a restart and emitted: the module gets
// the bytes it sent.
TEST_F(CodesWindowTest, LearnedCodeSurvivesARestartAndIsEmittedByteForByte)
{
    QTcpServer module;
    ASSERT_TRUE(module.listen(QHostAddress::LocalHost, 0));
    auto connect = [&] {
        form->N2Click();
        form->Edit20->setText("127.0.0.1");
        form->Edit21->setText(QString::number(module.serverPort()));
        form->Button1Click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return module.hasPendingConnections() && form->ClientSocket->Active(); },
                                    Patience));
        return module.nextPendingConnection();
    };
    QTcpSocket *link = connect();
    ASSERT_NE(link, nullptr);
    form->BitBtn5Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->bytesAvailable() >= 4; }, Patience));
    link->readAll();
    link->write(Reply);
    link->flush();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Memo1->toPlainText().contains(u8("数据总长度")); }, Patience));

    testsupport::TModalResponder<TCodeSaveDialog> name([](TCodeSaveDialog *d) {
        QTest::keyClicks(d->NameEdit, "power");
        QTest::keyClicks(d->RemoteEdit, "tv");
        QTest::mouseClick(d->OkButton, Qt::LeftButton);
    });
    form->Codes->SaveAction->trigger();
    ASSERT_TRUE(waitAnswered(name.Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Memo1->toPlainText().contains(u8("已保存到编码库：power")); },
                                Patience));

    newWindow();
    link = connect();
    ASSERT_NE(link, nullptr);
    auto pick = pickRows({0});
    channelAction(3, "从编码库载入…");
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Chart1->ChannelCode(3).isEmpty(); }, Patience));
    QTest::mouseClick(form->Chart1->Button3, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->bytesAvailable() >= Reply.size(); }, Patience));
    QTest::qWait(100);
    EXPECT_EQ(link->readAll(), Reply);
}

} // namespace
