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

// The buttons' texts are set by the dialog's retranslation, with its own.
QDialogButtonBox *okCancel(QDialog *dialog, QPushButton *&ok)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    ok = buttons->button(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TCodeSaveDialog::TCodeSaveDialog(QWidget *parent, const QString &protocolHint) : QDialog(parent)
{
    auto *form = new QFormLayout;
    NameEdit = new QLineEdit(this);
    RemoteEdit = new QLineEdit(this);
    NotesEdit = new QPlainTextEdit(this);
    NotesEdit->setFixedHeight(60);
    form->addRow(NameLabel = new QLabel(this), NameEdit);
    form->addRow(RemoteLabel = new QLabel(this), RemoteEdit);
    form->addRow(NotesLabel = new QLabel(this), NotesEdit);
    ProtocolLabel = new QLabel(this);
    if (protocolHint.isEmpty())
        ProtocolLabel->hide();
    else
        form->addRow(ProtocolLabel, new QLabel(protocolHint, this));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this, OkButton));
    CancelButton = qobject_cast<QDialogButtonBox *>(OkButton->parent())->button(QDialogButtonBox::Cancel);
    retranslateUi();
    OkButton->setEnabled(false);
    connect(NameEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { OkButton->setEnabled(!text.trimmed().isEmpty()); });
}

void TCodeSaveDialog::retranslateUi()
{
    setWindowTitle(tr("保存到编码库"));
    NameLabel->setText(tr("编码名称"));
    NameEdit->setAccessibleName(NameLabel->text());
    RemoteLabel->setText(tr("遥控器"));
    RemoteEdit->setAccessibleName(RemoteLabel->text());
    NotesLabel->setText(tr("备注"));
    NotesEdit->setAccessibleName(NotesLabel->text());
    ProtocolLabel->setText(tr("协议"));
    OkButton->setText(tr("确定"));
    CancelButton->setText(tr("取消"));
}

void TCodeSaveDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
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

TCodePickDialog::TCodePickDialog(QWidget *parent, std::function<QString()> title, const QStringList &entries,
                                 bool several)
    : QDialog(parent), title(std::move(title))
{
    List = new QListWidget(this);
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
    CancelButton = qobject_cast<QDialogButtonBox *>(OkButton->parent())->button(QDialogButtonBox::Cancel);
    retranslateUi();
    connect(List, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(420, 360);
}

void TCodePickDialog::retranslateUi()
{
    setWindowTitle(title());
    List->setAccessibleName(windowTitle());
    OkButton->setText(TCodeSaveDialog::tr("确定"));
    CancelButton->setText(TCodeSaveDialog::tr("取消"));
}

void TCodePickDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
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
