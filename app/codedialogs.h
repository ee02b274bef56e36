#pragma once
// The small dialogs of the code library: naming a code before it is saved, and picking codes from
// a list. They only collect the user's choice; the caller does the work.
#include <QDialog>

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
    QPushButton *OkButton;

    QString Name() const;
    QString Remote() const;
    QString Notes() const;
};

class TCodePickDialog : public QDialog {
    Q_OBJECT
public:
    // One row per entry; with several allowed, all rows start selected.
    TCodePickDialog(QWidget *parent, const QString &title, const QStringList &entries, bool several);

    QListWidget *List;
    QPushButton *OkButton;

    // Picked rows in list order.
    std::vector<int> Picked() const;
};
