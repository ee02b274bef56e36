// The helpers that answer modal windows must end every exec() they meet: a window left open fails the
// test that raised it, with what it showed, and lets the test go on.
#include "support/uiwait.h"

#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A dialog whose OK button only raises a warning and stays open, as a handler that refuses the input.
class TStubbornDialog : public QDialog {
    Q_OBJECT
public:
    TStubbornDialog()
    {
        setWindowTitle("stubborn");
        auto *layout = new QVBoxLayout(this);
        Field = new QLineEdit(this);
        Ok = new QPushButton("OK", this);
        layout->addWidget(Field);
        layout->addWidget(Ok);
        QObject::connect(Ok, &QPushButton::clicked, this, [this] {
            QMessageBox box(QMessageBox::Warning, "refused", "the field is wrong", QMessageBox::Ok, this);
            box.exec();
        });
    }
    QLineEdit *Field;
    QPushButton *Ok;
};

// The failures the statement reports, kept from the test's own result.
template <typename F>
std::vector<std::string> FailuresOf(F statement)
{
    testing::TestPartResultArray results;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        statement();
    }
    std::vector<std::string> messages;
    for (int i = 0; i < results.size(); ++i)
        messages.push_back(results.GetTestPartResult(i).message());
    return messages;
}

bool Contains(const std::string &text, const char *part)
{
    return text.find(part) != std::string::npos;
}

TEST(ModalHelpers, AnAnswerThatLeavesTheDialogOpenFailsAndTheDialogIsClosed)
{
    TStubbornDialog dialog;
    int result = -1;
    const auto failures = FailuresOf([&] {
        testsupport::TModalResponder<TStubbornDialog> answer([](TStubbornDialog *d) { d->Field->setText("x"); });
        result = dialog.exec();
        EXPECT_TRUE(answer.Answered);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(Contains(failures[0], "\"stubborn\"")) << failures[0];
}

TEST(ModalHelpers, AWindowRaisedByTheAnswerIsClosedBeforeTheAnsweredOne)
{
    TStubbornDialog dialog;
    int result = -1;
    const auto failures = FailuresOf([&] {
        testsupport::TModalResponder<TStubbornDialog> answer([](TStubbornDialog *d) { testsupport::Click(d->Ok); });
        result = dialog.exec();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_TRUE(Contains(failures[0], "the field is wrong")) << failures[0];
    EXPECT_TRUE(Contains(failures[1], "\"stubborn\"")) << failures[1];
}

TEST(ModalHelpers, TheCatcherClosesMessageBoxesAndFailsOnOtherWindowsLeftOpen)
{
    TStubbornDialog dialog;
    int result = -1;
    testsupport::TModalCatcher boxes;
    const auto failures = FailuresOf([&] { result = dialog.exec(); });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(Contains(failures[0], "stubborn")) << failures[0];
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(ModalHelpers, TheWatchdogClosesAWindowNobodyAnswers)
{
    const testsupport::TModalWatchdog watchdog;
    QMessageBox box(QMessageBox::Question, "nobody", "is anyone there?");
    int result = -1;
    const auto failures = FailuresOf([&] { result = box.exec(); });
    EXPECT_NE(result, -1);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(Contains(failures[0], "is anyone there?")) << failures[0];
}

// Only a mouse click moves the focus to the button; a handler that looks at the focus sees the button.
TEST(ModalHelpers, AClickFocusesTheButtonAsTheMouseDoes)
{
    TStubbornDialog dialog;
    dialog.show();
    dialog.Field->setFocus();
    ASSERT_EQ(dialog.focusWidget(), dialog.Field);
    QWidget *focusedAtClick = nullptr;
    QObject::disconnect(dialog.Ok, nullptr, nullptr, nullptr);
    QObject::connect(dialog.Ok, &QPushButton::clicked, [&] { focusedAtClick = dialog.focusWidget(); });
    testsupport::Click(dialog.Ok);
    EXPECT_EQ(focusedAtClick, dialog.Ok);
}

} // namespace

#include "test_uiwait.moc"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
