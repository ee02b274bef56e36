#pragma once
// The application object: the last resort for errors that leave a handler. The message is shown in
// a modal error box with the program's title and the window stays usable.
#include <QApplication>
#include <exception>
#include <utility>

extern const char *const ProgramTitle;

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    static void ShowException(const std::exception &e);
};

// Wraps a handler so that an exception it raises is reported like one that reaches notify();
// signals are emitted from inside the toolkit, which must not be unwound.
template <typename F>
auto Guarded(F handler)
{
    return [handler = std::move(handler)](auto &&...args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception &e) {
            TApplication::ShowException(e);
        }
    };
}
