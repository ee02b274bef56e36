#include "core/parameterfile.h"
#include "core/uilanguage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct TLocaleCase {
    const char *name;
    TLocaleVariables locale;
    TUiLanguage expected;
    uint32_t portDialog;
};

constexpr uint32_t Simplified = 2052, Traditional = 1028, English = 1033;
constexpr auto zh = TUiLanguage::Chinese;
constexpr auto en = TUiLanguage::English;

const TLocaleCase localeCases[] = {
    {"nothing set", {}, zh, Simplified},
    {"C locale", {"", "", "", "C"}, zh, Simplified},
    {"C with an encoding", {"", "C.UTF-8", "", ""}, zh, Simplified},
    {"POSIX", {"", "", "POSIX", ""}, zh, Simplified},
    {"mainland Chinese", {"", "", "", "zh_CN.UTF-8"}, zh, Simplified},
    {"Chinese in GB18030", {"", "", "", "zh_CN.GB18030"}, zh, Simplified},
    {"language only", {"", "", "", "zh"}, zh, Simplified},
    {"Singapore", {"", "", "", "zh_SG.UTF-8"}, zh, Simplified},
    {"Taiwan", {"", "", "", "zh_TW.UTF-8"}, zh, Traditional},
    {"Hong Kong", {"", "", "", "zh_HK.Big5-HKSCS"}, zh, Traditional},
    {"Macao", {"", "", "", "zh_MO"}, zh, Traditional},
    {"American English", {"", "", "", "en_US.UTF-8"}, en, English},
    {"German", {"", "", "", "de_DE.UTF-8"}, en, English},
    {"Japanese, whose script looks alike", {"", "", "", "ja_JP.UTF-8"}, en, English},
    {"a language that only starts with zh", {"", "", "", "zha_CN"}, en, English},
    {"LC_ALL before LANG", {"", "en_GB.UTF-8", "", "zh_CN.UTF-8"}, en, English},
    {"LC_MESSAGES before LANG", {"", "", "zh_TW.UTF-8", "en_US.UTF-8"}, zh, Traditional},
    {"LC_ALL before LC_MESSAGES", {"", "C.UTF-8", "fr_FR.UTF-8", ""}, zh, Simplified},
    {"LANGUAGE first", {"en_US", "zh_CN.UTF-8", "", ""}, en, English},
    {"LANGUAGE's first entry of its list", {"zh_TW:en_US", "", "", "en_US.UTF-8"}, zh, Traditional},
    {"empty variables are skipped", {"", "", "", "fr_FR.UTF-8"}, en, English},
    {"a modifier", {"", "", "", "de_DE@euro"}, en, English},
};

class LocaleChoice : public ::testing::TestWithParam<TLocaleCase> {};

TEST_P(LocaleChoice, GivesTheWindowLanguageAndThePortDialogsTexts)
{
    const TLocaleCase &c = GetParam();
    EXPECT_EQ(UiLanguageOf(c.locale), c.expected);
    EXPECT_EQ(PortDialogLocaleId(c.expected, c.locale), c.portDialog);
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleChoice, ::testing::ValuesIn(localeCases),
                         [](const auto &info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

TEST(LanguageKey, ReadsBackWhatIsWrittenAndNothingElse)
{
    for (TUiLanguage language : {zh, en})
        EXPECT_EQ(UiLanguageFromKeyValue(UiLanguageKeyValue(language)), language);
    for (const char *unknown : {"", "fr", "EN", "zh_TW", "中文"})
        EXPECT_EQ(UiLanguageFromKeyValue(unknown), std::nullopt) << unknown;
}

class SettingsFileLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = (std::filesystem::temp_directory_path() / ("irtool-language-" + std::to_string(::getpid()) + ".ini")).string();
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string read() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string &bytes) const { std::ofstream(path, std::ios::binary) << bytes; }

    std::string path;
};

TEST_F(SettingsFileLanguage, MissingFileOrKeyLeavesTheChoiceToTheLocale)
{
    EXPECT_EQ(ReadLanguageKey(path), std::nullopt);
    write("[\xBB\xF9\xB1\xBE\xB2\xCE\xCA\xFD]\r\n\xB4\xAE\xBF\xDA\xBA\xC5=3\r\n"); // GBK: [基本参数] 串口号=3
    EXPECT_EQ(ReadLanguageKey(path), std::nullopt);
}

// The key is added to a GBK file with CRLF line ends, a comment and another section; every byte
// that was there stays, and the next choice replaces only the value.
TEST_F(SettingsFileLanguage, AddsOneKeyAndLeavesEveryOtherByte)
{
    const std::string before = "; \xD7\xA2\xCA\xCD\r\n"                          // ; 注释
                               "[\xC4\xA3\xBF\xE9\xC9\xE8\xD6\xC3]\r\nIn1=192\r\n"   // [模块设置]
                               "[\xBB\xF9\xB1\xBE\xB2\xCE\xCA\xFD]\r\n"             // [基本参数]
                               "\xB4\xAE\xBF\xDA\xBA\xC5=3\r\n";                    // 串口号=3
    write(before);
    WriteLanguageKey(path, en);
    const std::string withKey = read();
    EXPECT_EQ(ReadLanguageKey(path), en);
    ASSERT_GT(withKey.size(), before.size());
    EXPECT_EQ(withKey.substr(0, before.size()), before);
    EXPECT_EQ(withKey.substr(before.size()), "\xD3\xEF\xD1\xD4=en\r\n"); // 语言=en

    WriteLanguageKey(path, zh);
    EXPECT_EQ(ReadLanguageKey(path), zh);
    EXPECT_EQ(read(), before + "\xD3\xEF\xD1\xD4=zh_CN\r\n");
}

} // namespace
