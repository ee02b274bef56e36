#include "app/application.h"

#include "serial/unitzvcommdevicesettings.h"

#include <QMessageBox>
#include <QWidget>

const char *const ProgramTitle = QT_TRANSLATE_NOOP("TApplication", "红外学习模块调试工具 V1.0");

QString ProgramTitleText()
{
    return QCoreApplication::translate("TApplication", ProgramTitle);
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(ProgramTitle));
    PelmComm::InstallCommDeviceSettingsDialog();
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
        return false;
    }
}

void TApplication::ShowException(const std::exception &e)
{
    QMessageBox::critical(QApplication::activeWindow(), ProgramTitleText(),
                          QString::fromUtf8(e.what()));
}
