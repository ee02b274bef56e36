#include "core/uilanguage.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr uint32_t LcIdSimplifiedChinese = 2052;
constexpr uint32_t LcIdTraditionalChinese = 1028;
constexpr uint32_t LcIdEnglishUS = 1033;

// The deciding locale name: the first entry of the first variable set and not empty.
std::string_view decidingName(const TLocaleVariables &locale)
{
    for (const std::string *value : {&locale.language, &locale.lcAll, &locale.lcMessages, &locale.lang}) {
        std::string_view name = *value;
        name = name.substr(0, name.find(':'));
        if (!name.empty())
            return name;
    }
    return {};
}

// Language and territory only: "zh_TW.Big5@x" is "zh_TW".
std::string_view languageAndTerritory(std::string_view name)
{
    return name.substr(0, name.find_first_of(".@"));
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

TUiLanguage UiLanguageOf(const TLocaleVariables &locale)
{
    const std::string_view name = languageAndTerritory(decidingName(locale));
    if (name.empty() || name == "C" || name == "POSIX")
        return TUiLanguage::Chinese;
    const bool chinese = startsWithNoCase(name, "zh") && (name.size() == 2 || name[2] == '_' || name[2] == '-');
    return chinese ? TUiLanguage::Chinese : TUiLanguage::English;
}

uint32_t PortDialogLocaleId(TUiLanguage language, const TLocaleVariables &locale)
{
    if (language == TUiLanguage::English)
        return LcIdEnglishUS;
    const std::string_view name = languageAndTerritory(decidingName(locale));
    for (std::string_view traditional : {"zh_TW", "zh_HK", "zh_MO"}) {
        if (name.size() == traditional.size() && startsWithNoCase(name, traditional))
            return LcIdTraditionalChinese;
    }
    return LcIdSimplifiedChinese;
}

std::string_view UiLanguageKeyValue(TUiLanguage language)
{
    return language == TUiLanguage::Chinese ? "zh_CN" : "en";
}

std::optional<TUiLanguage> UiLanguageFromKeyValue(std::string_view value)
{
    for (TUiLanguage language : {TUiLanguage::Chinese, TUiLanguage::English}) {
        if (value == UiLanguageKeyValue(language))
            return language;
    }
    return std::nullopt;
}
