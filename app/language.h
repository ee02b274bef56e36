#pragma once
// The program's language at run time: the translators of the window texts and of Qt's own dialogs,
// and the serial library's choice for its port settings dialog. Installing or removing a translator
// makes Qt send every window a LanguageChange, on which each one sets its texts again.
#include "core/uilanguage.h"

#include <string>

namespace language {

// The language kept in the settings file, else the one the locale gives.
TUiLanguage AtStart(const std::string &settingsPath);

// Puts the language into force; the windows retranslate when the posted LanguageChange arrives.
void Apply(TUiLanguage language);

TUiLanguage Current();

} // namespace language
