#include "app/codesui.h"

#include "app/Unit1.h"
#include "app/application.h"
#include "app/channelchart.h"
#include "app/codedialogs.h"
#include "app/messagebox.h"
#include "core/formats/codeformats.h"
#include "core/hextext.h"
#include "core/protocols/protocols.h"

#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace {

QString entryText(const TCodeRecord &r)
{
    QString text = r.Name;
    if (!r.Remote.isEmpty())
        text += QStringLiteral("  —  ") + r.Remote;
    if (!r.Protocol.isEmpty())
        text += QStringLiteral("  (") + r.Protocol + u')';
    return text;
}

QStringList entries(const std::vector<TCodeRecord> &records)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(records.size()));
    for (const TCodeRecord &r : records)
        list << entryText(r);
    return list;
}

QString pickFile(QWidget *parent, bool save, const QString &title, const QStringList &filters, QString *filter)
{
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (filter)
        *filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

QStringList formatFilters()
{
    QStringList filters;
    for (const TFormatInfo &f : CodeFormats())
        if (f.Exports)
            filters << FormatFilter(f.Format);
    return filters;
}

// The list texts are made on the worker thread too: for a large library they take a while.
struct TListedLibrary {
    TLibraryRead Library;
    QStringList Entries;
};

TListedLibrary listLibrary(const QString &path)
{
    TListedLibrary listed{LoadCodeLibrary(path), {}};
    listed.Entries = entries(listed.Library.Records);
    return listed;
}

// What an export offers: the library, and the record the channel's code was loaded from or saved
// as, whose name the exported code then keeps.
struct TExportChoice {
    TListedLibrary Listed;
    std::optional<TCodeRecord> ChannelRecord;
};

TExportChoice exportChoice(const QString &path, const QString &channelHex)
{
    TExportChoice choice{listLibrary(path), std::nullopt};
    if (const TCodeRecord *r = RecordOfReply(choice.Listed.Library.Records, HexTextToBytes(channelHex, THexParse::Lenient)))
        choice.ChannelRecord = *r;
    return choice;
}

struct TListedImport {
    TImport In;
    QStringList Entries;
};

struct TLibraryChange {
    QString Error;
    size_t Count = 0;
};

// Reads the library, adds the records and saves it; a library that cannot be read is left alone,
// so that a bad file is never replaced by one holding only the new records.
TLibraryChange addToLibrary(const QString &path, const std::vector<TCodeRecord> &records)
{
    TLibraryChange change;
    TLibraryRead library = LoadCodeLibrary(path);
    if (!library.Ok()) {
        change.Error = library.Error + TCodesUi::tr("\n编码库未改动。");
        return change;
    }
    for (const TCodeRecord &r : records)
        PutRecord(library.Records, r);
    change.Error = SaveCodeLibrary(path, library.Records);
    change.Count = library.Records.size();
    return change;
}

} // namespace

TCodesUi::TCodesUi(TForm1 *owner) : QObject(owner), LibraryPath(DefaultCodeLibraryPath()), form(owner)
{
    Menu = form->menuBar()->addMenu(QString());
    SaveAction = Menu->addAction(QString());
    LoadAction = Menu->addAction(QString());
    ImportAction = Menu->addAction(QString());
    ExportAction = Menu->addAction(QString());
    Menu->addSeparator();
    OpenAction = Menu->addAction(QString());
    SaveAsAction = Menu->addAction(QString());
    auto selected = [this] { return form->Chart1->SelectedChannel(); };
    connect(SaveAction, &QAction::triggered, this, [=, this] { ReportErrors([&] { SaveToLibrary(selected()); }); });
    connect(LoadAction, &QAction::triggered, this, [=, this] { ReportErrors([&] { LoadFromLibrary(selected()); }); });
    connect(ImportAction, &QAction::triggered, this, [=, this] { ReportErrors([&] { Import(selected()); }); });
    connect(ExportAction, &QAction::triggered, this, [=, this] { ReportErrors([&] { Export(selected()); }); });
    connect(OpenAction, &QAction::triggered, this, [this] { ReportErrors([&] { OpenLibrary(); }); });
    connect(SaveAsAction, &QAction::triggered, this, [this] { ReportErrors([&] { SaveLibraryAs(); }); });

    // The channels' context menus hang in this menu too: a popup opened on a control is a window
    // of its own, which assistive technology finds from the main window only through a menu.
    Menu->addSeparator();
    for (int c = 1; c <= 4; ++c) {
        channelMenus.at(c - 1) = makeChannelMenu(c);
        Menu->addMenu(channelMenus.at(c - 1));
        attachContextMenu(form->Chart1->RadioButton(c), c);
        attachContextMenu(form->Chart1->EmitButton(c), c);
    }
}

TCodesUi::~TCodesUi()
{
    for (const std::shared_ptr<std::thread> &t : running)
        t->join();
}

QMenu *TCodesUi::makeChannelMenu(int channel)
{
    auto *menu = new QMenu(form);
    connect(menu->addAction(QString()), &QAction::triggered, this,
            [=, this] { ReportErrors([&] { SaveToLibrary(channel); }); });
    connect(menu->addAction(QString()), &QAction::triggered, this,
            [=, this] { ReportErrors([&] { LoadFromLibrary(channel); }); });
    connect(menu->addAction(QString()), &QAction::triggered, this, [=, this] { ReportErrors([&] { Import(channel); }); });
    connect(menu->addAction(QString()), &QAction::triggered, this, [=, this] { ReportErrors([&] { Export(channel); }); });
    return menu;
}

void TCodesUi::Retranslate()
{
    const char *const items[] = {QT_TR_NOOP("保存到编码库…"), QT_TR_NOOP("从编码库载入…"), QT_TR_NOOP("导入…"),
                                 QT_TR_NOOP("导出…")};
    Menu->setTitle(tr("编码"));
    const QList<QAction *> actions = {SaveAction, LoadAction, ImportAction, ExportAction};
    for (int k = 0; k < 4; ++k)
        actions[k]->setText(tr(items[k]));
    OpenAction->setText(tr("打开编码库…"));
    SaveAsAction->setText(tr("编码库另存为…"));
    for (int c = 1; c <= 4; ++c) {
        QMenu *menu = ChannelMenu(c);
        menu->setTitle(tr("%1 通道编码").arg(c));
        menu->setAccessibleName(menu->title());
        for (int k = 0; k < 4; ++k)
            menu->actions().at(k)->setText(tr(items[k]));
    }
}

// Attached to the control itself, wherever its parent is.
void TCodesUi::attachContextMenu(QWidget *control, int channel)
{
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this,
            [=, this](const QPoint &at) { ChannelMenu(channel)->popup(control->mapToGlobal(at)); });
}

template <typename R>
void TCodesUi::inBackground(std::function<R()> work, std::function<void(R)> done)
{
    setBusy(true);
    auto result = std::make_shared<R>();
    auto job = std::make_shared<std::thread>();
    running.push_back(job);
    // The result is taken only after the join, which orders the worker's writes before the reads.
    // A window closed mid-job joins it in its destructor, and the posted call is then dropped.
    *job = std::thread([this, work, result, job, done] {
        *result = work();
        QMetaObject::invokeMethod(
            this,
            [this, job, result, done] {
                job->join();
                std::erase(running, job);
                setBusy(false);
                ReportErrors([&] { done(std::move(*result)); });
            },
            Qt::QueuedConnection);
    });
}

void TCodesUi::setBusy(bool on)
{
    busy = on;
    for (QAction *a : Menu->actions())
        a->setEnabled(!on);
    for (QMenu *m : channelMenus) {
        for (QAction *a : m->actions())
            a->setEnabled(!on);
    }
}

void TCodesUi::report(const QString &text)
{
    ShowStopMessage(form, text, tr("提示信息"));
}

void TCodesUi::SaveToLibrary(int channel)
{
    const QString hex = form->Chart1->ChannelCode(channel);
    if (hex.isEmpty()) {
        form->AddLogLine(QString());
        form->AddLogLine(tr("没有红外数据......"));
        return;
    }
    TCodeRecord record;
    record.Code = CodeFromReply(HexTextToBytes(hex, THexParse::Lenient));
    record.Protocol = ProtocolHint(record.Code.DurationsUs);
    TCodeSaveDialog dialog(form, record.Protocol);
    if (dialog.exec() != QDialog::Accepted)
        return;
    record.Name = dialog.Name();
    record.Remote = dialog.Remote();
    record.Notes = dialog.Notes();
    const QString path = LibraryPath;
    inBackground<TLibraryChange>([path, record] { return addToLibrary(path, {record}); },
                                 [this, record](TLibraryChange change) {
                                     if (!change.Error.isEmpty()) {
                                         report(change.Error);
                                         return;
                                     }
                                     form->AddLogLine(QString());
                                     form->AddLogLine(tr("已保存到编码库：%1......").arg(record.Name));
                                 });
}

void TCodesUi::LoadFromLibrary(int channel)
{
    const QString path = LibraryPath;
    inBackground<TListedLibrary>([path] { return listLibrary(path); }, [this, channel](TListedLibrary listed) {
        const TLibraryRead &library = listed.Library;
        if (!library.Ok()) {
            report(library.Error);
            return;
        }
        if (library.Records.empty()) {
            report(tr("编码库 %1 中没有编码").arg(LibraryPath));
            return;
        }
        TCodePickDialog dialog(form, [channel] { return tr("从编码库载入 %1 通道").arg(channel); }, listed.Entries, false);
        if (dialog.exec() != QDialog::Accepted || dialog.Picked().empty())
            return;
        form->LoadCode(channel, library.Records.at(static_cast<size_t>(dialog.Picked().front())).Code);
    });
}

void TCodesUi::Import(int channel)
{
    const QString file = pickFile(form, false, tr("导入编码"), QStringList{ImportFileFilter(), tr("所有文件 (*)")},
                                  nullptr);
    if (file.isEmpty())
        return;
    inBackground<TListedImport>([file] {
        TListedImport listed{ImportCodeFile(file), {}};
        listed.Entries = entries(listed.In.Records);
        return listed;
    }, [this, channel, file](TListedImport listed) {
        const TImport &in = listed.In;
        if (!in.Ok()) {
            report(in.Error);
            return;
        }
        if (!in.Refused.empty()) {
            form->AddLogLine(QString());
            form->AddLogLine(tr("%1 中有 %2 条记录未导入......").arg(file).arg(in.Refused.size()));
        }
        for (const TRefusal &refused : in.Refused)
            form->AddLogLine(tr("未导入：") + refused.Text());
        if (in.Records.empty()) {
            report(tr("文件中没有可导入的编码：\n") + RefusalsText(in.Refused));
            return;
        }
        TCodePickDialog dialog(form, [] { return tr("导入到编码库"); }, listed.Entries, true);
        if (dialog.exec() != QDialog::Accepted || dialog.Picked().empty())
            return;
        std::vector<TCodeRecord> picked;
        for (int row : dialog.Picked())
            picked.push_back(in.Records.at(static_cast<size_t>(row)));
        const QString path = LibraryPath;
        inBackground<TLibraryChange>([path, picked] { return addToLibrary(path, picked); },
                                     [this, channel, picked](TLibraryChange change) {
                                         if (!change.Error.isEmpty()) {
                                             report(change.Error);
                                             return;
                                         }
                                         form->AddLogLine(QString());
                                         form->AddLogLine(tr("导入 %1 个编码到编码库......").arg(picked.size()));
                                         // One code picked is one the user means to send now.
                                         if (picked.size() == 1)
                                             form->LoadCode(channel, picked.front().Code);
                                     });
    });
}

void TCodesUi::Export(int channel)
{
    const QString path = LibraryPath;
    const QString hex = form->Chart1->ChannelCode(channel);
    inBackground<TExportChoice>([path, hex] { return exportChoice(path, hex); }, [this, channel, hex](TExportChoice choice) {
        const TListedLibrary &listed = choice.Listed;
        const TLibraryRead &library = listed.Library;
        if (!library.Ok()) {
            report(library.Error);
            return;
        }
        std::vector<TCodeRecord> records;
        QStringList texts;
        if (!hex.isEmpty()) {
            TCodeRecord current = choice.ChannelRecord.value_or(TCodeRecord());
            current.Code = CodeFromReply(HexTextToBytes(hex, THexParse::Lenient));
            const QString place = tr("%1 通道").arg(channel);
            if (current.Name.isEmpty())
                current.Name = place;
            records.push_back(current);
            texts << (choice.ChannelRecord ? place + tr("：") + entryText(current) : entryText(current));
        }
        records.insert(records.end(), library.Records.begin(), library.Records.end());
        texts += listed.Entries;
        if (records.empty()) {
            report(tr("没有可导出的编码：通道和编码库都是空的"));
            return;
        }
        TCodePickDialog dialog(form, [] { return tr("导出编码"); }, texts, true);
        if (!hex.isEmpty()) {
            dialog.List->clearSelection();
            dialog.List->item(0)->setSelected(true);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.Picked().empty())
            return;
        std::vector<TCodeRecord> picked;
        for (int row : dialog.Picked())
            picked.push_back(records.at(static_cast<size_t>(row)));
        exportRecords(picked, picked.front().Remote);
    });
}

void TCodesUi::exportRecords(const std::vector<TCodeRecord> &records, const QString &remote)
{
    QString filter;
    const QString file = pickFile(form, true, tr("导出编码"), formatFilters(), &filter);
    if (file.isEmpty())
        return;
    const TExportTarget target = ExportTarget(file, FormatOfFilter(filter).value_or(TCodeFormat::IrFile));
    const TExport out = ExportCodes(target.Format, records, remote.isEmpty() ? QStringLiteral("irtool") : remote);
    if (!out.Error.isEmpty()) {
        report(out.Error);
        return;
    }
    if (const QString error = WriteCodeFile(target.Path, out.Text); !error.isEmpty()) {
        report(error);
        return;
    }
    form->AddLogLine(QString());
    form->AddLogLine(
        tr("已导出 %1 个编码（%2）到 %3......").arg(records.size()).arg(FormatName(target.Format), target.Path));
    if (!out.Note.isEmpty())
        form->AddLogLine(out.Note + QStringLiteral("......"));
}

void TCodesUi::OpenLibrary()
{
    const QString file = pickFile(form, false, tr("打开编码库"), QStringList{tr("编码库 (*.txt)"), tr("所有文件 (*)")}, nullptr);
    if (file.isEmpty())
        return;
    inBackground<TLibraryRead>([file] { return LoadCodeLibrary(file); }, [this, file](TLibraryRead library) {
        if (!library.Ok()) {
            report(library.Error);
            return;
        }
        LibraryPath = file;
        form->AddLogLine(QString());
        form->AddLogLine(tr("编码库：%1，%2 个编码......").arg(file).arg(library.Records.size()));
    });
}

void TCodesUi::SaveLibraryAs()
{
    const QString file = pickFile(form, true, tr("编码库另存为"), QStringList{tr("编码库 (*.txt)")}, nullptr);
    if (file.isEmpty())
        return;
    const QString from = LibraryPath;
    inBackground<TLibraryChange>(
        [from, file] {
            TLibraryChange change;
            const TLibraryRead library = LoadCodeLibrary(from);
            change.Error = library.Ok() ? SaveCodeLibrary(file, library.Records) : library.Error;
            change.Count = library.Records.size();
            return change;
        },
        [this, file](TLibraryChange change) {
            if (!change.Error.isEmpty()) {
                report(change.Error);
                return;
            }
            LibraryPath = file;
            form->AddLogLine(QString());
            form->AddLogLine(tr("编码库：%1，%2 个编码......").arg(file).arg(change.Count));
        });
}
