// Start-up and shutdown of the real main window, and opening from outside.
#include "pipeline/ProcessRunner.h"
#include "pipeline/OpenFlow.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>
#include <memory>

class UiLifecycleTest : public QObject {
    Q_OBJECT

    static void write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // An ffmpeg stand-in that announces a duration and never finishes.
    static QString slowFfmpeg(const QTemporaryDir &dir)
    {
        const QString path = dir.filePath("slow-ffmpeg");
        write(path, "#!/bin/sh\necho 'Duration: 00:10:00.00, start: 0'\nexec sleep 600\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    // Runs `act` from the window's event loop once the decode is under way (its
    // runner busy and the stand-in's duration read), however long that takes.
    // The decode holds the click in its own loop, so `act` is what ends it; if
    // the decode never gets there, `act` runs anyway after 6,000 looks and
    // *gaveUp tells the test.
    static void whenDecoding(WindowHarness &h, bool *gaveUp, const std::function<void()> &act)
    {
        auto *poll = new QTimer(&h.window());
        auto polls = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, &h.window(), [&h, poll, gaveUp, act, polls] {
            ProcessRunner &decode = h.controller().decodeRunner();
            const bool underWay = decode.isRunning() && decode.output().contains("Duration");
            // Counted in looks rather than read off a clock: a busy machine only makes each look later.
            *gaveUp = !underWay && ++*polls > 6000;
            if (!underWay && !*gaveUp)
                return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start(10);
    }

private slots:
    void startUpReadsTheSettingsFileWhenThere()
    {
        RecordingDevice device;
        WindowHarness without(&device);
        QCOMPARE(without.model().afterSave().openFolder, true);
        QCOMPARE(without.model().afterSave().playSound, true);
        QCOMPARE(without.model().isFileOpen(), false);
        QVERIFY(!without.model().job().running());
        QCOMPARE(QString::number(without.model().lengthMs() / 1000), QStringLiteral("0"));
        QCOMPARE(without.timeline().handleX[0], 0.0f);
        QCOMPARE(without.timeline().handleX[1], 10920.0f);

        WindowHarness with(&device, [](const Paths &p) { write(p.settingsFile(), "1\r\n1\r\n"); });
        QCOMPARE(with.model().afterSave().openFolder, false);
        QCOMPARE(with.model().afterSave().playSound, false);
    }

    void startUpMakesTheWorkingFolderAndLeavesAnExistingOneAlone()
    {
        RecordingDevice device;
        WindowHarness fresh(&device);
        const QFileInfo made(fresh.paths.workFolder);
        QVERIFY(made.isDir());
        QCOMPARE(made.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());

        WindowHarness kept(&device, [](const Paths &p) { write(p.workFolder + "/keep me.txt", "mine"); });
        QFile kept1(kept.paths.workFolder + "/keep me.txt");
        QVERIFY(kept1.open(QIODevice::ReadOnly));
        QCOMPARE(kept1.readAll(), QByteArray("mine"));
    }

    void exitDuringADecodeEndsTheTranscoder()
    {
        QTemporaryDir scratch;
        const QString slow = slowFfmpeg(scratch);
        const QString song = scratch.filePath("song.mp3");
        write(song, "not used by the stand-in");

        RecordingDevice device;
        WindowHarness h(&device);
        h.chooser.answers = QStringList{song};
        qputenv("BRINDLEWAVE_FFMPEG", slow.toLocal8Bit());
        bool wasRunning = false;
        bool gaveUp = false;
        whenDecoding(h, &gaveUp, [&] {
            wasRunning = h.controller().decodeRunner().isRunning();
            h.window().close();  // the question is answered with OK
        });
        h.click(QStringLiteral("imgButton(0)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");

        QVERIFY2(!gaveUp, "the decode never got under way");
        QVERIFY(wasRunning);
        QVERIFY(!h.controller().decodeRunner().isRunning());
        QCOMPARE(h.ended, 1);
        QCOMPARE(h.messages.count(), 1);  // only the exit question: a job ended by exit is no failure
        QCOMPARE(h.messages.last().text, QStringLiteral("确定要退出吗？"));
    }

    void aSecondOpenDuringADecodeReplacesIt()
    {
        QTemporaryDir scratch;
        const QString slow = slowFfmpeg(scratch);
        const QString first = scratch.filePath("first.mp3");
        write(first, "decoded by the stand-in that never ends");
        const QString second = scratch.filePath("second.wav");
        QVERIFY(media::makeWav(second, 3));

        RecordingDevice device;
        WindowHarness h(&device);
        h.chooser.answers = QStringList{first, second};
        qputenv("BRINDLEWAVE_FFMPEG", slow.toLocal8Bit());
        bool gaveUp = false;
        whenDecoding(h, &gaveUp, [&] {
            qunsetenv("BRINDLEWAVE_FFMPEG");
            h.click(QStringLiteral("imgButton(0)"));  // FileOpen is still clear: another open
        });
        h.click(QStringLiteral("imgButton(0)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QVERIFY2(!gaveUp, "the first decode never got under way");

        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QCOMPARE(h.model().isFileOpen(), true);
        QCOMPARE(h.caption(QStringLiteral("lblFileName")), OpenFlow::tabCaption(second));
        QVERIFY(h.shown(QStringLiteral("picOpened")));
        QVERIFY(!h.controller().decodeRunner().isRunning());
        const media::AudioInfo work = media::probe(h.paths.workWav());
        QVERIFY2(work.valid, qPrintable(work.error));
        QVERIFY(qAbs(work.duration - 3.0) < 0.1);
    }

    // A file dropped or named to a running window replaces the open one at
    // once, as the open button does; never while a save runs.
    void aFileFromOutsideReplacesTheOpenOne()
    {
        QTemporaryDir scratch;
        const QString first = scratch.filePath("first.wav");
        const QString second = scratch.filePath("second.wav");
        QVERIFY(media::makeWav(first, 3));
        QVERIFY(media::makeWav(second, 5));
        RecordingDevice device;
        WindowHarness h(&device);
        h.window().openFromOutside(first);
        h.waitForJobs();
        QCOMPARE(h.model().isFileOpen(), true);
        QVERIFY(h.model().setMarks(Marks{1000, 2000}));

        h.model().setJob(JobState{JobKind::Cut, scratch.filePath("ring.mp3"), std::nullopt});
        h.window().openFromOutside(second);
        QCOMPARE(h.model().media().value_or(OpenMedia{}).sourcePath, first);
        h.model().setJob(JobState{});

        h.window().openFromOutside(second);
        h.waitForJobs();
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QCOMPARE(h.model().media().value_or(OpenMedia{}).sourcePath, second);
        QCOMPARE(qlonglong(h.model().lengthMs()), 5000);
        QCOMPARE(h.model().marks(), Marks{});
        QCOMPARE(h.caption(QStringLiteral("lblFileName")), second.size() > 35 ? second.left(32) + "..." : second);
        QVERIFY(h.chooser.requests.isEmpty());  // no dialog for a file given from outside
    }
};

QTEST_MAIN(UiLifecycleTest)
#include "test_ui_lifecycle.moc"
