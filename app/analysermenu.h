#pragma once
// The main window's menu "分析": compare the channels' codes, export the chart as PNG or SVG,
// copy the selected channel's timings. It reports in the window's log as the other commands do.
#include <QObject>

#include <vector>

class QAction;
class QMenu;
class TForm1;

class TAnalyserMenu : public QObject {
    Q_OBJECT
public:
    explicit TAnalyserMenu(TForm1 *form);
    // The menu's texts in the current language; the window calls it on a change of language.
    void Retranslate();

    QMenu *AnalyseMenu;
    QAction *CompareItem, *ExportPngItem, *ExportSvgItem, *CopyTimingsItem;

    // Compares every channel that holds a code (two to four) and marks on the chart the
    // durations that differ beyond the tolerance.
    void CompareItemClick();
    // Ask for a file, then export.
    void ExportPngItemClick();
    void ExportSvgItemClick();
    void CopyTimingsItemClick();

    enum TPictureKind { pkPng, pkSvg };
    void ExportChart(const QString &path, TPictureKind kind);

private:
    std::vector<int> channelDurationsUs(int channel) const;
    void exportWithDialog(TPictureKind kind);
    void log(const QString &line);

    TForm1 *form;
};
