#pragma once
// The language of the program's window texts: the design's Chinese, or English for everyone whose
// locale is not Chinese. Widget-free, so that the rule is one for every window and testable alone.
#include "platform/sys/messagelocale.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class TUiLanguage { Chinese, English };

using TLocaleVariables = platform::MessageLocaleVariables;

// The first variable that is set and not empty decides. Chinese locales ("zh", "zh_CN.UTF-8",
// "zh_TW", ...) and C/POSIX (also with an encoding such as "C.UTF-8"), and nothing set at all, give
// Chinese; any other language gives English.
TUiLanguage UiLanguageOf(const TLocaleVariables &locale);

// The serial library's language identifier for the port settings dialog: English, or for Chinese
// the traditional characters where the locale is Taiwan's, Hong Kong's or Macao's.
uint32_t PortDialogLocaleId(TUiLanguage language, const TLocaleVariables &locale);

// The value kept in the settings file ("zh_CN", "en"), and the language read back from one; an
// unknown value reads as none, so that the locale decides.
std::string_view UiLanguageKeyValue(TUiLanguage language);
std::optional<TUiLanguage> UiLanguageFromKeyValue(std::string_view value);
