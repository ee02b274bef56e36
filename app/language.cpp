#include "app/language.h"

#include "core/parameterfile.h"
#include "platform/sys/messagelocale.h"
#include "serial/pelmcommerror.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace language {

namespace {

TUiLanguage current = TUiLanguage::Chinese;

// Owned by the application object, so that they live as long as the texts they translate.
QTranslator *translator(const char *name)
{
    auto *t = QCoreApplication::instance()->findChild<QTranslator *>(QString::fromLatin1(name));
    if (!t) {
        t = new QTranslator(QCoreApplication::instance());
        t->setObjectName(QString::fromLatin1(name));
    }
    return t;
}

// Loads a translation and installs it, or takes it out when there is none for the language.
void install(QTranslator *t, const QString &file, const QString &folder)
{
    QCoreApplication::removeTranslator(t);
    if (!file.isEmpty() && t->load(file, folder))
        QCoreApplication::installTranslator(t);
}

} // namespace

TUiLanguage AtStart(const std::string &settingsPath)
{
    if (const std::optional<TUiLanguage> stored = ReadLanguageKey(settingsPath))
        return *stored;
    return UiLanguageOf(platform::ReadMessageLocaleVariables());
}

void Apply(TUiLanguage language)
{
    current = language;
    const uint32_t portDialogId = PortDialogLocaleId(language, platform::ReadMessageLocaleVariables());
    platform::ChooseMessageLocaleId(portDialogId);
    const bool english = language == TUiLanguage::English;
    // The window texts are written in Chinese: only English needs a translation of them. Qt's own
    // texts are written in English: only Chinese needs one of those.
    install(translator("irtool"), english ? QStringLiteral("irtool_en") : QString(), QStringLiteral(":/i18n"));
    const QString qtFile = portDialogId == PelmComm::TPelmCommLanguage::LcIdTraditionalChinese ? QStringLiteral("qtbase_zh_TW") : QStringLiteral("qtbase_zh_CN");
    install(translator("qtbase"), english ? QString() : qtFile, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

TUiLanguage Current()
{
    return current;
}

} // namespace language
