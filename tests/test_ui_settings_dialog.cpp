#include "Skin.h"
#include "model/EditorModel.h"
#include "settings/SetupFile.h"
#include "support/RecordingMessages.h"
#include "ui/SettingsDialog.h"
#include "ui/SettingsLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

int visibleSettingsDialogs()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += qobject_cast<SettingsDialog *>(w) && w->isVisible();
    return count;
}

void flushDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QComboBox *list(QWidget *dialog, const char *name) { return dialog->findChild<QComboBox *>(QLatin1String(name)); }

// A left click in the middle of a named element of the dialog.
void clickElement(QWidget *dialog, const char *name)
{
    QWidget *element = dialog->findChild<QWidget *>(QLatin1String(name));
    QVERIFY2(element, name);
    QTest::mouseClick(element, Qt::LeftButton, {}, element->rect().center());
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The offscreen platform's notices that it cannot shape or raise windows are noise here.
QtMessageHandler previousHandler = nullptr;
void dropOffscreenNotices(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        previousHandler(type, context, text);
}

}  // namespace

// Each test gets a fresh state, settings file and host; the skin is shared.
class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        previousHandler = qInstallMessageHandler(dropOffscreenNotices);
        m_skin = std::make_unique<Skin>();
    }

    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        m_model = std::make_unique<EditorModel>();
        m_messages.clear();
        m_settingsFile = m_folder->filePath(QStringLiteral("setup.ini"));
        m_host = std::make_unique<SettingsDialogHost>(*m_model, m_settingsFile, m_messages, *m_skin);
    }

    void cleanup()
    {
        m_host.reset();
        flushDeferredDeletes();
        QCOMPARE(visibleSettingsDialogs(), 0);
    }

    // Shaped at once by the key colour of its background picture.
    void appearanceAndMask()
    {
        SettingsDialog *dialog = shownDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("系统设置"));
        QCOMPARE(dialog->size(), QSize(SettingsClientWidth, SettingsClientHeight));
        QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!dialog->parentWidget() && dialog->windowModality() == Qt::NonModal);
        QVERIFY(!dialog->windowIcon().isNull());
        for (const char *name : {"cmbOF", "cmbRS"}) {
            QVERIFY(!list(dialog, name)->isEditable());
            QCOMPARE(list(dialog, name)->count(), 2);
        }
        const QImage picture = m_skin->image(QString::fromLatin1(SettingsBackground))
                                   .convertToFormat(QImage::Format_RGB32)
                                   .scaled(420, 252);
        const QRegion mask = dialog->mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(mask.contains(QPoint(SettingsClientWidth / 2, SettingsClientHeight / 2)));
        int mismatches = 0;
        for (int y = 0; y < SettingsClientHeight; ++y)
            for (int x = 0; x < SettingsClientWidth; ++x)
                mismatches += mask.contains(QPoint(x, y)) == (picture.pixel(x, y) == SkinKeyColour);
        QCOMPARE(mismatches, 0);
    }

    // The lists show the values in memory (out-of-range ones unselected). OK stores and writes
    // what they show; back and the close cross leave memory and disk alone.
    void closing_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("openFolder");  // in memory before
        QTest::addColumn<int>("promptSound");
        QTest::addColumn<int>("openFolderPick");  // -2 leaves the list as loaded
        QTest::addColumn<int>("promptSoundPick");
        QTest::addColumn<QByteArray>("fileBefore");  // null: no file
        QTest::addColumn<QByteArray>("fileAfter");
        const QByteArray old("9\r\n9\r\n"), none;
        QTest::newRow("0/0 kept: no file yet") << "cmdOK" << 0 << 0 << -2 << -2 << none << QByteArray::fromHex("300d0a300d0a");
        QTest::newRow("0/1 kept") << "cmdOK" << 0 << 1 << -2 << -2 << old << QByteArray("0\r\n1\r\n");
        // In memory a choice is yes or no: any other number read is a no, and
        // is written back as one.
        QTest::newRow("2 from a damaged file") << "cmdOK" << 2 << 0 << -2 << -2 << old << QByteArray("1\r\n0\r\n");
        QTest::newRow("16-bit extremes") << "cmdOK" << 32767 << -32768 << -2 << -2 << old << QByteArray("1\r\n1\r\n");
        QTest::newRow("don't open, don't play") << "cmdOK" << 0 << 0 << 1 << 1 << old << QByteArray("1\r\n1\r\n");
        QTest::newRow("open, don't play") << "cmdOK" << 1 << 1 << 0 << 1 << old << QByteArray("0\r\n1\r\n");
        QTest::newRow("back, no file") << "cmbBack" << 0 << 1 << 1 << 0 << none << QByteArray("<missing>");
        QTest::newRow("back, with file") << "cmbBack" << 0 << 1 << 1 << 0 << old << old;
        QTest::newRow("close cross, no file") << "Image1" << 0 << 1 << 1 << 0 << none << QByteArray("<missing>");
        QTest::newRow("close cross, with file") << "Image1" << 0 << 1 << 1 << 0 << old << old;
    }

    void closing()
    {
        QFETCH(QString, element);
        QFETCH(int, openFolder);
        QFETCH(int, promptSound);
        QFETCH(int, openFolderPick);
        QFETCH(int, promptSoundPick);
        QFETCH(QByteArray, fileBefore);
        QFETCH(QByteArray, fileAfter);
        m_model->setAfterSave({openFolder == 0, promptSound == 0});
        if (!fileBefore.isNull()) {
            QFile file(m_settingsFile);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fileBefore) == fileBefore.size());
        }
        SettingsDialog *dialog = pickedInShownDialog(openFolderPick, promptSoundPick);
        QVERIFY(dialog);

        clickElement(dialog, element.toLatin1().constData());
        QCOMPARE(contentOf(m_settingsFile), fileAfter);
        const AfterSaveChoices expected = element == QLatin1String("cmdOK")
            ? readSetupFile(m_settingsFile) : AfterSaveChoices{std::int16_t(openFolder), std::int16_t(promptSound)};
        QCOMPARE(m_model->afterSave().openFolder, expected.openFolder == 0);
        QCOMPARE(m_model->afterSave().playSound, expected.promptSound == 0);
        QVERIFY(!m_host->dialog());
        QCOMPARE(visibleSettingsDialogs(), 0);
        QVERIFY(m_messages.isEmpty());
    }

    // A settings file below a regular file cannot be written by anybody, root included.
    void failedWriteStillAppliesClosesAndReports()
    {
        const QString blocker = m_folder->filePath(QStringLiteral("not-a-folder"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        const QString unwritable = blocker + QStringLiteral("/setup.ini");
        m_host = std::make_unique<SettingsDialogHost>(*m_model, unwritable, m_messages, *m_skin);
        SettingsDialog *dialog = pickedInShownDialog(1, 1);
        QVERIFY(dialog);

        clickElement(dialog, "cmdOK");
        QCOMPARE(m_model->afterSave().openFolder, false);
        QCOMPARE(m_model->afterSave().playSound, false);
        QVERIFY(!m_host->dialog());
        QCOMPARE(m_messages.count(), 1);
        QCOMPARE(m_messages.last().title, QStringLiteral("系统设置"));
        QCOMPARE(m_messages.last().icon, MessageIcon::Warning);
        QVERIFY(m_messages.last().text.contains(QDir::toNativeSeparators(unwritable)));
        QVERIFY(!QFileInfo::exists(unwritable));
    }

    void onlyOneDialogAtATime()
    {
        SettingsDialog *first = pickedInShownDialog(1, -2);
        QVERIFY(first);
        // Showing again brings back the open dialog as the user left it.
        QCOMPARE(shownDialog(), first);
        QCOMPARE(visibleSettingsDialogs(), 1);
        QCOMPARE(list(first, "cmbOF")->currentIndex(), 1);

        // Shown again before the closed one is gone: still one on screen, fresh, showing memory as it is now.
        clickElement(first, "cmbBack");
        m_model->setAfterSave({m_model->afterSave().openFolder, false});
        SettingsDialog *again = shownDialog();
        QVERIFY(again);
        QCOMPARE(visibleSettingsDialogs(), 1);
        flushDeferredDeletes();
        QCOMPARE(visibleSettingsDialogs(), 1);
        QCOMPARE(m_host->dialog(), again);
        QCOMPARE(list(again, "cmbOF")->currentIndex(), 0);
        QCOMPARE(list(again, "cmbRS")->currentIndex(), 1);
    }

    void backgroundDragsTheDialog()
    {
        SettingsDialog *dialog = shownDialog();
        QVERIFY(dialog);
        const QPoint grab(SettingsClientWidth / 2, 40);
        QVERIFY(!dialog->childAt(grab));
        const QPoint start = dialog->pos();

        // a click, and a wobble under the drag distance, leave it where it is
        sendMouse(dialog, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        sendMouse(dialog, QEvent::MouseMove, grab + QPoint(1, 0), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(dialog->pos(), start);
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QSKIP("the window system moves the window itself here");
        sendMouse(dialog, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        sendMouse(dialog, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(dialog->pos(), start + QPoint(30, 20));
        // Once released, moving the pointer no longer moves the dialog.
        sendMouse(dialog, QEvent::MouseMove, grab + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
        QCOMPARE(dialog->pos(), start + QPoint(30, 20));

        // A press on a text button reaches the background too (labels pass presses on), but is no grab.
        QWidget *ok = dialog->findChild<QWidget *>(QStringLiteral("cmdOK"));
        QVERIFY(ok);
        sendMouse(ok, QEvent::MouseButtonPress, ok->rect().center(), Qt::LeftButton, Qt::LeftButton);
        sendMouse(dialog, QEvent::MouseMove, grab, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(dialog->pos(), start + QPoint(30, 20));
    }

private:
    SettingsDialog *shownDialog()
    {
        m_host->show();
        SettingsDialog *dialog = m_host->dialog();
        if (dialog)
            [[maybe_unused]] bool exposed = QTest::qWaitForWindowExposed(dialog);
        return dialog;
    }

    // Shows the dialog and picks list positions; -2 leaves a list as loaded.
    SettingsDialog *pickedInShownDialog(int openFolder, int promptSound)
    {
        SettingsDialog *dialog = shownDialog();
        if (dialog && openFolder != -2)
            list(dialog, "cmbOF")->setCurrentIndex(openFolder);
        if (dialog && promptSound != -2)
            list(dialog, "cmbRS")->setCurrentIndex(promptSound);
        return dialog;
    }

    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<EditorModel> m_model;
    RecordingMessages m_messages;
    QString m_settingsFile;
    std::unique_ptr<SettingsDialogHost> m_host;
};

QTEST_MAIN(TestSettingsDialog)
#include "test_ui_settings_dialog.moc"
