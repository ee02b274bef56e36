#include "app/application.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/language.h"
#include "app/messagebox.h"

#include <QTimer>

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.SetConfigWindow(&form2);
    language::Apply(language::AtStart(form2.SettingsPath()));
    // The windows take the language before they are first seen.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    form1.show();
    if (form2.SettingsFolderIsNew()) {
        const QString text = form2.SettingsFolderNotice();
        QTimer::singleShot(0, &form1, [&form1, text] { ShowInformation(&form1, text, ProgramTitleText()); });
    }
    return app.exec();
}
