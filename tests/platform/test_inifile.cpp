#include "platform/sys/inifile.h"
#include "settingsfilefixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using platform::EIniFileException;
using platform::TIniFile;

namespace {

// A file written by an existing installation: GBK, CRLF, a comment and an unknown section.
const std::string GbkFixture = "; kept\r\n"
                               "[\xC4\xA3\xBF\xE9\xC9\xE8\xD6\xC3]\r\n"   // 模块设置
                               "In1 = 10 \r\n"
                               "In2=\r\n"
                               "\r\n"
                               "[other]\r\n"
                               "x=1\r\n"
                               "[\xBB\xF9\xB1\xBE\xB2\xCE\xCA\xFD]\r\n"  // 基本参数
                               "\xB4\xAE\xBF\xDA\xBA\xC5=4\r\n";        // 串口号=4

using IniFileTest = TSettingsFileTest;

TEST_F(IniFileTest, MissingFileOrKeyGivesTheDefaultButAnEmptyValueStaysEmpty)
{
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("模块设置", "In1", "192"), "192");
    put(GbkFixture);
    EXPECT_EQ(ini.ReadString("模块设置", "In2", "168"), "");
    EXPECT_EQ(ini.ReadString("模块设置", "In3", "0"), "0");
    EXPECT_EQ(ini.ReadString("nosuch", "In1", "d"), "d");
}

TEST_F(IniFileTest, ReadsAFileOfAnExistingInstallation)
{
    put(GbkFixture);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("模块设置", "in1", ""), "10");
    EXPECT_EQ(ini.ReadString("基本参数", "串口号", "3"), "4");
    EXPECT_EQ(ini.ReadString("OTHER", "X", ""), "1");
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineAndTheFilesEncoding)
{
    put(GbkFixture);
    TIniFile ini(path);
    ini.WriteString("模块设置", "IN1", "11");
    ini.WriteString("模块设置", "In3", "7");
    ini.WriteString("基本参数", "工作模式", "1");
    std::string expected = GbkFixture;
    expected.replace(expected.find("In1 = 10 "), 9, "In1 = 11 ");
    expected.replace(expected.find("In2=\r\n") + 6, 0, "In3=7\r\n");
    expected += "\xB9\xA4\xD7\xF7\xC4\xA3\xCA\xBD=1\r\n"; // 工作模式=1
    EXPECT_EQ(bytes(), expected);
}

TEST_F(IniFileTest, ANewFileIsWrittenInGbkAndKeepsWhatGbkCannotHold)
{
    TIniFile ini(path);
    ini.WriteString("基本参数", "串口号", "3");
    ini.WriteString("模块设置", "In1", "😀 x");
    EXPECT_EQ(bytes().substr(0, 13), "[\xBB\xF9\xB1\xBE\xB2\xCE\xCA\xFD]\r\n\xB4");
    EXPECT_EQ(ini.ReadString("模块设置", "In1", ""), "😀 x");
    EXPECT_EQ(ini.ReadString("基本参数", "串口号", ""), "3");
}

TEST_F(IniFileTest, Utf8FilesStayUtf8WithOrWithoutAByteOrderMark)
{
    for (const std::string &bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
        put(bom + "[模块设置]\nIn1=1\n");
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("模块设置", "In1", ""), "1");
        ini.WriteString("模块设置", "In1", "2");
        EXPECT_EQ(bytes(), bom + "[模块设置]\nIn1=2\n");
    }
}

TEST_F(IniFileTest, TheFirstOfTwoEqualSectionsOrKeysWins)
{
    put("[a]\nk=1\nk=2\n[A]\nk=3\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("a", "k", ""), "1");
    ini.WriteString("A", "K", "9");
    EXPECT_EQ(bytes(), "[a]\nk=9\nk=2\n[A]\nk=3\n");
}

TEST_F(IniFileTest, AFileThatCannotBeWrittenRaisesAndStaysAsItWas)
{
    TIniFile inMissingFolder((dir / "missing" / "x.ini").string());
    EXPECT_THROW(inMissingFolder.WriteString("s", "k", "v"), EIniFileException);

    put("[s]\nk=1\n");
    TIniFile underAFile(path + "/x.ini");
    try {
        underAFile.WriteString("s", "k", "v");
        ADD_FAILURE() << "no error";
    } catch (const EIniFileException &e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(bytes(), "[s]\nk=1\n");
}

TEST(SettingsFolder, TheRunningProgramsFolderExists)
{
    const std::string folder = platform::ProgramSettingsPlace().folder;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

// An installed program (under /usr or /opt, even where root could write there) or one in a folder that
// cannot be written keeps its settings in the configuration folder, which is made once.
TEST(SettingsFolder, OwnFolderOrConfigurationFolder)
{
    const fs::path home = fs::temp_directory_path() / ("settings-place-" + std::to_string(::getpid()));
    fs::create_directories(home / "program");
    const std::string xdg = (home / "xdg").string();
    const std::string program = (home / "program").string();
    struct Case {
        const char *what;
        std::string programFolder;
        const char *xdgConfigHome; // null: unset
        std::string expected;
        bool created;
    };
    const Case cases[] = {
        {"a folder it can write", program, xdg.c_str(), program + "/", false},
        {"installed under /usr", "/usr/bin", xdg.c_str(), xdg + "/irtool-x/", true},
        {"the same again", "/usr/bin", xdg.c_str(), xdg + "/irtool-x/", false},
        {"installed under /opt", "/opt/irtool/bin", xdg.c_str(), xdg + "/irtool-x/", false},
        {"a folder that is not there", (home / "gone").string(), xdg.c_str(), xdg + "/irtool-x/", false},
        {"no XDG_CONFIG_HOME", "/usr/bin", nullptr, (home / ".config/irtool-x/").string(), true},
        {"an empty XDG_CONFIG_HOME", "/usr/bin", "", (home / ".config/irtool-x/").string(), false},
    };
    const char *oldHome = std::getenv("HOME");
    const char *oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedHome = oldHome ? oldHome : "", savedXdg = oldXdg ? oldXdg : "";
    setenv("HOME", home.c_str(), 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.xdgConfigHome)
            setenv("XDG_CONFIG_HOME", c.xdgConfigHome, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        const platform::SettingsPlace place = platform::FindSettingsPlace(c.programFolder, "irtool-x");
        EXPECT_EQ(place.folder, c.expected);
        EXPECT_EQ(place.created, c.created);
        EXPECT_TRUE(fs::is_directory(place.folder));
    }
    if (oldXdg)
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", savedHome.c_str(), 1);
    fs::remove_all(home);
}

} // namespace
