#include "app/messagebox.h"

#include <QMessageBox>

void ShowStopMessage(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void ShowInformation(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box.exec();
}
