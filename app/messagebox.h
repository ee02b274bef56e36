#pragma once
// The program's own message boxes: modal, with the stop icon and one OK button; they return when
// the user has closed them. Timers and socket events keep running meanwhile.
#include <QString>

class QWidget;

void ShowStopMessage(QWidget *parent, const QString &text, const QString &caption);
// The same with the information icon, for what the user should know but need not act on.
void ShowInformation(QWidget *parent, const QString &text, const QString &caption);
