#include "Skin.h"
#include "app/EditorState.h"
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

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QComboBox *list(QWidget *dialog, const char *name)
{
    return dialog->findChild<QComboBox *>(QLatin1String(name));
}

// A left click in the middle of a named element of the dialog.
void clickElement(QWidget *dialog, const char *name)
{
    QWidget *element = dialog->findChild<QWidget *>(QLatin1String(name));
    QVERIFY2(element, name);
    QTest::mouseClick(element, Qt::LeftButton, {}, element->rect().center());
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The offscreen platform says on every showing that it cannot shape or raise
// windows; the test checks the mask on the widget, so those lines are noise.
QtMessageHandler previousHandler = nullptr;
void dropOffscreenNotices(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, text);
}

}  // namespace

// Each test gets a fresh state, settings file and host; the skin is shared.
class TestSettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void appearance();
    void loadSelectsStoredChoices_data();
    void loadSelectsStoredChoices();
    void confirmStoresAndWrites_data();
    void confirmStoresAndWrites();
    void leavingStoresNothing_data();
    void leavingStoresNothing();
    void failedWriteStillAppliesClosesAndReports();
    void onlyOneDialogAtATime();
    void maskFollowsTheKeyColour();
    void backgroundDragsTheDialog();

private:
    void openHost(const QString &settingsFile);
    SettingsDialog *shownDialog();

    std::unique_ptr<Skin> m_skin;
    std::unique_ptr<QTemporaryDir> m_folder;
    EditorState m_state;
    RecordingMessages m_messages;
    QString m_settingsFile;
    std::unique_ptr<SettingsDialogHost> m_host;
};

void TestSettingsDialog::initTestCase()
{
    previousHandler = qInstallMessageHandler(dropOffscreenNotices);
    m_skin = std::make_unique<Skin>();
}

void TestSettingsDialog::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_state = EditorState{};
    m_messages.clear();
    m_settingsFile = m_folder->filePath(QStringLiteral("setup.ini"));
    openHost(m_settingsFile);
}

void TestSettingsDialog::cleanup()
{
    m_host.reset();
    flushDeferredDeletes();
    QCOMPARE(visibleSettingsDialogs(), 0);
}

void TestSettingsDialog::openHost(const QString &settingsFile)
{
    m_host = std::make_unique<SettingsDialogHost>(m_state, settingsFile, m_messages, *m_skin);
}

SettingsDialog *TestSettingsDialog::shownDialog()
{
    m_host->show();
    SettingsDialog *dialog = m_host->dialog();
    if (dialog)
        [[maybe_unused]] bool exposed = QTest::qWaitForWindowExposed(dialog);
    return dialog;
}

void TestSettingsDialog::appearance()
{
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("系统设置"));
    QCOMPARE(dialog->size(), QSize(SettingsClientWidth, SettingsClientHeight));
    QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!dialog->parentWidget());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QVERIFY(!dialog->windowIcon().isNull());
    QVERIFY(!list(dialog, "cmbOF")->isEditable());
    QVERIFY(!list(dialog, "cmbRS")->isEditable());
    QCOMPARE(list(dialog, "cmbOF")->count(), 2);
    QCOMPARE(list(dialog, "cmbRS")->count(), 2);
}

void TestSettingsDialog::loadSelectsStoredChoices_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("promptSound");
    QTest::addColumn<int>("openFolderShown");
    QTest::addColumn<int>("promptSoundShown");

    QTest::newRow("both 0: no file yet") << 0 << 0 << 0 << 0;
    QTest::newRow("both 1") << 1 << 1 << 1 << 1;
    QTest::newRow("mixed") << 0 << 1 << 0 << 1;
    QTest::newRow("2 from a damaged file") << 2 << 0 << -1 << 0;
    QTest::newRow("-1 stored after an empty list") << -1 << 1 << -1 << 1;
    QTest::newRow("16-bit extremes") << 32767 << -32768 << -1 << -1;
}

void TestSettingsDialog::loadSelectsStoredChoices()
{
    QFETCH(int, openFolder);
    QFETCH(int, promptSound);
    QFETCH(int, openFolderShown);
    QFETCH(int, promptSoundShown);

    m_state.OpenFolderChoice = std::int16_t(openFolder);
    m_state.PromptSoundChoice = std::int16_t(promptSound);
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    QCOMPARE(list(dialog, "cmbOF")->currentIndex(), openFolderShown);
    QCOMPARE(list(dialog, "cmbRS")->currentIndex(), promptSoundShown);
}

void TestSettingsDialog::confirmStoresAndWrites_data()
{
    QTest::addColumn<int>("stored");       // both values before
    QTest::addColumn<int>("openFolder");   // picked positions; -2 leaves the list alone
    QTest::addColumn<int>("promptSound");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("don't open, don't play") << 0 << 1 << 1 << QByteArray::fromHex("310d0a310d0a");
    QTest::newRow("open, don't play") << 1 << 0 << 1 << QByteArray("0\r\n1\r\n");
    QTest::newRow("unchanged 0/0") << 0 << -2 << -2 << QByteArray("0\r\n0\r\n");
    QTest::newRow("damaged value stays unselected") << 2 << -2 << 0 << QByteArray("-1\r\n0\r\n");
}

void TestSettingsDialog::confirmStoresAndWrites()
{
    QFETCH(int, stored);
    QFETCH(int, openFolder);
    QFETCH(int, promptSound);
    QFETCH(QByteArray, bytes);

    m_state.OpenFolderChoice = std::int16_t(stored);
    m_state.PromptSoundChoice = std::int16_t(stored);
    QVERIFY(writeSetupFile(m_settingsFile, {9, 9}));
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    if (openFolder != -2)
        list(dialog, "cmbOF")->setCurrentIndex(openFolder);
    if (promptSound != -2)
        list(dialog, "cmbRS")->setCurrentIndex(promptSound);

    clickElement(dialog, "cmdOK");

    QCOMPARE(contentOf(m_settingsFile), bytes);
    const AfterSaveChoices onDisk = readSetupFile(m_settingsFile);
    QCOMPARE(m_state.OpenFolderChoice, onDisk.openFolder);
    QCOMPARE(m_state.PromptSoundChoice, onDisk.promptSound);
    QVERIFY(!m_host->dialog());
    QCOMPARE(visibleSettingsDialogs(), 0);
    QVERIFY(m_messages.isEmpty());
}

void TestSettingsDialog::leavingStoresNothing_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("back, no file") << QStringLiteral("cmbBack") << false;
    QTest::newRow("back, with file") << QStringLiteral("cmbBack") << true;
    QTest::newRow("close cross, no file") << QStringLiteral("Image1") << false;
    QTest::newRow("close cross, with file") << QStringLiteral("Image1") << true;
}

void TestSettingsDialog::leavingStoresNothing()
{
    QFETCH(QString, element);
    QFETCH(bool, fileExists);

    if (fileExists)
        QVERIFY(writeSetupFile(m_settingsFile, {0, 1}));
    const QByteArray before = contentOf(m_settingsFile);
    m_state.OpenFolderChoice = 0;
    m_state.PromptSoundChoice = 1;
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    list(dialog, "cmbOF")->setCurrentIndex(1);
    list(dialog, "cmbRS")->setCurrentIndex(0);

    clickElement(dialog, element.toLatin1().constData());

    QVERIFY(!m_host->dialog());
    QCOMPARE(m_state.OpenFolderChoice, std::int16_t(0));
    QCOMPARE(m_state.PromptSoundChoice, std::int16_t(1));
    QCOMPARE(contentOf(m_settingsFile), before);
    QVERIFY(m_messages.isEmpty());
}

void TestSettingsDialog::failedWriteStillAppliesClosesAndReports()
{
    // A settings file below a regular file cannot be written by anybody.
    QFile blocker(m_folder->filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable = blocker.fileName() + QStringLiteral("/setup.ini");
    openHost(unwritable);

    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    list(dialog, "cmbOF")->setCurrentIndex(1);
    list(dialog, "cmbRS")->setCurrentIndex(1);
    clickElement(dialog, "cmdOK");

    QCOMPARE(m_state.OpenFolderChoice, std::int16_t(1));
    QCOMPARE(m_state.PromptSoundChoice, std::int16_t(1));
    QVERIFY(!m_host->dialog());
    QCOMPARE(m_messages.count(), 1);
    QCOMPARE(m_messages.last().title, QStringLiteral("系统设置"));
    QCOMPARE(m_messages.last().icon, MessageIcon::Warning);
    QVERIFY(m_messages.last().text.contains(QDir::toNativeSeparators(unwritable)));
    QVERIFY(!QFileInfo::exists(unwritable));
}

void TestSettingsDialog::onlyOneDialogAtATime()
{
    SettingsDialog *first = shownDialog();
    QVERIFY(first);
    list(first, "cmbOF")->setCurrentIndex(1);
    SettingsDialog *second = shownDialog();

    QCOMPARE(second, first);
    QCOMPARE(visibleSettingsDialogs(), 1);
    // Showing again brings back the open dialog as the user left it.
    QCOMPARE(list(second, "cmbOF")->currentIndex(), 1);

    // Shown again before the closed one is gone: still only one on screen, and
    // a fresh one that shows memory as it is now.
    clickElement(first, "cmbBack");
    m_state.PromptSoundChoice = 1;
    SettingsDialog *third = shownDialog();
    QVERIFY(third);
    QCOMPARE(visibleSettingsDialogs(), 1);
    flushDeferredDeletes();
    QCOMPARE(visibleSettingsDialogs(), 1);
    QCOMPARE(m_host->dialog(), third);
    QCOMPARE(list(third, "cmbOF")->currentIndex(), 0);
    QCOMPARE(list(third, "cmbRS")->currentIndex(), 1);
}

void TestSettingsDialog::maskFollowsTheKeyColour()
{
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    const QImage picture = m_skin->image(QString::fromLatin1(SettingsBackground))
                               .convertToFormat(QImage::Format_RGB32)
                               .scaled(420, 252);
    QCOMPARE(picture.pixel(0, 0), SkinKeyColour);

    const QRegion mask = dialog->mask();
    QVERIFY(!mask.isEmpty());
    QVERIFY(!mask.contains(QPoint(0, 0)));
    QVERIFY(mask.contains(QPoint(SettingsClientWidth / 2, SettingsClientHeight / 2)));
    int mismatches = 0;
    for (int y = 0; y < SettingsClientHeight; ++y) {
        for (int x = 0; x < SettingsClientWidth; ++x)
            mismatches += mask.contains(QPoint(x, y)) == (picture.pixel(x, y) == SkinKeyColour);
    }
    QCOMPARE(mismatches, 0);
}

void TestSettingsDialog::backgroundDragsTheDialog()
{
    SettingsDialog *dialog = shownDialog();
    QVERIFY(dialog);
    const QPoint grab(SettingsClientWidth / 2, 40);
    QVERIFY(!dialog->childAt(grab));
    const QPoint start = dialog->pos();

    sendMouse(dialog, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("the window system moves the window itself here");
    sendMouse(dialog, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    sendMouse(dialog, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(dialog->pos(), start + QPoint(30, 20));

    // Once released, moving the pointer no longer moves the dialog.
    sendMouse(dialog, QEvent::MouseMove, grab + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dialog->pos(), start + QPoint(30, 20));

    // A press on a text button reaches the background too (labels pass presses
    // on), but it is not a grab of the background.
    QWidget *ok = dialog->findChild<QWidget *>(QStringLiteral("cmdOK"));
    QVERIFY(ok);
    sendMouse(ok, QEvent::MouseButtonPress, ok->rect().center(), Qt::LeftButton, Qt::LeftButton);
    sendMouse(dialog, QEvent::MouseMove, grab, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(dialog->pos(), start + QPoint(30, 20));
}

QTEST_MAIN(TestSettingsDialog)
#include "test_ui_settings_dialog.moc"
