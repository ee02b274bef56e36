#include "platform/sys/messagelocale.h"

#include <atomic>
#include <cstdlib>
#include <string>

namespace platform {

namespace {

struct LocaleId {
    std::string_view name;
    uint32_t id;
};

constexpr LocaleId kLocales[] = {
    {"zh_CN", 2052}, {"zh_TW", 1028}, {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"en_NZ", 5129},
    {"en_IE", 6153}, {"en_ZA", 7177}, {"en_IN", 16393}, {"de_DE", 1031}, {"de_AT", 3079},
    {"de_CH", 2055}, {"fr_FR", 1036}, {"fr_CA", 3084}, {"fr_BE", 2060}, {"fr_CH", 4108},
    {"es_ES", 3082}, {"es_MX", 2058}, {"it_IT", 1040}, {"pt_BR", 1046}, {"pt_PT", 2070},
    {"nl_NL", 1043}, {"ja_JP", 1041}, {"ko_KR", 1042}, {"ru_RU", 1049}, {"pl_PL", 1045},
    {"cs_CZ", 1029}, {"sv_SE", 1053}, {"da_DK", 1030}, {"fi_FI", 1035}, {"nb_NO", 1044},
    {"tr_TR", 1055}, {"uk_UA", 1058}, {"hu_HU", 1038}, {"el_GR", 1032}, {"he_IL", 1037},
    {"ar_SA", 1025}, {"th_TH", 1054}, {"vi_VN", 1066},
};

// Read by the serial library's threads while the window's thread may change it.
std::atomic<uint32_t> chosenId{0};

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

uint32_t LocaleNameToLcId(std::string_view name)
{
    // Only language and territory matter: "zh_CN.GB18030" and "zh_CN@x" are both zh_CN.
    const auto cut = name.find_first_of(".@");
    if (cut != std::string_view::npos)
        name = name.substr(0, cut);
    for (const auto &l : kLocales)
        if (l.name == name)
            return l.id;
    return 0;
}

uint32_t MessageLocaleId()
{
    if (const uint32_t chosen = chosenId.load())
        return chosen;
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(var);
        if (value && *value)
            return LocaleNameToLcId(value);
    }
    return 0;
}

void ChooseMessageLocaleId(uint32_t id)
{
    chosenId.store(id);
}

MessageLocaleVariables ReadMessageLocaleVariables()
{
    return {environment("LANGUAGE"), environment("LC_ALL"), environment("LC_MESSAGES"), environment("LANG")};
}

} // namespace platform
