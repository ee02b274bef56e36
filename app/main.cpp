#include "app/application.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/messagebox.h"

#include <QTimer>

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.SetConfigWindow(&form2);
    form1.show();
    if (form2.SettingsFolderIsNew()) {
        const QString text = QString::fromUtf8("程序所在的文件夹不能写入，设置文件保存在：\n") +
                             QString::fromStdString(form2.SettingsPath());
        QTimer::singleShot(0, &form1, [&form1, text] { ShowInformation(&form1, text, QString::fromUtf8(ProgramTitle)); });
    }
    return app.exec();
}
