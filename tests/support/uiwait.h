#pragma once
// Helpers for tests that drive real widgets: waiting on the event loop with generous margins, and
// answering the modal message boxes a handler raises.
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace testsupport {

// Runs the event loop until cond holds or timeoutMs passed; returns cond's last value.
inline bool WaitFor(const std::function<bool()> &cond, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

struct TShownBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon;
};

// While alive, closes every modal message box that appears and records what it said.
class TModalCatcher {
public:
    TModalCatcher()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            Boxes.push_back({box->windowTitle(), box->text(), box->icon()});
            box->done(QMessageBox::Ok);
        });
        timer_.start();
    }

    std::vector<TShownBox> Boxes;

private:
    QTimer timer_;
};

// Answers the first modal window of type T that appears, once, with the given action.
template <typename T>
class TModalResponder {
public:
    explicit TModalResponder(std::function<void(T *)> action) : action_(std::move(action))
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            T *modal = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible())
                return;
            timer_.stop();
            Answered = true;
            action_(modal);
        });
        timer_.start();
    }

    bool Answered = false;

private:
    std::function<void(T *)> action_;
    QTimer timer_;
};

} // namespace testsupport
