#include "app/keyfilter.h"

#include <QKeyEvent>
#include <QWidget>

void TKeyPressFilter::Attach(QWidget *edit)
{
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->installEventFilter(this);
}

bool TKeyPressFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::InputMethod)
        return true;
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    const QString text = key->text();
    return !text.isEmpty() && !handler_(text[0]);
}

bool IsDigitKey(QChar key)
{
    return (key >= u'0' && key <= u'9') || key.unicode() == 8 || key.unicode() == 13;
}
