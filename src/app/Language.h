#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// The program speaks Chinese (its source texts) or English.
inline const QString LanguageChinese = QStringLiteral("zh");
inline const QString LanguageEnglish = QStringLiteral("en");

// The interface language: "zh" for Chinese locales and for the C/POSIX locale,
// "en" for every other locale. envOverride (the value of BRINDLEWAVE_LANG) wins
// when it is "zh" or "en"; any other value is ignored.
QString chooseLanguage(const QString &envOverride, const QLocale &locale);

// chooseLanguage for this process: BRINDLEWAVE_LANG and the system locale.
QString languageOfThisProcess();

// The translators of one language, installed into the running application for
// as long as this object lives: Qt's own texts (qtbase_*.qm from Qt's
// translations folder) and the program's texts (built into the program).
// Needs a QCoreApplication; install it before any window or message is made.
class LanguageInstall {
public:
    explicit LanguageInstall(const QString &language);
    ~LanguageInstall();
    LanguageInstall(const LanguageInstall &) = delete;
    LanguageInstall &operator=(const LanguageInstall &) = delete;

    QString language() const { return m_language; }
    // Whether the translations this language needs were found and installed.
    bool qtTextsLoaded() const { return m_qtLoaded; }
    bool programTextsLoaded() const { return m_programLoaded; }

private:
    QString m_language;
    QTranslator m_qt;
    QTranslator m_program;
    bool m_qtLoaded = false;
    bool m_programLoaded = false;
};
