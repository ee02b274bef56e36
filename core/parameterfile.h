#pragma once
// Parameter files and the program's settings file: one layout for both. Section "模块设置" holds
// the 24 parameter texts as In1 .. In24; section "基本参数" the serial port's number, name and
// identity, the work mode's list index and the restart flag. Values are the texts as typed, unconverted.
#include "core/moduleparams.h"
#include "core/uilanguage.h"

#include <optional>
#include <string>

extern const char *const ParameterSection;
extern const char *const BasicSection;
extern const char *const PortNumberKey;
extern const char *const PortNameKey;
extern const char *const PortIdentityKey;
extern const char *const WorkModeKey;
extern const char *const RestartKey;
extern const char *const LanguageKey;

// "In1" .. "In24".
std::string ParameterKey(int editNumber);

// The texts of ParameterDefaults.
TParameterTexts DefaultParameterTexts();

struct TParameterFile {
    TParameterTexts Edits = DefaultParameterTexts();
    std::string PortNumber = "3";
    std::string PortName; // empty: the port is known by its number only
    std::string PortIdentity; // a USB adapter's by-id link name; empty for other ports
    std::string WorkMode = "0";
    std::string Restart = "1";
};

// Every key missing from the file, or the whole missing file, reads as the default.
TParameterFile ReadParameterFile(const std::string &path);
// Writes all keys in the order above; raises platform::EIniFileException when the file cannot be
// written. An empty identity is written only over one the file holds, so that files of ports
// without one keep their bytes.
void WriteParameterFile(const std::string &path, const TParameterFile &file);
void WritePortKeys(const std::string &path, const std::string &portNumber, const std::string &portName,
                   const std::string &portIdentity);

// The settings file's window language, picked in the menu, in section "基本参数"; none when the key
// is missing or holds an unknown value. Parameter files never carry it.
std::optional<TUiLanguage> ReadLanguageKey(const std::string &path);
void WriteLanguageKey(const std::string &path, TUiLanguage language);
