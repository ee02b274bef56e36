#include "app/codedialogs.h"

#include "app/application.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QDialogButtonBox *okCancel(QDialog *dialog, QPushButton *&ok)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(u("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(u("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TCodeSaveDialog::TCodeSaveDialog(QWidget *parent, const QString &protocolHint) : QDialog(parent)
{
    setWindowTitle(u("保存到编码库"));
    auto *form = new QFormLayout;
    NameEdit = new QLineEdit(this);
    NameEdit->setAccessibleName(u("编码名称"));
    RemoteEdit = new QLineEdit(this);
    RemoteEdit->setAccessibleName(u("遥控器"));
    NotesEdit = new QPlainTextEdit(this);
    NotesEdit->setAccessibleName(u("备注"));
    NotesEdit->setFixedHeight(60);
    form->addRow(u("编码名称"), NameEdit);
    form->addRow(u("遥控器"), RemoteEdit);
    form->addRow(u("备注"), NotesEdit);
    if (!protocolHint.isEmpty())
        form->addRow(u("协议"), new QLabel(protocolHint, this));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this, OkButton));
    OkButton->setEnabled(false);
    connect(NameEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { OkButton->setEnabled(!text.trimmed().isEmpty()); });
}

QString TCodeSaveDialog::Name() const
{
    return NameEdit->text().simplified();
}

QString TCodeSaveDialog::Remote() const
{
    return RemoteEdit->text().simplified();
}

QString TCodeSaveDialog::Notes() const
{
    return NotesEdit->toPlainText();
}

TCodePickDialog::TCodePickDialog(QWidget *parent, const QString &title, const QStringList &entries, bool several)
    : QDialog(parent)
{
    setWindowTitle(title);
    List = new QListWidget(this);
    List->setAccessibleName(title);
    List->setUniformItemSizes(true);
    List->addItems(entries);
    List->setSelectionMode(several ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    if (several)
        List->selectAll();
    else if (!entries.isEmpty())
        List->setCurrentRow(0);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(List);
    layout->addWidget(okCancel(this, OkButton));
    connect(List, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(420, 360);
}

std::vector<int> TCodePickDialog::Picked() const
{
    std::vector<int> rows;
    for (int i = 0; i < List->count(); ++i) {
        if (List->item(i)->isSelected())
            rows.push_back(i);
    }
    return rows;
}
