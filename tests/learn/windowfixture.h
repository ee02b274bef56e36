#pragma once
// A main window for the learn and emit tests, with helpers to read its log and wait for events.
#include "app/Unit1.h"
#include "app/channelchart.h"
#include "support/uiwait.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

class LearnWindowTest : public ::testing::Test {
protected:
    static constexpr int Patience = 15000; // ms; generous, the machine is shared

    LearnWindowTest()
    {
        // A generous quiet gap, so that a slow machine cannot cut one reply in two; tests of the
        // gathering send their pieces well within it.
        form.Timer2->setInterval(400);
    }

    // The log's lines; each ends with a line break.
    QStringList logLines() const
    {
        QStringList lines = form.Memo1->toPlainText().split(u'\n');
        lines.removeLast();
        return lines;
    }

    int logLineCount() const { return static_cast<int>(logLines().size()); }

    // The log lines written since the log held the given count of lines.
    QStringList logSince(int lines) const { return logLines().mid(lines); }

    // Feeds a reply as the read path would leave it and processes it.
    void process(const QString &accumulated)
    {
        form.Edit4->setText(accumulated);
        form.Timer2Timer();
    }

    template <typename Predicate>
    static bool waitFor(Predicate predicate)
    {
        return QTest::qWaitFor(predicate, Patience);
    }

    TForm1 form;
};
