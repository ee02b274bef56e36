#include "app/application.h"
#include "app/Unit1.h"
#include "app/Unit2.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TForm1 form1;
    TForm2 form2(&form1);
    form1.SetConfigWindow(&form2);
    form1.show();
    return app.exec();
}
