#include "app/Unit2.h"

#include "app/Unit1.h"

TForm2::TForm2(TForm1 *mainForm, QWidget *parent) : QDialog(parent), Form1(mainForm)
{
    setWindowTitle(QString::fromUtf8("模块参数设置"));
    setFixedSize(700, 520);
}
