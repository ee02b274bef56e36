// The configuration window's settings: the program's settings file and parameter files.
#include "app/Unit2.h"

#include "core/convert.h"
#include "core/parameterfile.h"
#include "serial/zvcommdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>

namespace {

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
    dialog->setNameFilters({QCoreApplication::translate("TForm2", filterCaption) + " (*.V12)",
                            QCoreApplication::translate("TForm2", "所有文件 (*)")});
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return dialog->selectedFiles().first();
}

} // namespace

void TForm2::LoadSettings(const std::string &path)
{
    const TParameterFile file = ReadParameterFile(path);
    for (int n = 1; n <= ParameterEditCount; ++n)
        edits_[n]->setText(file.Edits[n - 1]);
    ZvCommDevice1->SetPortNo(toInt(file.PortNumber));
    if (!file.PortName.empty())
        ZvCommDevice1->SetPortName(file.PortName);
    portIdentity_ = file.PortIdentity;
    portLost_ = false;
    followPort();
    const int mode = toInt(file.WorkMode);
    ComboBox1->setCurrentIndex(mode == 0 || mode == 1 ? mode : -1);
    showWorkModeBrackets(ComboBox1->currentIndex());
    CheckBox1->setChecked(toInt(file.Restart) != 0);
}

void TForm2::SaveSettings(const std::string &path)
{
    TParameterFile file;
    for (int n = 1; n <= ParameterEditCount; ++n)
        file.Edits[n - 1] = edits_[n]->text();
    file.PortNumber = std::to_string(ZvCommDevice1->PortNo());
    file.PortName = ZvCommDevice1->PortName();
    file.PortIdentity = portIdentity_;
    file.WorkMode = std::to_string(ComboBox1->currentIndex());
    file.Restart = CheckBox1->isChecked() ? "1" : "0";
    WriteParameterFile(path, file);
}

void TForm2::savePort(const std::string &path)
{
    WritePortKeys(path, std::to_string(ZvCommDevice1->PortNo()), ZvCommDevice1->PortName(), portIdentity_);
}

void TForm2::保存到文件Click()
{
    const QString path = choose(SaveDialog1, QFileDialog::AcceptSave, QT_TRANSLATE_NOOP("TForm2", "V1.2红外模块配置数据保存"));
    if (!path.isEmpty())
        SaveSettings(path.toStdString());
}

void TForm2::Button2Click()
{
    const QString path = choose(OpenDialog1, QFileDialog::AcceptOpen, QT_TRANSLATE_NOOP("TForm2", "V1.2红外模块配置数据读取"));
    if (!path.isEmpty())
        LoadSettings(path.toStdString());
}
