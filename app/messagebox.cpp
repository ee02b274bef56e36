#include "app/messagebox.h"

#include <QMessageBox>

void ShowStopMessage(QWidget *parent, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.exec();
}
