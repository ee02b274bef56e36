#pragma once
// The application object: the last resort for errors that leave a handler. The message is shown in
// a modal error box with the program's title and the window stays usable.
#include <QApplication>
#include <exception>

// The program's name, in Chinese whatever the language; ProgramTitleText() in the language in force.
extern const char *const ProgramTitle;
QString ProgramTitleText();

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    static void ShowException(const std::exception &e);
};

// Runs a handler and reports an exception it raises like one that reaches notify(); handlers run
// inside the toolkit's signal emission, which must not be unwound.
template <typename F>
void ReportErrors(F &&handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        TApplication::ShowException(e);
    }
}
