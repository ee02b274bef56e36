#include "app/languagemenu.h"

#include "app/application.h"
#include "app/language.h"
#include "core/parameterfile.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

TLanguageMenu::TLanguageMenu(QMainWindow *window, std::function<std::string()> settingsPath)
    : QObject(window), settingsPath(std::move(settingsPath))
{
    Menu = window->menuBar()->addMenu(QStringLiteral("语言 / Language"));
    auto *group = new QActionGroup(this);
    ChineseItem = group->addAction(QStringLiteral("中文"));
    EnglishItem = group->addAction(QStringLiteral("English"));
    for (QAction *item : {ChineseItem, EnglishItem}) {
        item->setCheckable(true);
        Menu->addAction(item);
    }
    connect(ChineseItem, &QAction::triggered, this, [this] { ReportErrors([this] { Choose(TUiLanguage::Chinese); }); });
    connect(EnglishItem, &QAction::triggered, this, [this] { ReportErrors([this] { Choose(TUiLanguage::English); }); });
    ShowCurrent();
}

void TLanguageMenu::ShowCurrent()
{
    (language::Current() == TUiLanguage::Chinese ? ChineseItem : EnglishItem)->setChecked(true);
}

void TLanguageMenu::Choose(TUiLanguage chosen)
{
    language::Apply(chosen);
    ShowCurrent();
    if (const std::string path = settingsPath(); !path.empty())
        WriteLanguageKey(path, chosen);
}
