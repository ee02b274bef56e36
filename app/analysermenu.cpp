#include "app/analysermenu.h"

#include "app/Unit1.h"
#include "app/application.h"
#include "app/channelchart.h"
#include "app/chartexport.h"
#include "core/codecompare.h"
#include "core/hextext.h"
#include "core/ircode.h"
#include "core/timingstext.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

QString channelName(int channel)
{
    return TAnalyserMenu::tr("%1 通道").arg(channel);
}

} // namespace

TAnalyserMenu::TAnalyserMenu(TForm1 *owner) : QObject(owner), form(owner)
{
    AnalyseMenu = form->menuBar()->addMenu(QString());
    CompareItem = AnalyseMenu->addAction(QString());
    AnalyseMenu->addSeparator();
    ExportPngItem = AnalyseMenu->addAction(QString());
    ExportSvgItem = AnalyseMenu->addAction(QString());
    CopyTimingsItem = AnalyseMenu->addAction(QString());

    const auto on = [this](QAction *item, void (TAnalyserMenu::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { ReportErrors([&] { (this->*handler)(); }); });
    };
    on(CompareItem, &TAnalyserMenu::CompareItemClick);
    on(ExportPngItem, &TAnalyserMenu::ExportPngItemClick);
    on(ExportSvgItem, &TAnalyserMenu::ExportSvgItemClick);
    on(CopyTimingsItem, &TAnalyserMenu::CopyTimingsItemClick);
}

void TAnalyserMenu::Retranslate()
{
    AnalyseMenu->setTitle(tr("分析"));
    CompareItem->setText(tr("比较"));
    ExportPngItem->setText(tr("导出波形图为 PNG..."));
    ExportSvgItem->setText(tr("导出波形图为 SVG..."));
    CopyTimingsItem->setText(tr("复制所选通道的时长（微秒）"));
}

void TAnalyserMenu::log(const QString &line)
{
    form->AddLogLine(line);
}

std::vector<int> TAnalyserMenu::channelDurationsUs(int channel) const
{
    return ReplyDurationsUs(HexTextToBytes(form->Chart1->ChannelCode(channel), THexParse::Lenient));
}

void TAnalyserMenu::CompareItemClick()
{
    TChannelChart *chart = form->Chart1;
    chart->ClearMarks();
    std::vector<int> channels;
    std::vector<std::vector<int>> codes;
    QStringList names;
    for (int c = 1; c <= TChannelChart::ChannelCount; ++c) {
        if (chart->ChannelCode(c).isEmpty())
            continue;
        channels.push_back(c);
        codes.push_back(channelDurationsUs(c));
        names << channelName(c);
    }
    if (channels.size() < 2) {
        log(QString());
        log(tr("比较需要至少两个通道的红外数据......"));
        return;
    }
    const TCodeComparison comparison = CompareCodes(codes);
    for (const QString &line : CompareLogLines(names, comparison))
        log(line);
    for (int c : channels)
        chart->MarkDurations(c, comparison.Outside);
}

void TAnalyserMenu::ExportPngItemClick()
{
    exportWithDialog(pkPng);
}

void TAnalyserMenu::ExportSvgItemClick()
{
    exportWithDialog(pkSvg);
}

void TAnalyserMenu::exportWithDialog(TPictureKind kind)
{
    const QString suffix = kind == pkPng ? QStringLiteral("png") : QStringLiteral("svg");
    const QString filter = kind == pkPng ? tr("PNG 图片 (*.png)") : tr("SVG 图形 (*.svg)");
    QString path = QFileDialog::getSaveFileName(form, tr("导出波形图"), tr("波形图.") + suffix, filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        path += u'.' + suffix;
    ExportChart(path, kind);
}

void TAnalyserMenu::ExportChart(const QString &path, TPictureKind kind)
{
    const QString failure = kind == pkPng ? SaveChartPng(form->Chart1, path) : SaveChartSvg(form->Chart1, path);
    log(QString());
    if (failure.isEmpty())
        log(tr("波形图已导出：%1......").arg(path));
    else
        log(tr("波形图导出失败：%1（%2）......").arg(path, failure));
}

void TAnalyserMenu::CopyTimingsItemClick()
{
    const int channel = form->Chart1->SelectedChannel();
    log(QString());
    if (form->Chart1->ChannelCode(channel).isEmpty()) {
        log(tr("没有红外数据......"));
        return;
    }
    const std::vector<int> durations = channelDurationsUs(channel);
    QGuiApplication::clipboard()->setText(DurationsText(durations));
    log(tr("已复制 %1的时长到剪贴板：%2 个，单位微秒......").arg(channelName(channel)).arg(durations.size()));
}
