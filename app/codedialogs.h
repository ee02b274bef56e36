#pragma once
// The small dialogs of the code library: naming a code before it is saved, and picking codes from
// a list. They only collect the user's choice; the caller does the work.
#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TCodeSaveDialog : public QDialog {
    Q_OBJECT
public:
    explicit TCodeSaveDialog(QWidget *parent, const QString &protocolHint);

    QLineEdit *NameEdit;
    QLineEdit *RemoteEdit;
    QPlainTextEdit *NotesEdit;
    QPushButton *OkButton, *CancelButton;
    QLabel *NameLabel, *RemoteLabel, *NotesLabel, *ProtocolLabel;

    QString Name() const;
    QString Remote() const;
    QString Notes() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();
};

class TCodePickDialog : public QDialog {
    Q_OBJECT
public:
    // One row per entry; with several allowed, all rows start selected. The title is made again on
    // a change of language.
    TCodePickDialog(QWidget *parent, std::function<QString()> title, const QStringList &entries, bool several);

    QListWidget *List;
    QPushButton *OkButton, *CancelButton;

    // Picked rows in list order.
    std::vector<int> Picked() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    std::function<QString()> title;
};
