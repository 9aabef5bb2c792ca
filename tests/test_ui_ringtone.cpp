// Ringtones for today's phones in the real main window, with the real adapter
// and ffmpeg: the AAC and Vorbis formats, fades and loudness, the offered name,
// folder and type, the completion notice, and cancelling a decode or a cut.
#include "pipeline/SaveFlow.h"
#include "settings/ProgramConfig.h"
#include "support/Files.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"
#include "ui/MenuHolder.h"
#include "ui/SkinWidgets.h"
#include "ui/ToolbarActions.h"
#include "ui/WaveformView.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <cmath>

class UiRingtoneTest : public QObject {
    Q_OBJECT
    QTemporaryDir out;

    // A window with a working WAV of `seconds` holding `tone` (an ffmpeg lavfi
    // source), tagged with a title and an artist as a decode of a tagged song
    // leaves it, and the selection 4..10 s.
    static void prepare(WindowHarness &h, double seconds = 20,
                        const QString &tone = QStringLiteral("sine=f=440:r=44100"))
    {
        QVERIFY(h.paths.workFolderProblem().isEmpty());
        QString log;
        QVERIFY2(media::runFfmpeg({"-f", "lavfi", "-i", tone + QStringLiteral(":d=%1").arg(seconds), "-ac", "2",
                                   "-c:a", "pcm_s16le", "-metadata", "title=晴天", "-metadata", "artist=周杰伦",
                                   media::asFileUrl(h.paths.workWav())},
                                  &log),
                 qPrintable(log));
        h.model().setMedia(OpenMedia{{}, {}, std::int64_t(seconds * 1000), nullptr});
        QVERIFY(h.model().setMarks(Marks{4000, 10000}));
        h.model().setAfterSave({false, false});
    }

    QString standIn(const char *name, const QByteArray &body)
    {
        const QString path = out.filePath(QStringLiteral("stand-in ") + QLatin1String(name));
        return media::writeScript(path, body) ? path : QString();
    }

    static bool jobButtonsEnabled(WindowHarness &h)
    {
        return h.window().element(QStringLiteral("imgButton(1)"))->isEnabled()
               && h.window().element(QStringLiteral("imgCtrlButton(6)"))->isEnabled();
    }

    static QAction *menuEntry(WindowHarness &h, const char *name)
    {
        return h.window().menus().popup(3)->findChild<QAction *>(QLatin1String(name));
    }

    static QStringList hiddenLeftovers(const QString &folder) { return hiddenIn(folder); }

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(out.isValid());
    }

    void cleanup() { qunsetenv("BRINDLEWAVE_FFMPEG"); }

    // Each new format is written in its codec and container, at the rate and
    // channels phones expect, as long as the selection, with the song's tags.
    void newFormatsAreWrittenAndProven_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("container");
        QTest::newRow("iPhone") << "it's \"q\" 铃.m4r" << "aac" << "mov,mp4,m4a,3gp,3g2,mj2";
        QTest::newRow("ogg") << "ring.OGG" << "vorbis" << "ogg";
        QTest::newRow("m4a") << "ring.m4a" << "aac" << "mov,mp4,m4a,3gp,3g2,mj2";
        QTest::newRow("mp3 keeps its tags too") << "ring.mp3" << "mp3" << "mp3";
    }
    void newFormatsAreWrittenAndProven()
    {
        QFETCH(QString, name);
        QFETCH(QString, codec);
        QFETCH(QString, container);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h);
        const QString destination = out.filePath(name);
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));

        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
        const media::AudioInfo info = media::probe(destination);
        QVERIFY2(info.valid, qPrintable(info.error));
        QCOMPARE(info.codec, codec);
        QCOMPARE(info.container, container);
        if (codec == u"aac")
            QCOMPARE(info.profile, QStringLiteral("LC"));
        QCOMPARE(info.sampleRate, codec == u"mp3" ? 48000 : 44100);
        QCOMPARE(info.channels, 2);
        QVERIFY2(qAbs(info.duration - 6.0) <= 0.05, qPrintable(QString::number(info.duration)));
        QCOMPARE(info.title, QStringLiteral("晴天"));
        QCOMPARE(info.artist, QStringLiteral("周杰伦"));
        QCOMPARE(hiddenLeftovers(out.path()), QStringList());
        QFile::remove(destination);
    }

    // The dialog offers the song's folder, a name saying which song and which
    // stretch, and the type saved last; the type and folder of the last save
    // are offered again in the next run.
    void offeredNameFolderAndTypeFollowTheSongAndTheLastSave()
    {
        QTemporaryDir songs;
        QTemporaryDir sharedConfig;
        const QString song = songs.filePath(QStringLiteral("a song.mp3"));
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i", "sine=f=330:d=95", "-ac", "2", "-c:a", "libmp3lame",
                                  "-b:a", "96k", "-metadata", "title=晴天/Sunny", "-metadata", "artist=周杰伦",
                                  media::asFileUrl(song)}));
        const auto shareConfig = [&](Paths &p) { p.configFolder = sharedConfig.path(); };
        {
            WindowHarness h(nullptr, shareConfig);
            h.model().setAfterSave({false, false});
            h.chooser.answers = QStringList{song};
            h.click(QStringLiteral("imgButton(0)"));
            QCOMPARE(h.model().lengthMs() / 1000, 95);
            QVERIFY(h.model().setMarks(Marks{62500, 91000}));

            const QString chosen = songs.filePath(QStringLiteral("晴天-Sunny 1.02-1.31.m4r"));
            h.chooser.answers = QStringList{chosen};
            h.click(QStringLiteral("imgButton(1)"));
            const FileChoice &first = h.chooser.requests.last();
            QCOMPARE(QDir(first.folder).canonicalPath(), QDir(songs.path()).canonicalPath());
            QCOMPARE(first.initialName, QStringLiteral("晴天 Sunny 1.02.500-1.31.mp3"));
            QCOMPARE(first.selectedFilter, 0);
            QCOMPARE(first.filters.size(), 7);
            QCOMPARE(first.filters.mid(4), (QStringList{"iPhone 铃声(*.m4r)", "OGG 格式(*.ogg)", "M4A 格式(*.m4a)"}));
            QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
            QCOMPARE(media::probe(chosen).codec, QStringLiteral("aac"));

            // the next save offers the type just used
            QVERIFY(h.model().setMarks(Marks{0, 9000}));
            h.click(QStringLiteral("imgButton(1)"));  // cancelled
            QCOMPARE(h.chooser.requests.last().selectedFilter, 4);
            QCOMPARE(h.chooser.requests.last().initialName, QStringLiteral("晴天 Sunny 0.00-0.09.m4r"));
        }
        // the next run, with a song on a folder that has gone away
        WindowHarness h(nullptr, shareConfig);
        prepare(h);
        h.setSource(QStringLiteral("/no/such/stick/song.mp3"));
        h.click(QStringLiteral("imgButton(1)"));  // cancelled
        const FileChoice &next = h.chooser.requests.last();
        QCOMPARE(next.selectedFilter, 4);
        QCOMPARE(next.initialName, QStringLiteral("song 0.04-0.10.m4r"));
        QCOMPARE(QDir(next.folder).canonicalPath(), QDir(songs.path()).canonicalPath());
    }

    // An iPhone takes ringtones of at most 40 s: a longer M4R is saved only
    // when the user goes on after being told.
    void aLongIphoneRingtoneIsSavedOnlyAfterTheUserGoesOn()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, 50);
        device.commands.clear();
        QVERIFY(h.model().setMarks(Marks{2000, 44000}));
        const QString destination = out.filePath(QStringLiteral("long.m4r"));

        h.messages.queuedAnswers = {MessageAnswer::Cancel};
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.messages.count(), 1);
        QCOMPARE(h.messages.last().buttons, MessageButtons::OkCancel);
        QVERIFY2(h.messages.last().text.contains(QStringLiteral("40 秒")), qPrintable(h.messages.last().text));
        QVERIFY(!h.controller().cutRunner().lastStarted());
        QVERIFY(!QFile::exists(destination));
        QVERIFY(!device.commands.contains(QStringLiteral("stop sound")));  // playback untouched

        h.messages.queuedAnswers = {MessageAnswer::Ok};
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.messages.count(), 2);
        QVERIFY2(qAbs(media::probe(destination).duration - 42.0) <= 0.05, qPrintable(destination));

        // the same length as M4A, and 40 s as M4R, need no question
        QVERIFY(h.model().setMarks(Marks{2000, 42000}));
        h.chooser.answers = QStringList{out.filePath(QStringLiteral("forty.m4r"))};
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY(h.model().setMarks(Marks{2000, 44000}));
        h.chooser.answers = QStringList{out.filePath(QStringLiteral("long.m4a"))};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.messages.count(), 2);
        QVERIFY(QFile::exists(out.filePath(QStringLiteral("forty.m4r"))));
        QVERIFY(QFile::exists(out.filePath(QStringLiteral("long.m4a"))));
    }

    // Fades shape the saved file: the first and last 20 ms of a steady tone
    // are much quieter than its middle, the middle is the tone unchanged, and
    // the fade in rises linearly from the selection's start.
    void fadesShapeTheSavedRingtone()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h);
        h.controller().setShaping({500, 1000, false});
        const QString destination = out.filePath(QStringLiteral("faded.wav"));
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));

        const media::Pcm16 source = media::readPcm16(h.paths.workWav());
        const media::Pcm16 saved = media::readPcm16(destination);
        QCOMPARE(saved.sampleRate, 44100);
        QCOMPARE(saved.samples.size() / saved.channels, 6 * 44100);
        const double middle = saved.rms(2.0, 4.0);
        QVERIFY2(qAbs(middle - source.rms(6.0, 8.0)) <= 0.001, qPrintable(QString::number(middle)));
        const double first = saved.rms(0.0, 0.02);
        const double last = saved.rms(5.98, 6.0);
        qInfo("RMS of the middle %.4f; first 20 ms %.4f (%.1f dB), last 20 ms %.4f (%.1f dB)", middle, first,
              20 * std::log10(first / middle), last, 20 * std::log10(last / middle));
        QVERIFY2(first < middle * 0.05, qPrintable(QString::number(first / middle)));
        QVERIFY2(last < middle * 0.05, qPrintable(QString::number(last / middle)));
        // halfway through the fades the tone stands at half its level
        QVERIFY2(qAbs(saved.rms(0.24, 0.26) / middle - 0.5) < 0.05, qPrintable(QString::number(saved.rms(0.24, 0.26) / middle)));
        QVERIFY2(qAbs(saved.rms(5.49, 5.51) / middle - 0.5) < 0.05, qPrintable(QString::number(saved.rms(5.49, 5.51) / middle)));
        // the fades end where they should: full level just after the fade in,
        // and just before the fade out
        QVERIFY(saved.rms(0.5, 0.52) / middle > 0.97);
        QVERIFY(saved.rms(4.98, 5.0) / middle > 0.97);
    }

    // Normalising brings a quiet and a loud song alike to -14 LUFS (within 1 LU),
    // with true peaks at most -1 dBTP, in the lossy formats too.
    void normalisedRingtonesMeetTheLoudnessTarget_data()
    {
        QTest::addColumn<QString>("tone");
        QTest::addColumn<QString>("extension");
        const QString quiet = QStringLiteral("aevalsrc=0.02*sin(440*2*PI*t)+0.01*sin(1250*2*PI*t)|0.02*sin(660*2*PI*t):s=44100");
        const QString loud =
            QStringLiteral("aevalsrc=0.9*sin(440*2*PI*t)+0.09*sin(3000*2*PI*t)|0.9*sin(660*2*PI*t):s=44100");
        QTest::newRow("quiet, mp3") << quiet << "mp3";
        QTest::newRow("loud, mp3") << loud << "mp3";
        QTest::newRow("quiet, m4r") << quiet << "m4r";
        QTest::newRow("loud, ogg") << loud << "ogg";
    }
    void normalisedRingtonesMeetTheLoudnessTarget()
    {
        QFETCH(QString, tone);
        QFETCH(QString, extension);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h, 20, tone);
        const media::Loudness before = media::measureLoudness(h.paths.workWav());
        QVERIFY2(before.valid, qPrintable(before.error));
        QVERIFY2(qAbs(before.integratedLufs + 14) > 8, qPrintable(QString::number(before.integratedLufs)));

        h.controller().setShaping({0, 0, true});
        const QString destination = out.filePath(QStringLiteral("normalised.") + extension);
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
        const media::Loudness after = media::measureLoudness(destination);
        QVERIFY2(after.valid, qPrintable(after.error));
        const QString figures = QStringLiteral("%1 LUFS, %2 dBTP (source %3 LUFS)")
                                    .arg(after.integratedLufs)
                                    .arg(after.truePeakDbtp)
                                    .arg(before.integratedLufs);
        qInfo("%s: %s", QTest::currentDataTag(), qPrintable(figures));
        QVERIFY2(qAbs(after.integratedLufs + 14) <= 1.0, qPrintable(figures));
        QVERIFY2(after.truePeakDbtp <= -1.0, qPrintable(figures));
        QFile::remove(destination);
    }

    // A finished save is told in the status strip, not in a box: the name, the
    // length and the size, and the folder and the file one click away.
    void aFinishedSaveIsToldInTheStatusStrip()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h);
        const QString destination = out.filePath(QStringLiteral("told.mp3"));
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QVERIFY(h.messages.isEmpty());
        QVERIFY(h.shell.opened.isEmpty());  // the after-save choices say no

        const QString notice = h.window().noticeText();
        QVERIFY2(notice.contains(QStringLiteral("told.mp3")), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("6.0 秒")), qPrintable(notice));
        QVERIFY2(notice.contains(SaveFlow::sizeText(QFileInfo(destination).size())), qPrintable(notice));
        QCOMPARE(h.model().notice().file, destination);
        for (const char *key : {"lblNotice", "lblNoticeFolder", "lblNoticePlay"})
            QVERIFY2(h.window().element(QLatin1String(key))->isVisible(), key);
        const QWidget *text = h.window().element(QStringLiteral("lblNotice"));
        const QWidget *folder = h.window().element(QStringLiteral("lblNoticeFolder"));
        QVERIFY(folder->x() >= text->x() + text->width());  // the actions follow the text
        QVERIFY(h.window().element(QStringLiteral("lblNoticePlay"))->geometry().right()
                < h.window().element(QStringLiteral("imgFeedback"))->x());

        h.click(QStringLiteral("lblNoticeFolder"));
        h.click(QStringLiteral("lblNoticePlay"));
        QCOMPARE(h.shell.opened, (QList<QUrl>{QUrl::fromLocalFile(out.path()), QUrl::fromLocalFile(destination)}));
        QVERIFY(h.messages.isEmpty());
        // Without a desktop handler, each link says so and names what it was for.
        h.shell.answer = false;
        h.click(QStringLiteral("lblNoticeFolder"));
        h.click(QStringLiteral("lblNoticePlay"));
        QCOMPARE(h.messages.texts(),
                 (QStringList{"无法打开这个文件夹：\n" + out.path() + "\n\n桌面上没有能打开它的程序（例如没有安装 xdg-open）。",
                              "无法播放这个文件：\n" + destination + "\n\n桌面上没有能播放它的程序（例如没有安装 xdg-open）。"}));
        h.messages.clear();
        h.shell.answer = true;

        // A failed save keeps its box and clears the notice of the last one.
        qputenv("BRINDLEWAVE_FFMPEG", "/bin/false");
        h.chooser.answers = QStringList{out.filePath(QStringLiteral("failed.mp3"))};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.messages.count(), 1);
        QVERIFY(h.window().noticeText().isEmpty());
        QVERIFY(!h.window().element(QStringLiteral("lblNoticeFolder"))->isVisible());
        QFile::remove(destination);
    }

    // Escape or the button beside the bar stops a cut: no file under the chosen
    // name or the hidden one, the selection as it was, the strip says so.
    void cancellingACutLeavesNothing_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<bool>("measuring");  // stopped while the loudness is measured, before the cut
        QTest::newRow("Escape") << true << false;
        QTest::newRow("cancel button") << false << false;
        QTest::newRow("Escape while the loudness is measured") << true << true;
    }
    void cancellingACutLeavesNothing()
    {
        QFETCH(bool, byKey);
        QFETCH(bool, measuring);
        RecordingDevice device;
        WindowHarness h(&device);
        prepare(h);
        const QString destination = out.filePath(QStringLiteral("cancelled.mp3"));
        QFile kept(destination);
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("last week's ringtone") > 0);
        kept.close();
        bool partialSeen = false;
        if (measuring) {
            // Escape is queued as the job starts, ahead of the measure's end.
            h.model().setShaping({0, 0, true});
            QObject::connect(&h.model(), &EditorModel::jobChanged, &h.window(), [&] {
                if (h.model().job().kind == JobKind::Cut)
                    QTimer::singleShot(0, &h.window(), [&] { QTest::keyClick(&h.window(), Qt::Key_Escape); });
            });
        } else {
            // writes part of the file, tells its progress, then takes its time
            qputenv("BRINDLEWAVE_FFMPEG",
                    QFile::encodeName(standIn("slow cut", "for a in \"$@\"; do out=\"$a\"; done\n"
                                                          "head -c 5000 /dev/urandom > \"${out#file:}\"\n"
                                                          "printf 'size=    5kB time=00:00:01.00 bitrate=1.0kbits/s\\r'\n"
                                                          "exec sleep 60")));
        }
        QObject::connect(&h.controller().cutRunner(), &ProcessRunner::outputReceived, &h.window(), [&] {
            // the stand-in has written part of the file, which has no name yet
            partialSeen = partialSeen || hiddenIn(QFileInfo(destination).absolutePath()).isEmpty();
            QTimer::singleShot(0, &h.window(), [&] {
                if (byKey)
                    QTest::keyClick(&h.window(), Qt::Key_Escape);
                else
                    h.click(QStringLiteral("cmdCancelCut"));
            });
        });
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));

        QCOMPARE(partialSeen, !measuring);
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
        QVERIFY2(h.window().noticeText().contains(QStringLiteral("已取消保存")), qPrintable(h.window().noticeText()));
        QVERIFY(h.model().notice().file.isEmpty());
        QVERIFY(!h.controller().cutRunner().isRunning());
        QCOMPARE(hiddenLeftovers(out.path()), QStringList());
        QFile check(destination);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("last week's ringtone"));
        QCOMPARE(h.model().marks(), (Marks{4000, 10000}));
        QVERIFY(jobButtonsEnabled(h));
        QVERIFY(!h.window().element(QStringLiteral("cmdCancelCut"))->isVisible());
        QVERIFY(!h.window().element(QStringLiteral("picPro"))->isVisible());
        QVERIFY(!device.commands.contains(QStringLiteral("play chime")));

        // the next save runs whole
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QObject::disconnect(&h.controller().cutRunner(), &ProcessRunner::outputReceived, &h.window(), nullptr);
        QObject::disconnect(&h.model(), &EditorModel::jobChanged, &h.window(), nullptr);
        h.chooser.answers = QStringList{destination};
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(media::probe(destination).codec, QStringLiteral("mp3"));
        QFile::remove(destination);
    }

    // While the decode runs, the file is open as far as it is decoded: its
    // announced length, the waveform so far, presses that seek only into what
    // exists, and no save until the decode has ended. A cancel then returns the
    // program to where the open began: nothing open, nothing playing, no
    // working WAV, no message box.
    void cancellingADecodeReturnsToBeforeTheOpen_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Escape") << true;
        QTest::newRow("cancel button") << false;
    }
    void cancellingADecodeReturnsToBeforeTheOpen()
    {
        QFETCH(bool, byKey);
        const QString song = out.filePath(QStringLiteral("to be cancelled.mp3"));
        QVERIFY(media::makeStereoMp3(song, 5));
        // What a decoder has written 2.5 s into a 3-minute file: a header whose
        // sizes are not final yet, and 20,000 frames at 8 kHz, all at 0.25.
        const QString partial = out.filePath(QStringLiteral("partly decoded.wav"));
        {
            QByteArray wav("RIFF\xff\xff\xff\xffWAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0"
                           "data\xff\xff\xff\xff", 44);
            for (int i = 0; i < 20000; ++i)
                wav.append("\0\x20", 2);
            QFile file(partial);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size());
        }
        WindowHarness h;
        qputenv("BRINDLEWAVE_FFMPEG",
                QFile::encodeName(standIn("slow decode", "for a in \"$@\"; do out=\"$a\"; done\n"
                                                         "echo '  Duration: 00:03:00.00, start: 0.000000, bitrate: 96 kb/s'\n"
                                                         "cat '" + QFile::encodeName(partial) + "' > \"${out#file:}\"\n"
                                                         "printf 'size=   40kB time=00:00:02.50 bitrate=1.0kbits/s\\r'\n"
                                                         "exec sleep 60")));
        h.chooser.answers = QStringList{song};
        h.controller().toolbar().press(ToolbarActions::Button::Open);
        const auto live = [&h] {
            const auto &m = h.model().media();
            return m && m->decodedMs == 2500 && m->lengthMs == 180000;
        };
        QVERIFY2(WindowHarness::waitFor(live, 20000), qPrintable(QString::number(h.model().lengthMs())));
        QCOMPARE(h.model().job().kind, JobKind::Decode);
        QVERIFY(h.window().element(QStringLiteral("picOpened"))->isVisible());
        QCOMPARE(h.model().view(), (VisibleSpan{0.0, 180000.0}));
        const auto peaks = h.model().media()->peaks;
        QVERIFY(peaks);
        QCOMPARE(qlonglong(peaks->frames()), 20000);
        QCOMPARE(peaks->range(0, 0, 20000).max, 0.25f);
        QCOMPARE(h.window().findChild<WaveformView *>()->decodedUntil(), std::optional<double>(2500.0));

        // a press at 1:30 plays from the end of what is decoded
        QTest::mouseClick(h.window().element(QStringLiteral("picOpened")), Qt::LeftButton, {}, QPoint(364, 30));
        QCOMPARE(h.device().send(QStringLiteral("status sound position")).toLongLong(), 2500);

        // a stretch within or beyond what is decoded: not saved yet
        for (const Marks marks : {Marks{500, 2000}, Marks{1000, 60000}}) {
            h.messages.clear();
            QVERIFY(h.model().setMarks(marks));
            h.controller().toolbar().press(ToolbarActions::Button::Save);
            QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("文件还在解码（已解码 00:00:02.5，共 00:03:00.0）。\n"
                                                                    "解码结束后才能保存铃声。")});
            QCOMPARE(h.chooser.requests.size(), 1);  // the open's dialog only
            QCOMPARE(h.model().job().kind, JobKind::Decode);
        }
        h.messages.clear();

        if (byKey)
            QTest::keyClick(&h.window(), Qt::Key_Escape);
        else
            QTest::mouseClick(h.window().element(QStringLiteral("cmdCancelDecode")), Qt::LeftButton);
        h.waitForJobs();
        QCOMPARE(h.model().play(), PlayState{});
        QCOMPARE(h.device().send(QStringLiteral("status sound mode")), QString());

        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(u'\n')));
        QVERIFY2(h.window().noticeText().contains(QStringLiteral("已取消打开")), qPrintable(h.window().noticeText()));
        QVERIFY(!h.controller().decodeRunner().isRunning());
        QVERIFY(!QFile::exists(h.paths.workWav()));
        QCOMPARE(h.model().isFileOpen(), false);
        QCOMPARE(h.model().lengthMs(), 0);
        QVERIFY(h.model().media().value_or(OpenMedia{}).sourcePath.isEmpty());
        QVERIFY(!h.window().element(QStringLiteral("picPBBack"))->isVisible());
        QVERIFY(!h.window().element(QStringLiteral("cmdCancelDecode"))->isVisible());
        QVERIFY(!h.window().element(QStringLiteral("picOpened"))->isVisible());

        // the same file opens whole afterwards
        qunsetenv("BRINDLEWAVE_FFMPEG");
        h.chooser.answers = QStringList{song};
        h.click(QStringLiteral("imgButton(0)"));
        QCOMPARE(h.model().isFileOpen(), true);
        QCOMPARE(h.model().lengthMs() / 100, 50);
        QVERIFY(h.window().noticeText().isEmpty());
    }

    // The settings popup's fade and loudness items show the model's state,
    // change it, and are remembered in brindlewave.conf; setup.ini keeps its
    // two lines.
    void shapingItemsShowTheirStateAndAreRemembered()
    {
        QTemporaryDir sharedConfig;
        const auto shareConfig = [&](Paths &p) { p.configFolder = sharedConfig.path(); };
        QByteArray setupBefore;
        {
            WindowHarness h(nullptr, shareConfig);
            QFile setup(h.paths.settingsFile());
            if (setup.open(QIODevice::ReadOnly))
                setupBefore = setup.readAll();
            QMenu *popup = h.window().menus().popup(3);
            auto checkedOf = [&](const char *name) {
                emit popup->aboutToShow();
                return menuEntry(h, name)->isChecked();
            };
            QVERIFY(!checkedOf("menuFadeIn500") && !checkedOf("menuNormalize"));
            menuEntry(h, "menuFadeIn1000")->trigger();
            menuEntry(h, "menuFadeOut3000")->trigger();
            menuEntry(h, "menuNormalize")->trigger();
            QCOMPARE(h.model().shaping(), (CutShaping{1000, 3000, true}));
            QVERIFY(checkedOf("menuFadeIn1000") && checkedOf("menuFadeOut3000") && checkedOf("menuNormalize"));
            QVERIFY(!checkedOf("menuFadeIn500") && !checkedOf("menuFadeOut1000"));

            menuEntry(h, "menuFadeIn500")->trigger();   // another length replaces it
            menuEntry(h, "menuFadeOut3000")->trigger();  // the length that is on turns it off
            QCOMPARE(h.model().shaping(), (CutShaping{500, 0, true}));
            QVERIFY(checkedOf("menuFadeIn500") && !checkedOf("menuFadeIn1000") && !checkedOf("menuFadeOut3000"));
            QCOMPARE(h.controller().commands().lastWord(), QStringLiteral("FadeOut3000"));
        }
        WindowHarness h(nullptr, shareConfig);
        QCOMPARE(h.model().shaping(), (CutShaping{500, 0, true}));
        emit h.window().menus().popup(3)->aboutToShow();
        QVERIFY(menuEntry(h, "menuFadeIn500")->isChecked());
        QVERIFY(menuEntry(h, "menuNormalize")->isChecked());
        QFile setup(h.paths.settingsFile());
        QCOMPARE(setup.open(QIODevice::ReadOnly) ? setup.readAll() : QByteArray(), setupBefore);
    }
};

QTEST_MAIN(UiRingtoneTest)
#include "test_ui_ringtone.moc"
