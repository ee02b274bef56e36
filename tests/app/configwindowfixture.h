#pragma once
// The configuration window beside its main window, with the settings file in a temporary folder.
#include "app/Unit2.h"
#include "mainwindowfixture.h"
#include "serial/ptypair.h"
#include "serial/unitzvcommdevicesettings.h"
#include "support/uiwait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

// What the window wrote to the far end of a pseudo-terminal, n bytes.
inline QByteArray FarReadBytes(testing_serial::PtyPair &pty, size_t n)
{
    const std::vector<uint8_t> got = pty.FarRead(n);
    return QByteArray(reinterpret_cast<const char *>(got.data()), static_cast<qsizetype>(got.size()));
}

class ConfigWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        form2 = std::make_unique<TForm2>(form.get());
        form2->SetSettingsPath(Path(TForm2::SettingsFileName));
    }
    void TearDown() override
    {
        form2.reset();
        MainWindowTest::TearDown();
    }

    std::string Path(const std::string &name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    // "串口选择", a path typed into the dialog's port field and OK; true once the dialog was answered.
    bool ChoosePortInDialog(const std::string &path)
    {
        testsupport::TModalResponder<PelmComm::TForm_ZvCommDevice_Settings> answer(
            [&](PelmComm::TForm_ZvCommDevice_Settings *dialog) {
                dialog->CbPort->setEditText(QString::fromStdString(path));
                testsupport::Click(dialog->BnOK);
            });
        testsupport::Click(form2->ButtonSet1);
        return answer.Answered;
    }
    std::string SettingsText() const
    {
        std::ifstream in(form2->SettingsPath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    QTemporaryDir dir{QDir::tempPath() + "/irtool-test-XXXXXX"};
    std::unique_ptr<TForm2> form2;
};
