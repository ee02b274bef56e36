// Qt's own dialogs speak Chinese in the Chinese program: the file dialog of "导入…" and the buttons
// of a message box the program raises.
#include "codeswindowfixture.h"

#include "app/language.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>

namespace {

TEST_F(CodesWindowTest, QtDialogsSpeakChinese)
{
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm";
    if (!QFileInfo::exists(translations))
        GTEST_SKIP() << translations.toStdString()
                     << " is missing (Debian package qt6-translations-l10n; ./build.sh installs it)";
    language::Apply(TUiLanguage::Chinese);

    QString lookIn, fileName, cancel;
    testsupport::TModalResponder<QFileDialog> files([&](QFileDialog *d) {
        if (auto *label = d->findChild<QLabel *>("lookInLabel"))
            lookIn = label->text();
        if (auto *label = d->findChild<QLabel *>("fileNameLabel"))
            fileName = label->text();
        if (auto *buttons = d->findChild<QDialogButtonBox *>("buttonBox"))
            cancel = buttons->button(QDialogButtonBox::Cancel)->text();
        d->reject();
    });
    channelAction(1, "导入…");
    ASSERT_TRUE(waitAnswered(files.Answered));
    EXPECT_TRUE(lookIn.startsWith(u8("查找范围"))) << lookIn.toStdString();
    EXPECT_TRUE(fileName.startsWith(u8("文件名"))) << fileName.toStdString();
    EXPECT_EQ(cancel, u8("取消"));

    // Nothing on the channel and nothing in the library: the program says so in a message box.
    QString ok;
    testsupport::TModalResponder<QMessageBox> box([&](QMessageBox *b) {
        ok = b->button(QMessageBox::Ok)->text();
        QTest::mouseClick(b->button(QMessageBox::Ok), Qt::LeftButton);
    });
    channelAction(1, "导出…");
    ASSERT_TRUE(waitAnswered(box.Answered));
    EXPECT_EQ(ok, u8("确定"));
}

} // namespace
