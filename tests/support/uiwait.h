#pragma once
// Helpers for tests that drive real widgets: waiting on the event loop with generous margins, pressing
// buttons as a user does, and answering the modal windows a handler raises without ever hanging on one.
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// How long a modal window may stay open after a helper answered it; far beyond what closing takes on a
// loaded machine, far below the executable's time-out.
inline constexpr int ModalDeadlineMs = 5000;

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

// A left click in the middle of the widget: the button takes the focus first, as under the mouse.
inline void Click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// The title and the texts a window shows, for a failure message.
inline std::string Describe(QWidget *window)
{
    QString seen = QString::fromUtf8("\"%1\" (%2)").arg(window->windowTitle(), window->metaObject()->className());
    if (auto *box = qobject_cast<QMessageBox *>(window))
        seen += QString::fromUtf8(": ") + box->text();
    else
        for (QLabel *label : window->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                seen += QString::fromUtf8(" | ") + label->text();
    return seen.toStdString();
}

// Fails the running test with what the modal window showed and ends its exec(). The base class's
// done() is called so that no override can keep the window open.
inline void CloseStuckModal(QWidget *modal, const std::string &why)
{
    ADD_FAILURE() << why << ": " << Describe(modal);
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->QDialog::done(QDialog::Rejected);
    else
        modal->close();
}

inline QWidget *ActiveModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}

struct TShownBox {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon;
};

// While alive, closes every modal message box that appears and records what it said. Any other modal
// window that stays open past the deadline is closed and fails the test.
class TModalCatcher {
public:
    TModalCatcher()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    std::vector<TShownBox> Boxes;

private:
    void Poll()
    {
        QWidget *modal = ActiveModal();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            Boxes.push_back({box->windowTitle(), box->text(), box->icon()});
            box->done(QMessageBox::Ok);
            return;
        }
        if (modal != other_) {
            other_ = modal;
            since_ = QDeadlineTimer(ModalDeadlineMs);
        } else if (modal && since_.hasExpired()) {
            CloseStuckModal(modal, "a modal window nobody answers stayed open");
        }
    }

    QPointer<QWidget> other_;
    QDeadlineTimer since_;
    QTimer timer_;
};

// Answers the first modal window of type T that appears, once, with the given action. When the window
// is still open past the deadline after the action, it closes the modal windows left (innermost first)
// and fails the test, so that the exec() that shows it returns.
template <typename T>
class TModalResponder {
public:
    explicit TModalResponder(std::function<void(T *)> action) : action_(std::move(action))
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    bool Answered = false;

private:
    void Poll()
    {
        if (!Answered) {
            T *modal = qobject_cast<T *>(ActiveModal());
            if (!modal)
                return;
            Answered = true;
            answered_ = modal;
            deadline_ = QDeadlineTimer(ModalDeadlineMs);
            // Posted, not called: should the action block in a window of its own, this timer must
            // still fire, and Qt does not fire a timer again while its handler runs.
            QTimer::singleShot(0, &timer_, [this] {
                if (answered_)
                    action_(answered_.data());
            });
            return;
        }
        if (!answered_ || !answered_->isVisible()) {
            timer_.stop();
            return;
        }
        if (!deadline_.hasExpired())
            return;
        QWidget *modal = ActiveModal();
        CloseStuckModal(modal ? modal : answered_.data(), "the answer did not close the modal window");
    }

    std::function<void(T *)> action_;
    QPointer<T> answered_;
    QDeadlineTimer deadline_;
    QTimer timer_;
};

// For the whole test run: a modal window that stays open in its exec() past twice the deadline, when
// no helper answers it, is closed and fails the test that raised it, instead of hanging the executable
// until its time-out.
class TModalWatchdog {
public:
    TModalWatchdog()
    {
        timer_.setInterval(100);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

private:
    void Poll()
    {
        QWidget *modal = ActiveModal();
        if (modal != seen_) {
            seen_ = modal;
            since_ = QDeadlineTimer(2 * ModalDeadlineMs);
            return;
        }
        // Only a window inside its own event loop can hang a test; one merely shown cannot.
        if (modal && since_.hasExpired() && QThread::currentThread()->loopLevel() > 0)
            CloseStuckModal(modal, "a modal window stayed open with nobody to answer it");
    }

    QPointer<QWidget> seen_;
    QDeadlineTimer since_;
    QTimer timer_;
};

} // namespace testsupport
