#pragma once
// The main window's code library and file exchange: the menu "编码" (for the selected channel)
// and a context menu on each channel's radio button and emit button (for that channel), which is
// also a submenu of "编码". Reading
// and writing files runs on a worker thread, so that a large library or file never stalls the
// window; the dialogs and the channel are handled on the window's thread when the work is done.
// While one such job runs, the actions are disabled.
#include "core/codelibrary.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <thread>

class QAction;
class QMenu;
class TForm1;

class TCodesUi : public QObject {
    Q_OBJECT
public:
    explicit TCodesUi(TForm1 *form);
    ~TCodesUi() override;
    // The menus' texts in the current language; the window calls it on a change of language.
    void Retranslate();

    QMenu *Menu;
    QAction *SaveAction, *LoadAction, *ImportAction, *ExportAction, *OpenAction, *SaveAsAction;
    // The channel's context menu, with the same first four actions for that channel.
    QMenu *ChannelMenu(int channel) const { return channelMenus.at(channel - 1); }

    QString LibraryPath;
    bool Busy() const { return busy; }

    void SaveToLibrary(int channel);
    void LoadFromLibrary(int channel);
    void Import(int channel);
    void Export(int channel);
    void OpenLibrary();
    void SaveLibraryAs();

private:
    template <typename R>
    void inBackground(std::function<R()> work, std::function<void(R)> done);
    void setBusy(bool on);
    void report(const QString &text);
    QMenu *makeChannelMenu(int channel);
    void attachContextMenu(QWidget *control, int channel);
    void exportRecords(const std::vector<TCodeRecord> &records, const QString &remote);

    TForm1 *form;
    std::array<QMenu *, 4> channelMenus{};
    std::vector<std::shared_ptr<std::thread>> running;
    bool busy = false;
};
