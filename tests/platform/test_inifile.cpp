#include "platform/sys/inifile.h"

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

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("inifile-" + std::to_string(::getpid()) + "-"
                                           + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        path = (dir / "settings.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void put(const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string bytes() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir;
    std::string path;
};

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

TEST(SettingsFolder, NamesAnExistingFolder)
{
    const std::string folder = platform::SettingsFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::is_directory(folder));
}

} // namespace
