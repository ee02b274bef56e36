// Files written and read through the window are what their names say: the typed suffix picks the
// format, a LIRC key keeps the code's library name, and an imported code keeps its protocol.
#include "codeswindowfixture.h"

#include "core/formats/codeformats.h"
#include "core/formats/lirc.h"
#include "core/hextext.h"
#include "core/protocols/protocols.h"

#include <QRadioButton>

namespace {

// NEC address 0x04, command 0x08, with a lead-out, in µs that are not the module's 10 µs units.
TIrCode necCode()
{
    TIrCode code = EncodeCode({"NEC", 0x04, 0x08, 32, {}}).value_or(TIrCode());
    for (int &d : code.DurationsUs)
        d += 3;
    code.DurationsUs.push_back(40003);
    return code;
}

class ExportTest : public CodesWindowTest {
protected:
    // Exports the channel's code alone through the window's dialogs, the file answered with the
    // typed path under the chosen format's filter; returns the first row the pick list showed.
    QString exportChannel(int channel, const QString &typed, TCodeFormat chosen)
    {
        QString firstRow;
        testsupport::TModalResponder<TCodePickDialog> pick([&](TCodePickDialog *d) {
            firstRow = d->List->item(0)->text();
            d->List->clearSelection();
            d->List->item(0)->setSelected(true);
            QTest::mouseClick(d->OkButton, Qt::LeftButton);
        });
        auto chooser = chooseFile(typed, FormatInfo(chosen).Filter);
        const qsizetype logged = logLines().size();
        channelAction(channel, "导出…");
        EXPECT_TRUE(waitAnswered(pick.Answered));
        EXPECT_TRUE(waitAnswered(chooser->Answered));
        EXPECT_TRUE(QTest::qWaitFor([&] { return logLines().mid(logged).join(u'\n').contains(u8("已导出")); }, Patience));
        return firstRow;
    }

    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return f.readAll();
    }

    void learn(int channel)
    {
        form->Chart1->RadioButton(channel)->click();
        form->Edit4->setText(BytesToHexText(Reply).trimmed());
        form->Timer2Timer();
    }
};

struct TypedName {
    const char *name;
    const char *typed;
    TCodeFormat chosen;
    const char *written;
    TCodeFormat format;
};

class TypedNameTest : public ExportTest, public ::testing::WithParamInterface<TypedName> {};

TEST_P(TypedNameTest, WritesTheFormatTheNameSaysAndLogsIt)
{
    learn(1);
    exportChannel(1, dir.filePath(u8(GetParam().typed)), GetParam().chosen);
    const QString written = dir.filePath(u8(GetParam().written));
    const QString name = FormatInfo(GetParam().format).Name;
    EXPECT_TRUE(logLines().contains(u8("已导出 1 个编码（%1）到 %2......").arg(name, written)))
        << form->Memo1->toPlainText().toStdString();
    const QByteArray text = readFile(written);
    EXPECT_EQ(GuessFormat(text), GetParam().format) << text.toStdString();
    const TImport in = ImportCodes(text);
    ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
    ASSERT_EQ(in.Records.size(), 1u);
    std::vector<int> expected = ReplyDurationsUs(Reply);
    std::vector<int> got = in.Records[0].Code.DurationsUs;
    got.resize(expected.size() - 1); // LIRC keeps the final space as the gap, Pronto in carrier periods
    expected.pop_back();
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(got[i], expected[i], 27) << i;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "only the named file is written";
}

INSTANTIATE_TEST_SUITE_P(
    Codes, TypedNameTest,
    ::testing::Values(TypedName{"ConfUnderPronto", "tv.conf", TCodeFormat::Pronto, "tv.conf", TCodeFormat::Lirc},
                      TypedName{"LircdConfUnderCsv", "tv.lircd.conf", TCodeFormat::Csv, "tv.lircd.conf", TCodeFormat::Lirc},
                      TypedName{"IrUnderLirc", "tv.ir", TCodeFormat::Lirc, "tv.ir", TCodeFormat::IrFile},
                      TypedName{"CsvUnderSignalFile", "tv.csv", TCodeFormat::IrFile, "tv.csv", TCodeFormat::Csv},
                      TypedName{"ProntoUnderRaw", "tv.pronto", TCodeFormat::Raw, "tv.pronto", TCodeFormat::Pronto},
                      TypedName{"RawUnderPronto", "tv.raw", TCodeFormat::Pronto, "tv.raw", TCodeFormat::Raw},
                      TypedName{"NoSuffixTakesTheList", "tv", TCodeFormat::Raw, "tv.raw", TCodeFormat::Raw}),
    [](const auto &info) { return info.param.name; });

// A key is named after the library record the channel holds, whether loaded from the library or
// learned and then saved; the names stay valid lircd key names.
TEST_F(ExportTest, LircKeysAreNamedAfterTheLibraryNotTheChannel)
{
    TCodeRecord stored;
    stored.Name = u8("电视 开关");
    stored.Remote = u8("客厅 电视");
    stored.Code = necCode();
    stored.Code.CarrierHz = 38000;
    ASSERT_EQ(SaveCodeLibrary(libraryPath(), {stored}), QString());
    auto pick = pickRows({0});
    channelAction(2, "从编码库载入…");
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->Chart1->ChannelCode(2).isEmpty(); }, Patience));

    learn(1);
    testsupport::TModalResponder<TCodeSaveDialog> name([](TCodeSaveDialog *d) {
        QTest::keyClicks(d->NameEdit, "KEY_POWER");
        QTest::mouseClick(d->OkButton, Qt::LeftButton);
    });
    channelAction(1, "保存到编码库…");
    ASSERT_TRUE(waitAnswered(name.Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Memo1->toPlainText().contains(u8("已保存到编码库")); }, Patience));

    const struct {
        int channel;
        const char *row, *key, *remote;
    } cases[] = {{2, "2 通道：电视 开关  —  客厅 电视", "电视_开关", "客厅_电视"}, {1, "1 通道：KEY_POWER", "KEY_POWER", "irtool"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        const QString file = dir.filePath(QString::number(c.channel) + ".lircd.conf");
        EXPECT_TRUE(exportChannel(c.channel, file, TCodeFormat::Lirc).startsWith(u8(c.row)));
        const TImport in = ImportLirc(readFile(file));
        ASSERT_TRUE(in.Ok()) << in.Error.toStdString();
        ASSERT_EQ(in.Records.size(), 1u);
        EXPECT_EQ(in.Records[0].Name, u8(c.key));
        EXPECT_EQ(in.Records[0].Remote, u8(c.remote));
    }
}

TEST_F(ExportTest, ImportedCodesAreKeptWithTheirProtocol)
{
    TCodeRecord power;
    power.Name = "power";
    power.Code = necCode();
    TCodeRecord other = power;
    other.Name = "noise";
    other.Code.DurationsUs = {300, 700, 300};
    const QString file = writeFile("remote.txt", ExportCodes(TCodeFormat::Raw, {power, other}, "r").Text);
    auto chooser = chooseFile(file);
    auto pick = pickRows({0, 1});
    channelAction(1, "导入…");
    ASSERT_TRUE(waitAnswered(chooser->Answered));
    ASSERT_TRUE(waitAnswered(pick->Answered));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Memo1->toPlainText().contains(u8("导入 2 个编码")); }, Patience));

    const TLibraryRead library = LoadCodeLibrary(libraryPath());
    ASSERT_TRUE(library.Ok()) << library.Error.toStdString();
    ASSERT_EQ(library.Records.size(), 2u);
    EXPECT_EQ(library.Records[0].Protocol, "NEC 0x04/0x08");
    EXPECT_EQ(library.Records[1].Protocol, QString());
    EXPECT_TRUE(readFile(libraryPath()).contains("protocol: NEC 0x04/0x08\n"));
}

} // namespace
