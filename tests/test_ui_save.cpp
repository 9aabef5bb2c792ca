// Saving the ringtone and the toolbar's other actions in the real main window,
// with the real adapter and ffmpeg; the playback device records the commands.
#include "pipeline/FailureReport.h"
#include "pipeline/SaveFlow.h"
#include "ui/ToolbarActions.h"
#include "support/Files.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"

#include "playback/PositionTracker.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <unistd.h>

class UiSaveTest : public QObject {
    Q_OBJECT
    QTemporaryDir out;

    // A window with a decoded working WAV of 20 s and the selection 4..10 s,
    // as the open flow leaves it.
    static void prepare(WindowHarness &h, RecordingDevice &device)
    {
        QVERIFY(h.paths.workFolderProblem().isEmpty());
        QVERIFY(media::makeWav(h.paths.workWav(), 20));
        QVERIFY(media::makeWav(h.paths.completionSound(), 0.5));
        h.model().setMedia(OpenMedia{{}, {}, 20000, nullptr});
        QVERIFY(h.model().setMarks(Marks{4000, 10000}));
        device.commands.clear();
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        QTest::addColumn<QString>("typed");  // when not the name itself
        // a folder that is not there yet is made; blanks around the name go
        QTest::newRow("mp3") << "new folder/ring tone.mp3" << "mp3" << 48000 << 2 << "new folder/ ring tone .mp3";
        QTest::newRow("wma") << "ring.WMA" << "wmav1" << 44100 << 2 << QString();
        QTest::newRow("wav") << "铃声.wav" << "pcm_s16le" << 44100 << 2 << QString();
        // quotes, an apostrophe, blanks and Chinese reach the transcoder whole
        QTest::newRow("quoted wav") << "it's \"q\" 铃.wav" << "pcm_s16le" << 44100 << 2 << QString();
        QTest::newRow("amr") << "ring's.amr" << "amr_nb" << 8000 << 1 << QString();
    }
    void savesEachFormatWithItsOptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, codec);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, typed);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        const QString destination = out.filePath(name);
        h.chooser.answers = QStringList{QStringLiteral("  ") + out.filePath(typed.isEmpty() ? name : typed) + QStringLiteral(" ")};
        bool disabledDuringJob = false;
        QObject::connect(&h.controller().cutRunner(), &ProcessRunner::outputReceived,
                         [&] { disabledDuringJob = disabledDuringJob || !jobButtonsEnabled(h); });

        h.click(QStringLiteral("imgButton(1)"));

        const FileChoice &dialog = h.chooser.requests.first();
        QCOMPARE(dialog.title, QStringLiteral("另存为"));
        // nothing says which song this is: the name says which stretch
        QCOMPARE(dialog.initialName, QStringLiteral("ringtone 0.04-0.10.mp3"));
        QCOMPARE(dialog.filters.mid(0, 4), (QStringList{"MP3 Files(*.mp3)", "WMA Files(*.wma)", "WAV Files(*.wav)",
                                                        "AMR Files(*.amr)"}));
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
        if (codec == QLatin1String("pcm_s16le")) {
            // a plain RIFF WAV: the format chunk right after the header, no
            // RF64 placeholder that simple phone players trip over
            const QByteArray head = bytesOf(destination).left(16);
            QCOMPARE(head.left(4), QByteArray("RIFF"));
            QCOMPARE(head.mid(8), QByteArray("WAVEfmt "));
        }
        QCOMPARE(QDir(out.path()).entryList(QStringList{"*.partial.*"}, QDir::Files | QDir::Hidden), QStringList());

        // both after-save choices at 0: the folder opens and the sound plays
        QCOMPARE(h.shell.opened, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(destination).absolutePath() + u'/')});
        QVERIFY(device.commands.contains(QStringLiteral("stop sound")));
        const QStringList sent = sentByFlows(device);
        QCOMPARE(sent.mid(sent.size() - 4),
                 (QStringList{"stop chime", "close chime", "open " + h.paths.completionSound() + " alias chime",
                              "play chime"}));
        QFile::remove(destination);
    }

    void afterSaveChoicesOfOneDoNothing()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.model().setAfterSave({false, false});
        const QString destination = out.filePath(QStringLiteral("quiet.wav"));
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgCtrlButton(6)"));
        QVERIFY(QFile::exists(destination));
        QVERIFY(h.shell.opened.isEmpty());
        QVERIFY(!device.commands.contains(QStringLiteral("play chime")));
    }

    void selectionThatCannotBeSavedIsExplained_data()
    {
        QTest::addColumn<qint64>("lengthMs");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<bool>("taken");  // whether the model takes such marks at all
        QTest::addColumn<int>("problem");
        using P = save_target::SelectionProblem;
        // Marks beyond the open file (or without one) are never taken, so the
        // save finds no selection there.
        QTest::newRow("nothing open") << qint64(0) << 4 << 10 << false << int(P::NothingOpen);
        QTest::newRow("no selection") << qint64(20000) << 0 << 0 << true << int(P::NoEnd);
        QTest::newRow("start only") << qint64(20000) << 5 << 0 << true << int(P::NoEnd);
        QTest::newRow("zero length") << qint64(20000) << 10 << 10 << true << int(P::Empty);
        QTest::newRow("past the end") << qint64(20000) << 15 << 21 << false << int(P::NoEnd);
        QTest::newRow("start past the end") << qint64(9500) << 10 << 12 << false << int(P::NoEnd);
    }
    void selectionThatCannotBeSavedIsExplained()
    {
        QFETCH(qint64, lengthMs);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        QFETCH(bool, taken);
        QFETCH(int, problem);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.model().setMedia(OpenMedia{{}, {}, lengthMs, nullptr});
        h.model().setMarks(Marks{});
        const Marks marks{selStart * 1000LL, selEnd ? std::optional<std::int64_t>(selEnd * 1000LL) : std::nullopt};
        QCOMPARE(h.model().setMarks(marks), taken);
        QCOMPARE(h.model().marks(), taken ? marks : Marks{});
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY(h.chooser.requests.isEmpty());
        QCOMPARE(h.messages.texts(),
                 QStringList{SaveFlow::selectionProblemText(save_target::SelectionProblem(problem), lengthMs)});
        QVERIFY(sentByFlows(device).isEmpty());
    }

    void shortestSelectionOpensTheDialog()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        QVERIFY(h.model().setMarks(Marks{10000, 11000}));
        h.click(QStringLiteral("imgButton(1)"));  // cancelled: the scripted answer is empty
        QCOMPARE(h.chooser.requests.size(), 1);
        QVERIFY(sentByFlows(device).isEmpty());  // a cancelled dialog leaves playback alone
    }

    // Stand-ins for ffmpeg that fail in the ways a real one can: each is
    // written to the scratch folder and named by BRINDLEWAVE_FFMPEG.
    QString standIn(const char *name, const QByteArray &body)
    {
        const QString path = out.filePath(QStringLiteral("stand-in ") + QLatin1String(name));
        return media::writeScript(path, body) ? path : QString();
    }

    void failedSavesLeaveNothingAndSayWhy_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("ffmpeg");
        QTest::addColumn<QString>("said");  // part of the message
        QTest::newRow("unknown format") << out.filePath(QStringLiteral("ring.flac")) << QString() << "MP3";
        QTest::newRow("failing transcoder") << out.filePath(QStringLiteral("ring.mp3")) << "/bin/false"
                                            << failureSentence(FailureCause::Unknown);
        QTest::newRow("folder not writable") << QStringLiteral("/proc/ring.mp3") << QString()
                                             << failureSentence(FailureCause::Vanished);
        QTest::newRow("folder that cannot be made") << QStringLiteral("/proc/no such folder/ring.mp3") << QString()
                                                    << "文件夹 /proc/no such folder 不存在，也无法创建。";
        // a whole, plausible file, but the transcoder says it failed
        QTest::newRow("whole file, exit 1") << out.filePath(QStringLiteral("ring.mp3"))
                                            << standIn("exit 1", "ffmpeg \"$@\"\nexit 1")
                                            << failureSentence(FailureCause::Unknown);
        QTest::newRow("garbage, exit 0")
            << out.filePath(QStringLiteral("ring.mp3"))
            << standIn("garbage", "for a in \"$@\"; do out=\"$a\"; done\nhead -c 20000 /dev/urandom > \"${out#file:}\"")
            << "不是完整的铃声";
        QTest::newRow("a tenth of the selection, exit 0") << out.filePath(QStringLiteral("ring.wav"))
                                                          << standIn("short", "exec ffmpeg -t 4.6 \"$@\"")
                                                          << "0.60";
        // the reason, not the last progress line after it
        QTest::newRow("error, then progress")
            << out.filePath(QStringLiteral("ring.mp3"))
            << standIn("error first", "echo 'Error while opening encoder for output stream #0:0'\n"
                                      "printf 'size=    1kB time=00:00:01.00 bitrate=1.0kbits/s\\r'\nexit 1")
            << "Error while opening encoder";
    }
    void failedSavesLeaveNothingAndSayWhy()
    {
        QFETCH(QString, destination);
        QFETCH(QString, ffmpeg);
        QFETCH(QString, said);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        if (!ffmpeg.isEmpty())
            qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(ffmpeg));
        h.chooser.answers = QStringList{destination};
        bool shownWhileCutting = false;  // the chosen name, before the cut is proven
        QObject::connect(&h.controller().cutRunner(), &ProcessRunner::outputReceived,
                         [&] { shownWhileCutting = shownWhileCutting || QFile::exists(destination); });
        h.click(QStringLiteral("imgButton(1)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");

        QCOMPARE(h.messages.messages.size(), 1);
        const QString text = h.messages.messages.first().text;
        QVERIFY(text.contains(destination));
        QVERIFY2(text.contains(said), qPrintable(text));
        QVERIFY2(!text.contains(QLatin1String(".partial")) && !text.contains(QLatin1String("time=")), qPrintable(text));
        QVERIFY(!shownWhileCutting);
        QVERIFY(jobButtonsEnabled(h));
        QVERIFY(!h.window().element(QStringLiteral("picPro"))->isVisible());
        QVERIFY(h.shell.opened.isEmpty());
        QVERIFY(!device.commands.contains(QStringLiteral("play chime")));
        QVERIFY(!QFile::exists(destination));
        QCOMPARE(hiddenIn(QFileInfo(destination).absolutePath()), QStringList());
    }

    // The cut goes to a hidden partial file: a file already under the chosen
    // name is untouched until a cut is proven, and then replaced whole.
    void anExistingFileSurvivesAFailedSave()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.model().setAfterSave({false, false});
        const QString destination = out.filePath(QStringLiteral("kept.mp3"));
        QFile old(destination);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the ringtone from last week") > 0);
        old.close();
        QByteArray seenDuringCut;
        QObject::connect(&h.controller().cutRunner(), &ProcessRunner::outputReceived,
                         [&] { seenDuringCut = bytesOf(destination); });

        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(standIn("exit 1", "ffmpeg \"$@\"\nexit 1")));
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(bytesOf(destination), QByteArray("the ringtone from last week"));
        QCOMPARE(seenDuringCut, QByteArray("the ringtone from last week"));

        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(media::probe(destination).codec, QStringLiteral("mp3"));
        QFile::remove(destination);
    }

    // The open file and the working WAV are only ever read: a save over
    // either, under any of its names, is refused before anything is written.
    void savingOverTheSourceIsRefused_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how : {"same path", "other spelling", "symbolic link", "hard link", "working WAV"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void savingOverTheSourceIsRefused()
    {
        QFETCH(QString, how);
        QTemporaryDir folder;
        const QString source = folder.filePath(QStringLiteral("song.wav"));
        QVERIFY(media::makeWav(source, 3));
        const QByteArray sourceBytes = bytesOf(source);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.setSource(source);
        const QByteArray workBytes = bytesOf(h.paths.workWav());

        QString destination = source;
        if (how == u"other spelling")
            destination = folder.path() + QStringLiteral("/./sub/../song.wav");
        if (how == u"other spelling")
            QDir().mkpath(folder.filePath(QStringLiteral("sub")));
        if (how == u"symbolic link") {
            destination = folder.filePath(QStringLiteral("link.wav"));
            QVERIFY(QFile::link(source, destination));
        }
        if (how == u"hard link") {
            destination = folder.filePath(QStringLiteral("hard.wav"));
            QCOMPARE(::link(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()), 0);
        }
        if (how == u"working WAV")
            destination = h.paths.workWav();
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));

        QCOMPARE(h.messages.count(), 1);
        QVERIFY(h.messages.last().text.contains(destination));
        QVERIFY(!h.controller().cutRunner().lastStarted());
        QVERIFY(sentByFlows(device).isEmpty());  // not even playback was touched
        QCOMPARE(bytesOf(source), sourceBytes);
        QCOMPARE(bytesOf(h.paths.workWav()), workBytes);
        QCOMPARE(hiddenIn(QFileInfo(destination).absolutePath()), QStringList());
    }

    // The dialog opens where a file can be written: the open file's folder,
    // else the folder of the last save.
    void saveDialogStartsWhereAFileCanBeWritten()
    {
        QTemporaryDir songs;
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, device);
        h.model().setAfterSave({false, false});
        h.setSource(songs.filePath(QStringLiteral("song.mp3")));
        const QString first = songs.filePath(QStringLiteral("first.wav"));
        h.chooser.answers = QStringList{first};
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY(QFile::exists(first));
        QCOMPARE(QDir(h.chooser.requests.last().folder).canonicalPath(), QDir(songs.path()).canonicalPath());

        // a source on a folder that has gone away (an unplugged stick)
        h.setSource(QStringLiteral("/no/such/stick/song.mp3"));
        h.click(QStringLiteral("imgButton(1)"));  // cancelled
        QCOMPARE(QDir(h.chooser.requests.last().folder).canonicalPath(), QDir(songs.path()).canonicalPath());
        QVERIFY(!h.chooser.requests.last().folder.startsWith(h.paths.programFolder));
    }

    // The completion sound plays on its own: the open file's length, the time
    // line and the handles are as they were before the save.
    void completionSoundLeavesTheEditorAlone()
    {
        QTemporaryDir folder;
        const QString song = folder.filePath(QStringLiteral("song.wav"));
        QVERIFY(media::makeWav(song, 60));
        WindowHarness h;  // the real playback device
        QVERIFY(media::makeWav(h.paths.completionSound(), 1.0));
        h.model().setAfterSave({false, h.model().afterSave().playSound});
        h.chooser.answers = QStringList{song, folder.filePath(QStringLiteral("ring.mp3"))};
        h.click(QStringLiteral("imgButton(0)"));
        QCOMPARE(qlonglong(h.model().lengthMs()), 60000);
        QVERIFY(h.model().setMarks(Marks{4000, 10000}));
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("ring.mp3"))));

        bool ok = false;
        h.device().send(QStringLiteral("status chime length"), &ok);
        QVERIFY(ok);  // the sound is playing, on its own alias
        for (int tick = 0; tick < 3; ++tick)  // ticks see whatever the device holds
            h.controller().positionTracker().tick();
        QCOMPARE(qlonglong(h.model().lengthMs()), 60000);
        QCOMPARE(QString::number(h.model().lengthMs() / 1000), QStringLiteral("60"));

        QTest::mouseClick(h.window().element(QStringLiteral("picOpened")), Qt::LeftButton, {}, QPoint(364, 30));
        const qint64 at = h.device().send(QStringLiteral("status sound position")).toLongLong();
        QVERIFY2(at >= 30000 && at < 30600, qPrintable(QString::number(at)));
        QCOMPARE(h.device().send(QStringLiteral("status sound length")), QStringLiteral("60000"));

        h.timeline().handleVisible[1] = true;
        h.timeline().touch();
        h.drag(QStringLiteral("imgSelectTop2"), QPoint(6, 4), -364);
        QCOMPARE(h.model().marks().endMs, 30000);
        QCOMPARE(h.caption(QStringLiteral("lblSelLength")), QStringLiteral("00:26.000"));
    }

    void randomSelectionPicksMoreThanFiveSeconds()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.model().setMedia(OpenMedia{{}, {}, 180000, nullptr});
        h.controller().view().showWholeFile();
        for (int run = 0; run < 20; ++run) {
            h.click(QStringLiteral("imgButton(2)"));
            QVERIFY(h.model().marks().lengthMs() > 5000);
            QVERIFY(h.model().marks().startMs >= 0 && h.model().marks().endMs <= 180000);
        }
        QVERIFY(h.timeline().handleVisible[0] && h.timeline().handleVisible[1]);
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
        QVERIFY(!h.timeline().handleVisible[0]);

        // Given up, it leaves the selection exactly as it was: marks, handles, fields.
        h.model().setMedia(OpenMedia{{}, {}, 4999, nullptr});
        h.controller().view().showWholeFile();
        QVERIFY(h.controller().handles().select(Selection{1234, 3456}));
        const QString fields = h.caption(QStringLiteral("lblSelBegin")) + h.caption(QStringLiteral("lblSelEnd"));
        const float handleX[2] = {h.timeline().handleX[0], h.timeline().handleX[1]};
        h.click(QStringLiteral("imgButton(2)"));
        QCOMPARE(h.messages.messages.size(), 2);
        QCOMPARE(h.messages.messages.last().title, QStringLiteral("warning"));
        QCOMPARE(h.model().marks(), (Marks{1234, 3456}));
        QCOMPARE(h.caption(QStringLiteral("lblSelBegin")) + h.caption(QStringLiteral("lblSelEnd")), fields);
        QCOMPARE(h.timeline().handleX[0], handleX[0]);
        QCOMPARE(h.timeline().handleX[1], handleX[1]);
    }
};

QTEST_MAIN(UiSaveTest)
#include "test_ui_save.moc"
