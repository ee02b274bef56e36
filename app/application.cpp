#include "app/application.h"

#include "serial/unitzvcommdevicesettings.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QWidget>

const char *const ProgramTitle = "红外学习模块调试工具 V1.0";

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(ProgramTitle));
    if (qtTexts.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&qtTexts);
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
    QMessageBox::critical(QApplication::activeWindow(), QString::fromUtf8(ProgramTitle),
                          QString::fromUtf8(e.what()));
}
