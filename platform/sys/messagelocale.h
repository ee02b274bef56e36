#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Windows-style locale identifier of a POSIX locale name such as "zh_CN.UTF-8" or "en_US@euro";
// 0 for C, POSIX, an empty or an unknown name.
uint32_t LocaleNameToLcId(std::string_view name);

// Identifier of the process's message locale: the one the program chose, else taken from LC_ALL,
// LC_MESSAGES and LANG in that order (the first one set and not empty decides, as the C library does).
uint32_t MessageLocaleId();

// The program's choice of message language, which then holds for every later MessageLocaleId();
// 0 gives the decision back to the environment.
void ChooseMessageLocaleId(uint32_t id);

// The locale variables in the order the C library's message catalogues weigh them, empty where unset.
struct MessageLocaleVariables {
    std::string language;   // LANGUAGE: a colon-separated list, its first entry counts
    std::string lcAll;      // LC_ALL
    std::string lcMessages; // LC_MESSAGES
    std::string lang;       // LANG
};
MessageLocaleVariables ReadMessageLocaleVariables();

} // namespace platform
