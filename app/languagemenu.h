#pragma once
// The main window's menu "语言 / Language": Chinese or English, in force at once and kept in the
// settings file. Its texts name each language in that language, so they never change.
#include "core/uilanguage.h"

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QMainWindow;
class QMenu;

class TLanguageMenu : public QObject {
    Q_OBJECT
public:
    // settingsPath gives the settings file the choice is kept in; empty: not kept.
    TLanguageMenu(QMainWindow *window, std::function<std::string()> settingsPath);

    QMenu *Menu;
    QAction *ChineseItem, *EnglishItem;

    void Choose(TUiLanguage language);
    // Ticks the item of the language in force.
    void ShowCurrent();

private:
    std::function<std::string()> settingsPath;
};
