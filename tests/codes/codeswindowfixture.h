#pragma once
// A main window whose code library lives in a temporary folder, with helpers that answer the
// library's dialogs as a user would.
#include "app/Unit1.h"
#include "app/channelchart.h"
#include "app/codedialogs.h"
#include "app/codesui.h"
#include "core/codelibrary.h"

#include "support/uiwait.h"

#include <QFile>
#include <QFileDialog>

#include "support/filedialog.h"
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A module's answer to learn: one short code on channel 1.
inline const QByteArray Reply = QByteArray::fromHex("FF0C00FD038701C33838AA3838383838" "16");

inline QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

class CodesWindowTest : public ::testing::Test {
protected:
    static constexpr int Patience = 15000; // ms; generous, the machine is shared

    CodesWindowTest()
    {
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        newWindow();
    }

    // A new window, as after a restart of the program.
    void newWindow()
    {
        form.reset();
        form = std::make_unique<TForm1>();
        form->Timer2->setInterval(400);
    }

    QString libraryPath() const { return dir.path() + "/irtool/codes.txt"; }

    QString writeFile(const QString &name, const QByteArray &text) const
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }

    QStringList logLines() const
    {
        QStringList lines = form->Memo1->toPlainText().split(u'\n');
        lines.removeLast();
        return lines;
    }

    // Triggers an action of a channel's context menu by its text.
    void channelAction(int channel, const char *text)
    {
        for (QAction *a : form->Codes->ChannelMenu(channel)->actions()) {
            if (a->text() == u8(text)) {
                a->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no action " << text;
    }

    bool waitIdle() { return QTest::qWaitFor([&] { return !form->Codes->Busy(); }, Patience); }

    static bool waitAnswered(const bool &answered) { return QTest::qWaitFor([&] { return answered; }, Patience); }

    // Answers the next file dialog with the path (and the format's filter when given).
    static std::unique_ptr<testsupport::TModalResponder<QFileDialog>> chooseFile(const QString &path,
                                                                                   const QString &filter = {})
    {
        return std::make_unique<testsupport::TModalResponder<QFileDialog>>([=](QFileDialog *d) {
            if (!filter.isEmpty())
                d->selectNameFilter(filter);
            testsupport::TypeFileName(d, path);
        });
    }

    // Answers the next pick dialog with the given rows.
    static std::unique_ptr<testsupport::TModalResponder<TCodePickDialog>> pickRows(std::vector<int> rows)
    {
        return std::make_unique<testsupport::TModalResponder<TCodePickDialog>>([=](TCodePickDialog *d) {
            d->List->clearSelection();
            for (int r : rows)
                d->List->item(r)->setSelected(true);
            QTest::mouseClick(d->OkButton, Qt::LeftButton);
        });
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
};
