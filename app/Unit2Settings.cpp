// The configuration window's settings: the program's settings file and parameter files.
#include "app/Unit2.h"

#include "core/convert.h"
#include "platform/sys/inifile.h"
#include "serial/zvcommdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>

namespace {

const std::string EditSection = "模块设置";
const std::string BasicSection = "基本参数";
const std::string PortNumberKey = "串口号";
// A port named by a device path has no number; its name is kept beside the number.
const std::string PortNameKey = "串口名";
const std::string WorkModeKey = "工作模式";
const std::string RestartKey = "超时重启";

std::string key(int number)
{
    return "In" + std::to_string(number);
}

int toInt(const std::string &text)
{
    return StrToInt(QString::fromStdString(text));
}

// Runs a modal file dialog with the window's filter and returns the chosen path, or empty.
QString choose(QFileDialog *dialog, QFileDialog::AcceptMode mode, const char *filterCaption)
{
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix("ini");
    dialog->setNameFilters({QString::fromUtf8(filterCaption) + " (*.V12)", QString::fromUtf8("所有文件 (*)")});
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().first();
}

} // namespace

void TForm2::LoadSettings(const std::string &path)
{
    const platform::TIniFile ini(path);
    for (int n = 1; n <= ParameterEditCount; ++n)
        edits_[n]->setText(QString::fromStdString(ini.ReadString(EditSection, key(n), ParameterDefaults[n - 1])));
    ZvCommDevice1->SetPortNo(toInt(ini.ReadString(BasicSection, PortNumberKey, "3")));
    const std::string portName = ini.ReadString(BasicSection, PortNameKey, "");
    if (!portName.empty())
        ZvCommDevice1->SetPortName(portName);
    const int mode = toInt(ini.ReadString(BasicSection, WorkModeKey, "0"));
    ComboBox1->setCurrentIndex(mode == 0 || mode == 1 ? mode : -1);
    showWorkModeBrackets(ComboBox1->currentIndex());
    CheckBox1->setChecked(toInt(ini.ReadString(BasicSection, RestartKey, "1")) != 0);
}

void TForm2::SaveSettings(const std::string &path)
{
    const platform::TIniFile ini(path);
    for (int n = 1; n <= ParameterEditCount; ++n)
        ini.WriteString(EditSection, key(n), edits_[n]->text().toStdString());
    savePort(path);
    ini.WriteString(BasicSection, WorkModeKey, std::to_string(ComboBox1->currentIndex()));
    ini.WriteString(BasicSection, RestartKey, CheckBox1->isChecked() ? "1" : "0");
}

void TForm2::savePort(const std::string &path)
{
    const platform::TIniFile ini(path);
    ini.WriteString(BasicSection, PortNumberKey, std::to_string(ZvCommDevice1->PortNo()));
    ini.WriteString(BasicSection, PortNameKey, ZvCommDevice1->PortName());
}

void TForm2::保存到文件Click()
{
    const QString path = choose(SaveDialog1, QFileDialog::AcceptSave, "V1.2红外模块配置数据保存");
    if (!path.isEmpty())
        SaveSettings(path.toStdString());
}

void TForm2::Button2Click()
{
    const QString path = choose(OpenDialog1, QFileDialog::AcceptOpen, "V1.2红外模块配置数据读取");
    if (!path.isEmpty())
        LoadSettings(path.toStdString());
}
