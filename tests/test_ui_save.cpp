// Saving the ringtone and the toolbar's other actions in the real main window,
// with the real adapter and ffmpeg; the playback device records the commands.
#include "pipeline/SaveFlow.h"
#include "pipeline/ToolbarActions.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class UiSaveTest : public QObject {
    Q_OBJECT
    QTemporaryDir out;

    // A window with a decoded working WAV of 20 s and the selection 4..10 s.
    static void prepare(WindowHarness &h, RecordingDevice &device)
    {
        h.paths.ensureWorkFolder();
        QVERIFY(media::makeWav(h.paths.workWav(), 20));
        QVERIFY(media::makeWav(h.paths.completionSound(), 0.5));
        h.state().SelStart = 4;
        h.state().SelEnd = 10;
        device.commands.clear();
    }

    // what the flows sent, without the position timer's status queries
    static QStringList sentByFlows(const RecordingDevice &device)
    {
        QStringList sent = device.commands;
        sent.removeIf([](const QString &c) { return c.startsWith(QLatin1String("status sound")); });
        return sent;
    }

    static bool jobButtonsEnabled(WindowHarness &h)
    {
        for (int i = 0; i < 8; ++i)
            if (!h.window().element(QStringLiteral("imgButton(%1)").arg(i))->isEnabled())
                return false;
        return h.window().element(QStringLiteral("imgCtrlButton(6)"))->isEnabled()
               && h.window().element(QStringLiteral("imgMenu(0)"))->isEnabled();
    }

private slots:
    void initTestCase() { QVERIFY(out.isValid()); }

    void savesEachFormatWithItsOptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("mp3") << "ring tone.mp3" << "mp3" << 48000 << 2;
        QTest::newRow("wma") << "ring.WMA" << "wmav1" << 44100 << 2;
        QTest::newRow("wav") << "铃声.wav" << "pcm_s16le" << 44100 << 2;
        QTest::newRow("amr") << "ring's.amr" << "amr_nb" << 8000 << 1;
    }
    void savesEachFormatWithItsOptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, codec);
        QFETCH(int, rate);
        QFETCH(int, channels);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        const QString destination = out.filePath(name);
        h.chooser.answers = QStringList{QStringLiteral("  ") + destination + QStringLiteral(" ")};
        bool disabledDuringJob = false;
        QObject::connect(&h.controller().objDOS1(), &DOSOutputs::ReceiveOutputs,
                         [&] { disabledDuringJob = disabledDuringJob || !jobButtonsEnabled(h); });

        h.click(QStringLiteral("imgButton(1)"));

        const FileChoice &dialog = h.chooser.requests.first();
        QCOMPARE(dialog.title, QStringLiteral("Save As"));
        QCOMPARE(dialog.initialName, QStringLiteral("ringtone.mp3"));
        QCOMPARE(dialog.filters.size(), 4);
        QVERIFY2(h.messages.messages.isEmpty(), qPrintable(h.messages.messages.value(0).text));
        QVERIFY(disabledDuringJob);
        QVERIFY(jobButtonsEnabled(h));
        QVERIFY(!h.window().element(QStringLiteral("picPro"))->isVisible());
        const media::AudioInfo info = media::probe(destination);
        QVERIFY2(info.valid, qPrintable(info.error));
        QCOMPARE(info.codec, codec);
        QCOMPARE(info.sampleRate, rate);
        QCOMPARE(info.channels, channels);
        QVERIFY2(qAbs(info.duration - 6.0) < 0.2, qPrintable(QString::number(info.duration)));
        QCOMPARE(QDir(out.path()).entryList(QStringList{"*.partial.*"}, QDir::Files | QDir::Hidden), QStringList());

        // both after-save choices at 0: the folder opens and the sound plays
        QCOMPARE(h.shell.opened, QList<QUrl>{QUrl::fromLocalFile(out.path() + u'/')});
        QVERIFY(device.commands.contains(QStringLiteral("stop sound")));
        const QStringList sent = sentByFlows(device);
        QCOMPARE(sent.mid(sent.size() - 2),
                 (QStringList{"open " + h.paths.completionSound() + " alias sound", "play sound"}));
        QFile::remove(destination);
    }

    void afterSaveChoicesOfOneDoNothing()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.state().OpenFolderChoice = 1;
        h.state().PromptSoundChoice = 1;
        const QString destination = out.filePath(QStringLiteral("quiet.wav"));
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgCtrlButton(6)"));
        QVERIFY(QFile::exists(destination));
        QVERIFY(h.shell.opened.isEmpty());
        QVERIFY(!device.commands.contains(QStringLiteral("play sound")));
    }

    void shortSelectionDoesNothing()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.state().SelStart = h.state().SelEnd = 10;
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY(h.chooser.requests.isEmpty());
        h.state().SelEnd = 11;
        h.click(QStringLiteral("imgButton(1)"));  // cancelled: the scripted answer is empty
        QCOMPARE(h.chooser.requests.size(), 1);
        QVERIFY(sentByFlows(device).isEmpty());  // a cancelled dialog leaves playback alone
    }

    void failedSavesLeaveNothingAndSayWhy_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QByteArray>("ffmpeg");
        QTest::newRow("unknown format") << out.filePath(QStringLiteral("ring.ogg")) << QByteArray();
        QTest::newRow("failing transcoder") << out.filePath(QStringLiteral("ring.mp3")) << QByteArray("/bin/false");
        QTest::newRow("folder not writable") << QStringLiteral("/proc/ring.mp3") << QByteArray();
    }
    void failedSavesLeaveNothingAndSayWhy()
    {
        QFETCH(QString, destination);
        QFETCH(QByteArray, ffmpeg);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        if (!ffmpeg.isEmpty())
            qputenv("BRINDLEWAVE_FFMPEG", ffmpeg);
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");

        QCOMPARE(h.messages.messages.size(), 1);
        QVERIFY(h.messages.messages.first().text.contains(destination));
        QVERIFY(jobButtonsEnabled(h));
        QVERIFY(!h.window().element(QStringLiteral("picPro"))->isVisible());
        QVERIFY(h.shell.opened.isEmpty());
        QVERIFY(!device.commands.contains(QStringLiteral("play sound")));
        QVERIFY(!QFile::exists(destination));
        QVERIFY(!QFile::exists(SaveFlow::partialNameFor(destination)));
    }

    void randomSelectionPicksMoreThanFiveSeconds()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.face().txtFullTime = QStringLiteral("180");
        for (int run = 0; run < 20; ++run) {
            h.click(QStringLiteral("imgButton(2)"));
            QVERIFY(h.state().SelEnd - h.state().SelStart >= 6);
            QVERIFY(h.state().SelStart >= 0 && h.state().SelEnd <= 180);
        }
        QVERIFY(h.face().handleVisible[0] && h.face().handleVisible[1]);
        QVERIFY(h.messages.messages.isEmpty());
        QVERIFY(sentByFlows(device).isEmpty());  // playback is not touched
    }

    void randomSelectionRefusesWithoutALengthAndGivesUpOnShortFiles()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.controller().commands().write(QStringLiteral("RRC"));
        QCOMPARE(h.messages.messages.size(), 1);
        QCOMPARE(h.messages.messages.first().text, QStringLiteral("请先播放音乐"));
        QCOMPARE(h.messages.messages.first().title, QStringLiteral("warning"));
        QVERIFY(!h.face().handleVisible[0]);

        h.face().txtFullTime = QStringLiteral("4");
        h.click(QStringLiteral("imgButton(2)"));
        QCOMPARE(h.messages.messages.size(), 2);
        QCOMPARE(h.messages.messages.last().title, QStringLiteral("warning"));
    }
};

QTEST_MAIN(UiSaveTest)
#include "test_ui_save.moc"
