#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QString chooseLanguage(const QString &envOverride, const QLocale &locale)
{
    const QString wanted = envOverride.trimmed().toLower();
    if (wanted == LanguageChinese || wanted == LanguageEnglish)
        return wanted;
    if (locale.language() == QLocale::Chinese || locale.language() == QLocale::C)
        return LanguageChinese;
    return LanguageEnglish;
}

QString languageOfThisProcess()
{
    return chooseLanguage(qEnvironmentVariable("BRINDLEWAVE_LANG"), QLocale::system());
}

LanguageInstall::LanguageInstall(const QString &language) : m_language(language)
{
    // The source texts are Chinese: Chinese needs only Qt's own texts, English
    // needs only the program's (Qt's own are English already).
    if (language == LanguageChinese) {
        m_qtLoaded = m_qt.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (m_qtLoaded)
            QCoreApplication::installTranslator(&m_qt);
    } else {
        m_programLoaded = m_program.load(QStringLiteral(":/i18n/brindlewave_%1.qm").arg(language));
        if (m_programLoaded)
            QCoreApplication::installTranslator(&m_program);
    }
}

LanguageInstall::~LanguageInstall()
{
    if (m_qtLoaded)
        QCoreApplication::removeTranslator(&m_qt);
    if (m_programLoaded)
        QCoreApplication::removeTranslator(&m_program);
}
