#pragma once
// Closes every modal window a handler opens and records what it showed, so that tests can drive
// handlers that ask the user something. Polls while the handler's modal loop runs.
#include <QApplication>
#include <QDialog>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

struct TSeenModal {
    QString Caption;
    QString Text;                               // the message of a message box, else empty
    QMessageBox::Icon Icon = QMessageBox::NoIcon; // likewise
};

class TModalCloser : public QObject {
public:
    explicit TModalCloser(int intervalMs = 20)
    {
        timer.setInterval(intervalMs);
        connect(&timer, &QTimer::timeout, this, &TModalCloser::closeModal);
        timer.start();
    }

    const QList<TSeenModal> &Seen() const { return seen; }

private:
    void closeModal()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w)
            return;
        TSeenModal m{w->windowTitle(), QString(), QMessageBox::NoIcon};
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            m.Text = box->text();
            m.Icon = box->icon();
        }
        seen.append(m);
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else
            w->close();
    }

    QTimer timer;
    QList<TSeenModal> seen;
};
