// The windows in both languages: the language taken at start from the locale, switched in the menu
// with windows and dialogs open, and every text with room enough for it.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/analysermenu.h"
#include "app/channelchart.h"
#include "app/codedialogs.h"
#include "app/codesui.h"
#include "app/language.h"
#include "app/languagemenu.h"
#include "core/formats/codeformats.h"
#include "core/parameterfile.h"
#include "platform/sys/messagelocale.h"
#include "serial/unitzvcommdevicesettings.h"
#include "serial/zvcommdevice.h"
#include "support/accessibletree.h"
#include "support/uiwait.h"
// After uiwait.h, which brings the test macros it uses.
#include "support/filedialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

class NoPorts : public PelmComm::TSerialPortSource {
public:
    std::vector<std::string> Devices() override { return {"/dev/ttyS0", "/dev/ttyUSB0"}; }
    std::vector<platform::TtyDescription> Descriptions() override { return {}; }
};

// The locale variables of one start; the ones not given are unset.
void SetLocale(const char *lang)
{
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        ::unsetenv(name);
    ::setenv("LANG", lang, 1);
}

struct TWindows {
    TForm1 *Main;
    TForm2 *Config;
    TCodeSaveDialog *Save;
    TCodePickDialog *Pick;
    PelmComm::TForm_ZvCommDevice_Settings *Port;
};

class LanguageTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        saved = platform::ReadMessageLocaleVariables();
    }
    void TearDown() override
    {
        closeEverything();
        form2.reset();
        form.reset();
        language::Apply(TUiLanguage::Chinese);
        settle();
        for (const auto &[name, value] : {std::pair{"LANGUAGE", saved.language}, {"LC_ALL", saved.lcAll},
                                          {"LC_MESSAGES", saved.lcMessages}, {"LANG", saved.lang}}) {
            if (value.empty())
                ::unsetenv(name);
            else
                ::setenv(name, value.c_str(), 1);
        }
        platform::ChooseMessageLocaleId(0);
    }

    // Starts as the program does: the language from the settings file or the locale, then the windows.
    void start()
    {
        language::Apply(language::AtStart(settingsPath()));
        form = std::make_unique<TForm1>();
        form2 = std::make_unique<TForm2>(form.get());
        form2->SetSettingsPath(settingsPath());
        form->SetConfigWindow(form2.get());
        form->show();
        settle();
    }
    // The configuration window and every dialog of the windows, open beside the main window.
    TWindows openEverything()
    {
        form2->show();
        save = std::make_unique<TCodeSaveDialog>(form.get(), QStringLiteral("NEC 0x04/0x08"));
        pick = std::make_unique<TCodePickDialog>(
            form.get(), [] { return TCodesUi::tr("导入到编码库"); }, QStringList{QStringLiteral("a")}, true);
        port = std::make_unique<PelmComm::TForm_ZvCommDevice_Settings>(form2.get(), form2->ZvCommDevice1, false,
                                                                      std::make_unique<NoPorts>());
        save->show();
        pick->show();
        port->show();
        settle();
        return {form.get(), form2.get(), save.get(), pick.get(), port.get()};
    }
    void closeEverything()
    {
        port.reset();
        pick.reset();
        save.reset();
    }
    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCoreApplication::processEvents();
    }
    std::string settingsPath() const { return dir.filePath(QString::fromUtf8(TForm2::SettingsFileName)).toStdString(); }

    QTemporaryDir dir{QDir::tempPath() + "/irtool-language-XXXXXX"};
    platform::MessageLocaleVariables saved;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TCodeSaveDialog> save;
    std::unique_ptr<TCodePickDialog> pick;
    std::unique_ptr<PelmComm::TForm_ZvCommDevice_Settings> port;
};

// A few captions of each window and dialog, in both languages.
struct TCaption {
    const char *what;
    std::function<QString(const TWindows &)> text;
    const char *chinese;
    const char *english;
};

const TCaption captions[] = {
    {"main window's learn button", [](const TWindows &w) { return w.Main->BitBtn5->text(); }, " 学习", " Learn"},
    {"main window's settings button", [](const TWindows &w) { return w.Main->ButtonSet1->text(); }, "模块设置",
     "Module settings"},
    {"main window's listen button", [](const TWindows &w) { return w.Main->Button1->text(); }, "开始监听",
     "Start listening"},
    {"main window's menu", [](const TWindows &w) { return w.Main->N2->text(); }, "客户端模式", "Client mode"},
    {"analysis menu", [](const TWindows &w) { return w.Main->Analyser->AnalyseMenu->title(); }, "分析", "Analyse"},
    {"code menu", [](const TWindows &w) { return w.Main->Codes->Menu->title(); }, "编码", "Codes"},
    {"status bar", [](const TWindows &w) { return w.Main->PanelText(2); }, "状态", "State"},
    {"chart's channel row", [](const TWindows &w) { return w.Main->Chart1->RadioButton(1)->text(); }, "1 通道", "Ch 1"},
    {"chart's emit button", [](const TWindows &w) { return w.Main->Chart1->EmitButton(2)->accessibleName(); },
     "发射 2 通道", "Emit channel 2"},
    {"configuration window's caption", [](const TWindows &w) { return w.Config->GroupBox2->title(); },
     " 模块网络参数设置 ", " Module network settings "},
    {"configuration window's port button", [](const TWindows &w) { return w.Config->Button1->text(); }, "打开串口",
     "Open port"},
    {"configuration window's check box", [](const TWindows &w) { return w.Config->CheckBox1->text(); }, "超时重启",
     "Restart on timeout"},
    {"configuration window's status bar", [](const TWindows &w) { return w.Config->PanelText(0); }, "串口号", "Port"},
    {"save dialog's title", [](const TWindows &w) { return w.Save->windowTitle(); }, "保存到编码库",
     "Save to code library"},
    {"save dialog's button", [](const TWindows &w) { return w.Save->OkButton->text(); }, "确定", "OK"},
    {"pick dialog's title", [](const TWindows &w) { return w.Pick->windowTitle(); }, "导入到编码库",
     "Import into the code library"},
    {"port dialog's title", [](const TWindows &w) { return w.Port->windowTitle(); }, "串行口设置", "Serial Port Setup"},
    {"port dialog's label", [](const TWindows &w) { return w.Port->lbBaud->text(); }, "波特率", "Baud"},
};

void ExpectCaptions(const TWindows &w, TUiLanguage language, const std::string &when)
{
    for (const TCaption &c : captions) {
        const char *expected = language == TUiLanguage::Chinese ? c.chinese : c.english;
        EXPECT_EQ(c.text(w).toStdString(), expected) << c.what << ", " << when;
    }
}

struct TStartCase {
    const char *lang;
    TUiLanguage expected;
};

class StartLanguage : public LanguageTest, public ::testing::WithParamInterface<TStartCase> {};

TEST_P(StartLanguage, TheLocaleChoosesTheCaptionsOfEveryWindow)
{
    SetLocale(GetParam().lang);
    start();
    const TWindows w = openEverything();
    ExpectCaptions(w, GetParam().expected, std::string("LANG=") + GetParam().lang);
    EXPECT_EQ(form->Languages->EnglishItem->isChecked(), GetParam().expected == TUiLanguage::English);
    EXPECT_EQ(form->Languages->ChineseItem->isChecked(), GetParam().expected == TUiLanguage::Chinese);
}

INSTANTIATE_TEST_SUITE_P(Locales, StartLanguage,
                         ::testing::Values(TStartCase{"en_US.UTF-8", TUiLanguage::English},
                                           TStartCase{"zh_CN.UTF-8", TUiLanguage::Chinese},
                                           TStartCase{"C", TUiLanguage::Chinese}),
                         [](const auto &info) { return std::string(info.index == 0 ? "English" : info.index == 1 ? "Chinese" : "C"); });

TEST_F(LanguageTest, TheMenuSwitchesEveryOpenWindowAndIsKeptInTheSettingsFile)
{
    SetLocale("zh_CN.UTF-8");
    start();
    const TWindows w = openEverything();
    form->Languages->EnglishItem->trigger();
    settle();
    ExpectCaptions(w, TUiLanguage::English, "after choosing English");
    EXPECT_EQ(ReadLanguageKey(settingsPath()), TUiLanguage::English);

    // The next start takes the kept choice over the locale.
    closeEverything();
    form2.reset();
    form.reset();
    language::Apply(TUiLanguage::Chinese);
    start();
    EXPECT_EQ(form->ButtonSet1->text().toStdString(), "Module settings");

    const TWindows again = openEverything();
    form->Languages->ChineseItem->trigger();
    settle();
    ExpectCaptions(again, TUiLanguage::Chinese, "after choosing Chinese");
    EXPECT_EQ(ReadLanguageKey(settingsPath()), TUiLanguage::Chinese);
}

TEST_F(LanguageTest, TheLogKeepsItsLinesAndWritesNewOnesInTheChosenLanguage)
{
    SetLocale("zh_CN.UTF-8");
    start();
    form->BitBtn5Click(); // no link: the window says so in the log
    form->Languages->EnglishItem->trigger();
    settle();
    form->BitBtn5Click();
    const QString log = form->Memo1->toPlainText();
    EXPECT_TRUE(log.contains(QString::fromUtf8("模块通讯失败！"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Module communication failed!"))) << log.toStdString();
}

// A message the core makes reaches the window in the chosen language: a malformed file imported
// through the codes menu is refused with its reason, and the import dialog offers its filter, in
// that language.
struct TImportCase {
    TUiLanguage language;
    const char *filter;
    const char *reason;
};

class ImportLanguage : public LanguageTest, public ::testing::WithParamInterface<TImportCase> {};

TEST_P(ImportLanguage, AMalformedFileIsRefusedWithItsReasonInTheChosenLanguage)
{
    SetLocale("zh_CN.UTF-8");
    start();
    (GetParam().language == TUiLanguage::English ? form->Languages->EnglishItem : form->Languages->ChineseItem)
        ->trigger();
    settle();
    const QString path = dir.filePath(QStringLiteral("remote.ir"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Filetype: IR signals file\nVersion: 9\n");
    file.close();

    constexpr int Patience = 15000; // ms; generous, the machine is shared
    QStringList offered;
    testsupport::TModalResponder<QFileDialog> chooser([&](QFileDialog *d) {
        offered = d->nameFilters();
        testsupport::TypeFileName(d, path);
    });
    testsupport::TModalCatcher boxes;
    form->Codes->ImportAction->trigger();
    ASSERT_TRUE(testsupport::WaitFor([&] { return chooser.Answered; }, Patience));
    ASSERT_TRUE(testsupport::WaitFor([&] { return !boxes.Boxes.empty(); }, Patience));

    ASSERT_FALSE(offered.isEmpty());
    EXPECT_TRUE(offered.front().startsWith(QString::fromUtf8(GetParam().filter))) << offered.front().toStdString();
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QString::fromUtf8(GetParam().reason))) << boxes.Boxes[0].Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ImportLanguage,
    ::testing::Values(TImportCase{TUiLanguage::Chinese, "编码文件 (", "第 2 行：不支持的版本 “9”"},
                      TImportCase{TUiLanguage::English, "Code files (", "Line 2: Unsupported version “9”"}),
    [](const auto &info) { return std::string(info.param.language == TUiLanguage::English ? "English" : "Chinese"); });

// The filter the user picks in a translated export dialog still names its format, and so does the
// untranslated one a caller may hold.
TEST_F(LanguageTest, TheFormatOfATranslatedFilterIsFound)
{
    language::Apply(TUiLanguage::English);
    const struct {
        TCodeFormat format;
        const char *english;
    } cases[] = {
        {TCodeFormat::IrFile, "IR signal files (*.ir)"},
        {TCodeFormat::Raw, "Raw timings, µs (*.txt *.raw)"},
        {TCodeFormat::BroadlinkHex, "Broadlink packets, hexadecimal (*.txt *.hex)"},
        {TCodeFormat::Pronto, "Pronto Hex (*.txt *.pronto)"},
    };
    for (const auto &c : cases) {
        const QString english = QString::fromUtf8(c.english);
        EXPECT_EQ(FormatFilter(c.format), english);
        EXPECT_EQ(FormatOfFilter(english), c.format) << c.english;
        EXPECT_EQ(FormatOfFilter(FormatInfo(c.format).Filter), c.format) << c.english;
    }
    EXPECT_EQ(FormatOfFilter(QStringLiteral("Raw timings (*.txt)")), std::nullopt);
}

// Every text a widget shows that needs more width than the widget gives it.
std::vector<std::string> ClippedTexts(QWidget *window)
{
    std::vector<std::string> clipped;
    const auto report = [&](const QString &text, int need, int room) {
        clipped.push_back(std::string(window->metaObject()->className()) + ": \"" + text.toStdString() + "\" needs "
                          + std::to_string(need) + " px, has " + std::to_string(room));
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->text().isEmpty() && !label->wordWrap()) {
            const int need = label->fontMetrics().horizontalAdvance(label->text()) + 2 * label->margin();
            const int room = label->contentsRect().width() - std::max(0, label->indent());
            if (need > room)
                report(label->text(), need, room);
        } else if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty()) {
            const int need = button->sizeHint().width();
            // A push button's hint holds a minimum width of its style beyond the text; the text itself
            // must fit between the frame's margins.
            const int room = button->width();
            const bool pushButton = qobject_cast<QPushButton *>(button) != nullptr;
            const int textNeed = button->fontMetrics().horizontalAdvance(button->text())
                + (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            if (pushButton ? textNeed + 4 > room : need > room)
                report(button->text(), pushButton ? textNeed + 4 : need, room);
        } else if (auto *group = qobject_cast<QGroupBox *>(w); group && !group->title().isEmpty()) {
            const int need = group->fontMetrics().horizontalAdvance(group->title()) + 20;
            if (need > group->width())
                report(group->title(), need, group->width());
        }
    }
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        const int need = main->menuBar()->sizeHint().width();
        if (need > main->menuBar()->width())
            report(QStringLiteral("menu bar"), need, main->menuBar()->width());
    }
    return clipped;
}

void ExpectNothingClipped(const TWindows &w, const std::string &when)
{
    for (QWidget *window : std::initializer_list<QWidget *>{w.Main, w.Config, w.Save, w.Pick, w.Port}) {
        for (const std::string &c : ClippedTexts(window))
            ADD_FAILURE() << when << ": " << c;
    }
}

TEST_F(LanguageTest, NoTextIsClippedInEitherLanguageNorAtALargerFont)
{
    SetLocale("zh_CN.UTF-8");
    start();
    const TWindows w = openEverything();
    form->N2Click(); // client mode shows the other texts of the link
    form->Timer1Timer();
    for (TUiLanguage language : {TUiLanguage::Chinese, TUiLanguage::English}) {
        (language == TUiLanguage::Chinese ? form->Languages->ChineseItem : form->Languages->EnglishItem)->trigger();
        settle();
        const std::string name = language == TUiLanguage::Chinese ? "Chinese" : "English";
        ExpectNothingClipped(w, name);
        form->N1Click();
        form->Timer1Timer();
        ExpectNothingClipped(w, name + ", server mode");
        form->N2Click();
        form->Timer1Timer();
    }
    // Dialogs that take the desktop's font follow its scale; the designed windows keep their pixel font.
    const QFont normal = QApplication::font();
    QFont larger = normal;
    larger.setPointSizeF(normal.pointSizeF() * 1.25);
    QApplication::setFont(larger);
    settle();
    for (TUiLanguage language : {TUiLanguage::Chinese, TUiLanguage::English}) {
        (language == TUiLanguage::Chinese ? form->Languages->ChineseItem : form->Languages->EnglishItem)->trigger();
        settle();
        ExpectNothingClipped(w, std::string(language == TUiLanguage::Chinese ? "Chinese" : "English") + " at 125 %");
    }
    QApplication::setFont(normal);
}

// The first object under root that a screen reader finds with this role and name.
QAccessibleInterface *FindAccessible(QAccessibleInterface *at, QAccessible::Role role, const QString &name, int depth = 0)
{
    if (!at || depth > 32)
        return nullptr;
    if (at->role() == role && at->text(QAccessible::Name) == name)
        return at;
    for (int i = 0; i < at->childCount(); ++i)
        if (QAccessibleInterface *found = FindAccessible(at->child(i), role, name, depth + 1))
            return found;
    return nullptr;
}

bool HasChinese(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

// A person who cannot read the screen finds the language menu by its name, chooses English through
// it, and then hears every control of both windows in English: only the menu's "中文" stays Chinese.
TEST_F(LanguageTest, AScreenReaderChoosesEnglishAndHearsNoChineseName)
{
    SetLocale("zh_CN.UTF-8");
    start();
    form2->show();
    settle();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(form.get());
    QAccessibleInterface *menu = FindAccessible(window, QAccessible::MenuItem, QStringLiteral("语言 / Language"));
    ASSERT_NE(menu, nullptr);
    QAccessibleInterface *english = FindAccessible(menu, QAccessible::MenuItem, QStringLiteral("English"));
    ASSERT_NE(english, nullptr);
    ASSERT_NE(english->actionInterface(), nullptr);
    english->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    settle();
    ASSERT_EQ(language::Current(), TUiLanguage::English);

    for (QWidget *root : std::initializer_list<QWidget *>{form.get(), form2.get()}) {
        for (const testsupport::TAccessibleNode &node : testsupport::AccessibleTree(root)) {
            if (node.Name == QStringLiteral("中文") || node.Name == QStringLiteral("语言 / Language"))
                continue;
            EXPECT_FALSE(HasChinese(node.Name)) << "name \"" << node.Name.toStdString() << "\"";
            EXPECT_FALSE(HasChinese(node.Description)) << "description \"" << node.Description.toStdString() << "\"";
        }
    }
    EXPECT_NE(FindAccessible(window, QAccessible::Button, QStringLiteral("Start listening")), nullptr);
    EXPECT_NE(FindAccessible(QAccessible::queryAccessibleInterface(form2.get()), QAccessible::Button,
                             QStringLiteral("Open port")), nullptr);
}

} // namespace
