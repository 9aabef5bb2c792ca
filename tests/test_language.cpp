// The interface language: which one a locale gets, Qt's own texts (file dialog, message boxes)
// in that language, the program's texts and pictures in English, and an English translation
// that covers every text the program shows.
#include "Skin.h"
#include "app/CommandLine.h"
#include "app/Language.h"
#include "pipeline/FailureReport.h"
#include "support/WindowHarness.h"
#include "ui/DesktopSeams.h"
#include "ui/QtFileChooser.h"
#include "ui/SkinWidgets.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest>
#include <functional>

namespace {

const QString SourceDir = QStringLiteral(BRINDLEWAVE_SOURCE_DIR);
const QString EnglishTs = SourceDir + QStringLiteral("/translations/brindlewave_en.ts");

// Runs `look` on the first modal dialog of type T that opens while `open` runs, then rejects
// it. A dialog still open after a generous grace time is rejected, so nothing hangs.
template <typename T>
bool inspectModal(const std::function<void()> &open, const std::function<void(T *)> &look)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget()); dialog && !seen) {
            seen = true;
            look(dialog);
            dialog->reject();
        }
    });
    poll.start(10);
    QTimer grace;
    grace.setSingleShot(true);
    QObject::connect(&grace, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    grace.start(30000);
    open();
    return seen;
}

struct FileDialogTexts {
    QString save, cancel, lookIn, fileName, fileType;
};

FileDialogTexts saveDialogTexts()
{
    FileDialogTexts texts;
    QTemporaryDir folder;
    QtFileChooser chooser;
    FileChoice choice;
    choice.title = QStringLiteral("Save As");
    choice.folder = folder.path();
    choice.filters = {QStringLiteral("WAV Files(*.wav)"), QStringLiteral("*.wav")};
    choice.save = true;
    const bool seen = inspectModal<QFileDialog>([&] { chooser.chooseWithFilter(choice); }, [&](QFileDialog *d) {
        if (auto *box = d->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"))) {
            if (QPushButton *b = box->button(QDialogButtonBox::Save))
                texts.save = b->text();
            if (QPushButton *b = box->button(QDialogButtonBox::Cancel))
                texts.cancel = b->text();
        }
        const auto label = [d](const char *name) {
            auto *l = d->findChild<QLabel *>(QLatin1String(name));
            return l ? l->text() : QString();
        };
        texts.lookIn = label("lookInLabel");
        texts.fileName = label("fileNameLabel");
        texts.fileType = label("fileTypeLabel");
    });
    if (!seen)
        texts.save = QStringLiteral("(no dialog)");
    return texts;
}

QString messageBoxOkText()
{
    QString ok = QStringLiteral("(no message box)");
    MessageBoxes boxes;
    inspectModal<QMessageBox>([&] { boxes.show(QStringLiteral("x"), QStringLiteral("y"), MessageButtons::Ok, MessageIcon::None); },
                              [&](QMessageBox *box) {
                                  QAbstractButton *b = box->button(QMessageBox::Ok);
                                  ok = b ? b->text() : QString();
                              });
    return ok;
}

struct TsMessage {
    QString context, source, translation, type;
};

// The messages of a .ts file; a carriage return written as <byte value="xd"/> is read back.
QList<TsMessage> readTs(const QString &path)
{
    QList<TsMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage *current = nullptr;
    QString *text = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("name") && !current)
                context = xml.readElementText();
            else if (xml.name() == QLatin1String("message")) {
                messages.append({context, {}, {}, {}});
                current = &messages.last();
            } else if (current && xml.name() == QLatin1String("source"))
                text = &current->source;
            else if (current && xml.name() == QLatin1String("translation")) {
                text = &current->translation;
                current->type = xml.attributes().value(QLatin1String("type")).toString();
            } else if (text && xml.name() == QLatin1String("byte"))
                text->append(QChar(xml.attributes().value(QLatin1String("value")).toString().toUInt(nullptr, 16)));
        } else if (xml.isCharacters() && text) {
            text->append(xml.text());
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("source") || xml.name() == QLatin1String("translation"))
                text = nullptr;
            else if (xml.name() == QLatin1String("message"))
                current = nullptr;
        }
    }
    if (xml.hasError())
        messages.append({QStringLiteral("(xml)"), xml.errorString(), {}, QStringLiteral("broken")});
    return messages;
}

QStringList placeholders(const QString &text)
{
    QStringList found;
    for (const auto &m : QRegularExpression(QStringLiteral("%\\d")).globalMatch(text))
        found << m.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

// What is wrong with a message of a translation; empty when nothing.
QString faultOf(const TsMessage &m)
{
    const QString where = m.context + QStringLiteral(": ") + m.source.left(40);
    if (!m.type.isEmpty())
        return where + QStringLiteral(" is ") + m.type;
    if (m.translation.trimmed().isEmpty())
        return where + QStringLiteral(" has no translation");
    if (placeholders(m.translation) != placeholders(m.source))
        return where + QStringLiteral(" has other placeholders than its source");
    return {};
}

// Chinese characters and punctuation: a program text, which must reach the screen through the
// translator.
const QRegularExpression Chinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

private slots:
    void languageOfALocale_data()
    {
        QTest::addColumn<QString>("envOverride");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zh_CN") << "" << QLocale(QStringLiteral("zh_CN")) << "zh";
        QTest::newRow("zh_TW") << "" << QLocale(QStringLiteral("zh_TW")) << "zh";
        QTest::newRow("C") << "" << QLocale::c() << "zh";
        QTest::newRow("C by name") << "" << QLocale(QStringLiteral("C")) << "zh";
        QTest::newRow("POSIX") << "" << QLocale(QStringLiteral("POSIX")) << "zh";
        QTest::newRow("en_US") << "" << QLocale(QStringLiteral("en_US")) << "en";
        QTest::newRow("de_DE") << "" << QLocale(QStringLiteral("de_DE")) << "en";
        QTest::newRow("override en on zh_CN") << "en" << QLocale(QStringLiteral("zh_CN")) << "en";
        QTest::newRow("override en on C") << "en" << QLocale::c() << "en";
        QTest::newRow("override zh on de_DE") << "zh" << QLocale(QStringLiteral("de_DE")) << "zh";
        QTest::newRow("override zh on en_US") << "zh" << QLocale(QStringLiteral("en_US")) << "zh";
        QTest::newRow("override in capitals") << "EN" << QLocale(QStringLiteral("zh_CN")) << "en";
        QTest::newRow("unknown override ignored, de_DE") << "fr" << QLocale(QStringLiteral("de_DE")) << "en";
        QTest::newRow("unknown override ignored, zh_CN") << "fr" << QLocale(QStringLiteral("zh_CN")) << "zh";
    }

    void languageOfALocale()
    {
        QFETCH(QString, envOverride);
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(chooseLanguage(envOverride, locale), expected);
    }

    void environmentOverridesTheLocale()
    {
        const QByteArray before = qgetenv("BRINDLEWAVE_LANG");
        qputenv("BRINDLEWAVE_LANG", "en");
        const QString english = languageOfThisProcess();
        qputenv("BRINDLEWAVE_LANG", "zh");
        const QString chinese = languageOfThisProcess();
        if (before.isNull())
            qunsetenv("BRINDLEWAVE_LANG");
        else
            qputenv("BRINDLEWAVE_LANG", before);
        QCOMPARE(english, QStringLiteral("en"));
        QCOMPARE(chinese, QStringLiteral("zh"));
    }

    void qtSpeaksChinese()
    {
        const LanguageInstall language(LanguageChinese);
        QVERIFY2(language.qtTextsLoaded(), "qtbase_zh_CN.qm not found in Qt's translations folder");

        const FileDialogTexts texts = saveDialogTexts();
        QCOMPARE(texts.save, QStringLiteral("保存(&S)"));
        QCOMPARE(texts.cancel, QStringLiteral("取消"));
        QCOMPARE(texts.lookIn, QStringLiteral("查找范围："));
        QCOMPARE(texts.fileType, QStringLiteral("文件类型："));
        QVERIFY2(texts.fileName.contains(QStringLiteral("文件")), qPrintable(texts.fileName));
        QCOMPARE(messageBoxOkText(), QStringLiteral("确定"));
    }

    void chineseKeepsTheSourceTexts()
    {
        const LanguageInstall language(LanguageChinese);
        WindowHarness h;
        QCOMPARE(h.image(QStringLiteral("imgButton(1)"))->toolTip(), QStringLiteral("保存铃声"));
        QCOMPARE(h.image(QStringLiteral("imgMin"))->toolTip(), QStringLiteral("最小化"));
        QCOMPARE(failureSentence(FailureCause::DiskFull), QStringLiteral("磁盘已满，文件写不下了。请腾出空间后再试。"));
        QVERIFY(helpText().startsWith(QStringLiteral("用法：brindlewave")));
    }

    void qtSpeaksEnglish()
    {
        const LanguageInstall language(LanguageEnglish);
        const FileDialogTexts texts = saveDialogTexts();
        QCOMPARE(texts.save, QStringLiteral("&Save"));
        QCOMPARE(texts.cancel, QStringLiteral("Cancel"));
        QCOMPARE(texts.lookIn, QStringLiteral("Look in:"));
        QCOMPARE(messageBoxOkText().remove(u'&'), QStringLiteral("OK"));
    }

    void theProgramSpeaksEnglish()
    {
        const LanguageInstall language(LanguageEnglish);
        QVERIFY2(language.programTextsLoaded(), "the English translation is not built into the program");
        WindowHarness h;
        QCOMPARE(h.image(QStringLiteral("imgButton(1)"))->toolTip(), QStringLiteral("Save the ringtone"));
        QCOMPARE(h.image(QStringLiteral("imgButton(0)"))->toolTip(), QStringLiteral("Open a music or video file"));
        QCOMPARE(failureSentence(FailureCause::DiskFull),
                 QStringLiteral("The disk is full; the file does not fit. Free some space and try again."));
        QVERIFY2(helpText().startsWith(QStringLiteral("Usage: brindlewave")), qPrintable(helpText()));
        const CommandLineRequest bad = parseCommandLine({QStringLiteral("--bogus")});
        QCOMPARE(bad.kind, CommandLineRequest::Kind::Invalid);
        QVERIFY2(bad.error.startsWith(QStringLiteral("Unknown option: --bogus")), qPrintable(bad.error));
        QVERIFY2(!Chinese.match(bad.error).hasMatch(), qPrintable(bad.error));
    }

    // The words painted into the pictures follow the language; in Chinese the pictures are the
    // ones painted from the source texts, to the pixel.
    void picturesFollowTheLanguage()
    {
        const QStringList names = {QStringLiteral("frmMain"), QStringLiteral("frmSetting")};
        QHash<QString, QImage> source, chinese, english;
        {
            const Skin skin(1.0);
            for (const QString &name : names)
                source.insert(name, skin.image(name));
        }
        {
            const LanguageInstall language(LanguageChinese);
            const Skin skin(1.0);
            for (const QString &name : names)
                chinese.insert(name, skin.image(name));
        }
        {
            const LanguageInstall language(LanguageEnglish);
            const Skin skin(1.0);
            for (const QString &name : names)
                english.insert(name, skin.image(name));
        }
        for (const QString &name : names) {
            QVERIFY(!source.value(name).isNull());
            QVERIFY2(chinese.value(name) == source.value(name), qPrintable(name));
            QVERIFY2(english.value(name) != source.value(name), qPrintable(name));
        }
    }

    void everyEnglishMessageIsTranslated()
    {
        const QList<TsMessage> messages = readTs(EnglishTs);
        QVERIFY2(messages.size() > 100, qPrintable(EnglishTs));
        QStringList faults;
        for (const TsMessage &m : messages)
            if (const QString fault = faultOf(m); !fault.isEmpty())
                faults << fault;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // lupdate, run over the sources into a copy of the translation, finds no text the
    // translation lacks.
    void theTranslationCoversEveryMarkedText()
    {
        QTemporaryDir work;
        const QString copy = work.filePath(QStringLiteral("brindlewave_en.ts"));
        QVERIFY(QFile::copy(EnglishTs, copy));
        QProcess lupdate;
        lupdate.setWorkingDirectory(SourceDir);
        lupdate.start(QStringLiteral(BRINDLEWAVE_LUPDATE),
                      {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                       QStringLiteral("src"), QStringLiteral("skin"), QStringLiteral("-ts"), copy});
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);
        QStringList faults;
        for (const TsMessage &m : readTs(copy))
            if (m.type != QLatin1String("vanished") && m.type != QLatin1String("obsolete"))
                if (const QString fault = faultOf(m); !fault.isEmpty())
                    faults << fault;
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // Every Chinese string literal in the program's code is a source text handed to the
    // translator (translate or QT_TRANSLATE_NOOP), or the continuation of one.
    void everyChineseLiteralGoesThroughTheTranslator()
    {
        static const QRegularExpression literal(QStringLiteral("(u8|u|L)?\"((?:[^\"\\\\]|\\\\.)*)\""));
        static const QRegularExpression marked(QStringLiteral("(translate|QT_TRANSLATE_NOOP)\\(\\s*\"\\w+\",\\s*$"));
        QStringList faults;
        for (const QString &folder : {QStringLiteral("/src"), QStringLiteral("/skin")}) {
            QDirIterator it(SourceDir + folder, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
                bool continuing = false;  // the previous line ended inside a marked text, or just before one
                for (int n = 0; n < lines.size(); ++n) {
                    const QString &line = lines[n];
                    if (line.trimmed().startsWith(QLatin1String("//")))
                        continue;
                    bool lastWasMarked = false;
                    auto matches = literal.globalMatch(line);
                    int end = 0;
                    while (matches.hasNext()) {
                        const auto m = matches.next();
                        const QString before = line.left(m.capturedStart());
                        if (before.mid(end).contains(QLatin1String("//")))
                            break;  // the rest is a comment
                        const bool isMarked = marked.match(before).hasMatch()
                            || (before.trimmed().isEmpty() && continuing);
                        if (Chinese.match(m.captured(2)).hasMatch() && !isMarked)
                            faults << QStringLiteral("%1:%2: %3").arg(path.mid(SourceDir.size() + 1)).arg(n + 1).arg(line.trimmed());
                        lastWasMarked = isMarked;
                        end = m.capturedEnd();
                    }
                    continuing = (lastWasMarked && line.trimmed().endsWith(u'"')) || marked.match(line).hasMatch();
                }
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
