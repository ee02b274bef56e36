#pragma once
// Answering a file dialog as a user does: the path typed into its file name field and Return pressed.
// QFileDialog::selectFile() leaves the field alone while it has the focus, so a test that relies on it
// passes or fails with the timing of the focus.
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

namespace testsupport {

inline void TypeFileName(QFileDialog *dialog, const QString &path)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!edit) {
        ADD_FAILURE() << "the file dialog has no file name field";
        dialog->QDialog::done(QDialog::Rejected);
        return;
    }
    edit->setFocus();
    edit->selectAll();
    edit->insert(path);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace testsupport
