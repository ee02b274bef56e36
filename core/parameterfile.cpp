#include "core/parameterfile.h"

#include "platform/sys/inifile.h"

const char *const ParameterSection = "模块设置";
const char *const BasicSection = "基本参数";
const char *const PortNumberKey = "串口号";
// A port named by a device path has no number; its name is kept beside the number.
const char *const PortNameKey = "串口名";
// A USB adapter's by-id link name, by which it is found again under whatever node it comes back.
const char *const PortIdentityKey = "串口标识";
const char *const WorkModeKey = "工作模式";
const char *const RestartKey = "超时重启";
const char *const LanguageKey = "语言";

std::string ParameterKey(int editNumber)
{
    return "In" + std::to_string(editNumber);
}

TParameterTexts DefaultParameterTexts()
{
    TParameterTexts texts;
    for (int i = 0; i < ParameterEditCount; ++i)
        texts[i] = QString::fromUtf8(ParameterDefaults[i]);
    return texts;
}

TParameterFile ReadParameterFile(const std::string &path)
{
    const platform::TIniFile ini(path);
    TParameterFile file;
    for (int n = 1; n <= ParameterEditCount; ++n)
        file.Edits[n - 1] = QString::fromStdString(ini.ReadString(ParameterSection, ParameterKey(n), ParameterDefaults[n - 1]));
    file.PortNumber = ini.ReadString(BasicSection, PortNumberKey, file.PortNumber);
    file.PortName = ini.ReadString(BasicSection, PortNameKey, file.PortName);
    file.PortIdentity = ini.ReadString(BasicSection, PortIdentityKey, file.PortIdentity);
    file.WorkMode = ini.ReadString(BasicSection, WorkModeKey, file.WorkMode);
    file.Restart = ini.ReadString(BasicSection, RestartKey, file.Restart);
    return file;
}

void WriteParameterFile(const std::string &path, const TParameterFile &file)
{
    const platform::TIniFile ini(path);
    for (int n = 1; n <= ParameterEditCount; ++n)
        ini.WriteString(ParameterSection, ParameterKey(n), file.Edits[n - 1].toStdString());
    WritePortKeys(path, file.PortNumber, file.PortName, file.PortIdentity);
    ini.WriteString(BasicSection, WorkModeKey, file.WorkMode);
    ini.WriteString(BasicSection, RestartKey, file.Restart);
}

void WritePortKeys(const std::string &path, const std::string &portNumber, const std::string &portName,
                   const std::string &portIdentity)
{
    const platform::TIniFile ini(path);
    ini.WriteString(BasicSection, PortNumberKey, portNumber);
    ini.WriteString(BasicSection, PortNameKey, portName);
    if (!portIdentity.empty() || ini.KeyLine(BasicSection, PortIdentityKey) != 0)
        ini.WriteString(BasicSection, PortIdentityKey, portIdentity);
}

std::optional<TUiLanguage> ReadLanguageKey(const std::string &path)
{
    return UiLanguageFromKeyValue(platform::TIniFile(path).ReadString(BasicSection, LanguageKey, ""));
}

void WriteLanguageKey(const std::string &path, TUiLanguage language)
{
    platform::TIniFile(path).WriteString(BasicSection, LanguageKey, std::string(UiLanguageKeyValue(language)));
}
