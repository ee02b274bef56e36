#pragma once
// The application object: the last resort for errors that leave a handler. The message is shown in
// a modal error box with the program's title and the window stays usable. It also makes Qt's own
// dialogs (file dialogs, message-box buttons) speak Chinese, as the program does, when Qt's
// translations are installed; without them they stay English.
#include <QApplication>
#include <QTranslator>
#include <exception>

extern const char *const ProgramTitle;

// The windows' texts are written in UTF-8 in the source.
inline QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    static void ShowException(const std::exception &e);

private:
    QTranslator qtTexts;
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
