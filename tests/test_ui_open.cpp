// Opening a media file in the real main window, with the real adapter, ffmpeg
// and playback device (SDL's dummy driver), and working the time line with the
// pointer at the design's pixel geometry.
#include "pipeline/FailureReport.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/SaveFlow.h"
#include "playback/PeakSummary.h"
#include "playback/Timeline.h"
#include "support/Media.h"
#include "support/WindowHarness.h"
#include "ui/SkinWidgets.h"

#include <QFile>
#include <QMenu>
#include <QtEndian>
#include <QtTest>

class UiOpenTest : public QObject {
    Q_OBJECT
    QTemporaryDir media;
    QString song;  // three minutes

    static qint64 position(PlaybackDevice &device)
    {
        return device.send(QStringLiteral("status sound position")).toLongLong();
    }

    // Opens the song and plays it until the length is known.
    static void openAndPlay(WindowHarness &h, const QString &path)
    {
        h.chooser.answers = QStringList{path};
        h.click(QStringLiteral("imgButton(0)"));
        QVERIFY(h.window().element(QStringLiteral("picOpened"))->isVisible());
        h.click(QStringLiteral("imgCtrlButton(0)"));
        QVERIFY(WindowHarness::waitFor([&] { return QString::number(h.model().lengthMs() / 1000) == QLatin1String("180"); }, 3000));
    }

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(media.isValid());
        song = media.filePath(QStringLiteral("three minutes.mp3"));
        QVERIFY(media::makeStereoMp3(song, 180, 44100, QStringLiteral("96k")));
    }

    void openingShowsProgressThenTheTimeLine()
    {
        WindowHarness h;
        QStringList labels;
        QObject::connect(&h.model(), &EditorModel::jobChanged, [&] {
            if (h.model().job().kind != JobKind::Decode)
                return;
            if (labels.isEmpty() || labels.last() != h.caption(QStringLiteral("lblPB")))
                labels << h.caption(QStringLiteral("lblPB"));
        });
        openAndPlay(h, song);
        QCOMPARE(h.chooser.requests.first().title, QStringLiteral("打开一个媒体文件"));
        // every kind of media first, in either case, then one filter per kind
        const QStringList filters = h.chooser.requests.first().filters;
        QCOMPARE(filters.size(), 12);
        QVERIFY2(filters.first().startsWith(QStringLiteral("音频和视频文件 (*.mp3 *.m4a *.m4r *.mp4 *.aac *.ogg *.oga *.opus "
                                                           "*.flac *.wav *.wma *.amr *.mkv *.webm *.avi *.mov *.wmv *.3gp")),
                 qPrintable(filters.first()));
        QVERIFY(filters.first().contains(QStringLiteral(" *.M4A ")));
        QCOMPARE(filters.at(1), QStringLiteral("MP3 格式(*.mp3)"));
        QCOMPARE(labels.last(), QStringLiteral("100%"));
        QVERIFY(labels.size() >= 2);  // it moved on the way there
        QVERIFY(!h.window().element(QStringLiteral("picPBBack"))->isVisible());
        QCOMPARE(h.model().isFileOpen(), true);
        QCOMPARE(h.caption(QStringLiteral("lblFileName")), OpenFlow::tabCaption(song));
        QVERIFY(h.messages.messages.isEmpty());
        // the waveform, read after the open, is the whole working WAV's
        const auto peaks = h.model().media()->peaks;
        QVERIFY(peaks);
        QCOMPARE(peaks->channels(), 2);
        QCOMPARE(qlonglong(peaks->frames() * 1000 / peaks->sampleRate()), qlonglong(h.model().lengthMs()));
    }

    // What the window shows is worked out from the model alone: each step sets
    // model values and reads the captions and panels they give.
    void theWindowShowsTheModel()
    {
        WindowHarness h;
        EditorModel &m = h.model();
        const QString song = QStringLiteral("/music/a song whose name goes on and on and on.mp3");
        const auto shown = [&h](const char *key) { return h.shown(QLatin1String(key)); };
        const auto enabled = [&h](const char *key) { return h.window().element(QLatin1String(key))->isEnabled(); };

        m.setJob(JobState{JobKind::Decode, song, std::nullopt});
        QCOMPARE(h.caption(QStringLiteral("lblFileName")), QStringLiteral("/music/a song whose name goes on..."));
        QCOMPARE(h.caption(QStringLiteral("lblPB")), QStringLiteral("0%"));
        QVERIFY(shown("picPBBack") && shown("cmdCancelDecode") && !shown("picPro") && !shown("picOpened"));
        m.setJob(JobState{JobKind::Decode, song, 0.375});
        QCOMPARE(h.caption(QStringLiteral("lblPB")), QStringLiteral("37.5%"));

        m.setJob({});
        m.setMedia(OpenMedia{QStringLiteral("/music/other.mp3"), {}, 180000, nullptr});
        QVERIFY(shown("picOpened") && !shown("picPBBack") && !shown("cmdCancelDecode"));
        QCOMPARE(h.caption(QStringLiteral("lblFileName")), QStringLiteral("/music/other.mp3"));
        QCOMPARE(h.caption(QStringLiteral("lblViewEnd")), QStringLiteral("03:00.000"));
        PlayState play;
        play.positionMs = 83300;
        m.setPlay(play);
        QCOMPARE(h.caption(QStringLiteral("lblTime")), QStringLiteral("01:23.3"));

        m.setJob(JobState{JobKind::Cut, QStringLiteral("/tmp/ring.mp3"), 0.5});
        QCOMPARE(h.caption(QStringLiteral("lblPro")), QStringLiteral("50%"));
        QVERIFY(shown("picPro") && shown("cmdCancelCut") && !enabled("imgButton(0)") && !enabled("imgCtrlButton(0)"));
        m.setJob({});
        QVERIFY(!shown("picPro") && enabled("imgButton(0)") && enabled("imgCtrlButton(0)"));

        // the notice, in the words of its kind; only a saved file has the links
        const struct {
            Notice notice;
            const char *text;
            bool links;
        } notices[] = {{{Notice::Kind::Saved, QStringLiteral("/tmp/ring.mp3"), 3.0, 48 * 1024}, "已保存 ring.mp3（3.0 秒，48 KB）", true},
                       {{Notice::Kind::OpenCancelled, song}, "已取消打开 a song whose name goes on and on and on.mp3", false},
                       {{Notice::Kind::SaveCancelled}, "已取消保存，没有写出文件。", false},
                       {{}, "", false}};
        for (const auto &n : notices) {
            m.setNotice(n.notice);
            QCOMPARE(h.window().noticeText(), QString::fromUtf8(n.text));
            QCOMPARE(shown("lblNotice"), *n.text != 0);
            QCOMPARE(shown("lblNoticeFolder") && shown("lblNoticePlay"), n.links);
        }

        m.setMedia(std::nullopt);
        QVERIFY(!shown("picOpened"));
        QCOMPARE(h.caption(QStringLiteral("lblViewEnd")), QStringLiteral("00:00.000"));
    }

    void handlesKeepTheirOrderAndBounds()
    {
        WindowHarness h;
        openAndPlay(h, song);
        h.click(QStringLiteral("imgCtrlButton(1)"));
        h.timeline().handleVisible[0] = h.timeline().handleVisible[1] = true;
        h.timeline().handleX[1] = 400 * 15;
        h.timeline().touch();

        h.drag(QStringLiteral("imgSelectTop1"), QPoint(6, 4), 500);
        QCOMPARE(h.window().element(QStringLiteral("imgSelectTop1"))->x(), 387);
        QCOMPARE(h.window().element(QStringLiteral("imgSelectBottom1"))->x(), 387);
        QCOMPARE(h.window().element(QStringLiteral("imgSelectLine1"))->x(), 393);

        h.drag(QStringLiteral("imgSelectBottom2"), QPoint(6, 4), 600);
        QCOMPARE(h.window().element(QStringLiteral("imgSelectTop2"))->x(), 728);
        QCOMPARE(h.model().marks().endMs, h.model().lengthMs());
        QCOMPARE(h.window().label(QStringLiteral("lblSelEnd"))->text(),
                 timeline::formatClock(h.model().lengthMs(), false, 3));

        h.drag(QStringLiteral("imgSelectTop1"), QPoint(6, 4), -23);
        // to the millisecond of the decoded file's exact length
        const qint64 middle = std::llround(h.model().lengthMs() * 364.0 / 728.0);
        QCOMPARE(h.model().marks().startMs, middle);
        QCOMPARE(h.window().label(QStringLiteral("lblSelBegin"))->text(), timeline::formatClock(middle, false, 3));
        QCOMPARE(h.window().label(QStringLiteral("lblSelLength"))->text(),
                 timeline::formatClock(h.model().lengthMs() - middle, false, 3));
        // the view row shows the whole file on view
        QCOMPARE(h.window().label(QStringLiteral("lblViewBegin"))->text(), QStringLiteral("00:00.000"));
        QCOMPARE(h.window().label(QStringLiteral("lblViewEnd"))->text(), timeline::formatClock(h.model().lengthMs(), false, 3));
    }

    void playHeadDragAndPanelPressSeek()
    {
        WindowHarness h;
        openAndPlay(h, song);
        h.click(QStringLiteral("imgCtrlButton(1)"));
        QVERIFY(WindowHarness::waitFor([&] { return h.window().element(QStringLiteral("imgTopPoint"))->x() == 0; }, 1000));

        h.drag(QStringLiteral("imgTopPoint"), QPoint(6, 4), 182);
        const qint64 afterMarker = position(h.device());
        QVERIFY2(afterMarker >= 45000 && afterMarker < 45600, qPrintable(QString::number(afterMarker)));

        QWidget *panel = h.window().element(QStringLiteral("picOpened"));
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(364, 30));
        const qint64 afterPanel = position(h.device());
        QVERIFY2(afterPanel >= 90000 && afterPanel < 90600, qPrintable(QString::number(afterPanel)));
        QVERIFY(WindowHarness::waitFor([&] { return h.window().element(QStringLiteral("imgTopPoint"))->x() >= 364; }, 1000));

        // A drag selects and leaves playback where it was (still past 1:30);
        // a wobble under the drag distance is a click, which seeks.
        const VisibleSpan whole = h.model().view();
        const Marks dragged{timeline::positionToMs(100 * 15, whole), timeline::positionToMs(200 * 15, whole)};
        h.drag(QStringLiteral("picOpened"), QPoint(100, 30), 100);
        QCOMPARE(h.model().marks(), dragged);
        const qint64 afterDrag = position(h.device());
        QVERIFY2(afterDrag >= afterPanel, qPrintable(QString::number(afterDrag)));
        h.drag(QStringLiteral("picOpened"), QPoint(182, 30), 3);
        const qint64 afterWobble = position(h.device());
        QVERIFY2(afterWobble >= 45000 && afterWobble < 45600, qPrintable(QString::number(afterWobble)));
        QCOMPARE(h.model().marks(), dragged);
    }

    void selectionPreviewStopsAtItsEnd()
    {
        WindowHarness h;
        openAndPlay(h, song);
        QVERIFY(h.model().setMarks(Marks{20000, 21000}));
        h.click(QStringLiteral("imgCtrlButton(5)"));
        QCOMPARE(h.model().play().playingSelection, true);
        QVERIFY(WindowHarness::waitFor([&] { return h.model().play().playingSelection == false; }, 3000));
        QCOMPARE(h.caption(QStringLiteral("lblTime")), QStringLiteral("00:00.0"));
        bool ok = true;
        h.device().send(QStringLiteral("status sound position"), &ok);
        QVERIFY(!ok);  // the preview closed the device
    }

    // Where files were opened from survives a restart: the open dialog's
    // folder, and the recent files in the File menu, newest first; one that
    // has gone is said so and taken off.
    void whereFilesWereOpenedIsRemembered()
    {
        QTemporaryDir config;
        const auto shared = [&config](Paths &p) { p.configFolder = config.path(); };
        const QString gone = media.filePath(QStringLiteral("gone, soon.wav"));
        QVERIFY(media::makeWav(gone, 2));
        {
            WindowHarness h(nullptr, shared);
            h.chooser.answers = QStringList{gone, song};
            h.click(QStringLiteral("imgButton(0)"));
            h.click(QStringLiteral("imgButton(0)"));
            QCOMPARE(h.model().openHistory().recent, (QStringList{song, gone}));
        }
        QVERIFY(QFile::remove(gone));

        WindowHarness h(nullptr, shared);
        QCOMPARE(h.model().openHistory(), (OpenHistory{media.path(), 0, {song, gone}}));
        h.click(QStringLiteral("imgButton(0)"));  // cancelled
        QCOMPARE(h.chooser.requests.last().folder, media.path());
        auto *recent = h.window().findChild<QMenu *>(QStringLiteral("menuRecent"));
        QVERIFY(recent);
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 2);
        QCOMPARE(recent->actions().at(1)->text(), QStringLiteral("&2 gone, soon.wav — ") + media.path());

        recent->actions().at(1)->trigger();
        QCOMPARE(h.messages.texts(), QStringList{QStringLiteral("这个文件已经不在了：\n%1\n\n已把它从最近打开的文件中去掉。").arg(gone)});
        QCOMPARE(h.model().openHistory().recent, QStringList{song});
        QCOMPARE(h.model().isFileOpen(), false);
        h.controller().commands().write(QStringLiteral("OpenRecent:0"));
        h.waitForJobs();
        QCOMPARE(h.model().media().value_or(OpenMedia{}).sourcePath, song);
    }

    void closingAsksFirstAndResetsTheSelection()
    {
        WindowHarness h;
        openAndPlay(h, song);
        QVERIFY(h.model().setMarks(Marks{3000, 9000}));
        h.messages.defaultAnswer = MessageAnswer::Cancel;
        h.controller().commands().write(QStringLiteral("CloseFile"));
        QCOMPARE(h.messages.messages.last().text, QStringLiteral("当前的文件将被关闭，确定吗？"));
        QCOMPARE(h.messages.messages.last().title, QStringLiteral("关闭"));
        QCOMPARE(h.messages.messages.last().icon, MessageIcon::None);
        QVERIFY(h.window().element(QStringLiteral("picOpened"))->isVisible());
        QCOMPARE(h.model().marks().endMs, 9000);

        h.messages.defaultAnswer = MessageAnswer::Ok;
        h.controller().commands().write(QStringLiteral("CloseFile"));
        QVERIFY(!h.window().element(QStringLiteral("picOpened"))->isVisible());
        QCOMPARE(h.model().marks(), Marks{});
        QCOMPARE(h.model().isFileOpen(), false);
        QCOMPARE(h.window().label(QStringLiteral("lblPB"))->text(), QStringLiteral("0%"));
        QCOMPARE(h.chooser.requests.size(), 1);  // no dialog on close

        // Closed means closed: nothing plays, nothing of the file is known,
        // and the transport and the save act as they do at start-up.
        bool ok = true;
        h.device().send(QStringLiteral("status sound position"), &ok);
        QVERIFY(!ok);
        QCOMPARE(qlonglong(h.model().lengthMs()), 0);
        QVERIFY(h.model().media().value_or(OpenMedia{}).sourcePath.isEmpty());
        QCOMPARE(QString::number(h.model().lengthMs() / 1000), QStringLiteral("0"));
        QVERIFY(!QFile::exists(h.paths.workWav()));
        QCOMPARE(h.timeline().handleX[1], timeline::TimelineSpan);
        h.click(QStringLiteral("imgCtrlButton(0)"));
        h.device().send(QStringLiteral("status sound position"), &ok);
        QVERIFY(!ok);
        h.messages.clear();
        QVERIFY(!h.model().setMarks(Marks{0, 9000}));  // no mark stands without a file
        h.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(h.chooser.requests.size(), 1);
        QCOMPARE(h.messages.texts(),
                 QStringList{SaveFlow::selectionProblemText(save_target::SelectionProblem::NothingOpen, 0)});
    }

    // The length comes from the decoded file, not from playing it: the time
    // line, the handles and the random selection work before any Play, and a
    // second file brings its own length.
    void lengthIsKnownTheMomentAFileIsOpen()
    {
        const QString shorter = media.filePath(QStringLiteral("short.wav"));
        QVERIFY(media::makeWav(shorter, 15.25));
        WindowHarness h;
        h.chooser.answers = QStringList{song};
        h.click(QStringLiteral("imgButton(0)"));
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QVERIFY2(qAbs(h.model().lengthMs() - 180000) < 60, qPrintable(QString::number(h.model().lengthMs())));
        QCOMPARE(QString::number(h.model().lengthMs() / 1000), QStringLiteral("180"));
        QCOMPARE(h.model().media().value_or(OpenMedia{}).sourcePath, song);

        QWidget *panel = h.window().element(QStringLiteral("picOpened"));
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(364, 30));
        const qint64 afterPanel = position(h.device());
        QVERIFY2(afterPanel >= 90000 && afterPanel < 90600, qPrintable(QString::number(afterPanel)));

        h.timeline().handleVisible[1] = true;
        h.timeline().touch();
        h.drag(QStringLiteral("imgSelectTop2"), QPoint(6, 4), -182);
        QCOMPARE(h.model().marks().endMs, std::llround(h.model().lengthMs() * 546.0 / 728.0));

        // Open again: a cancelled dialog keeps the file and its marks; a
        // chosen one replaces it without a question.
        h.click(QStringLiteral("imgButton(0)"));
        QCOMPARE(h.model().marks().endMs, std::llround(h.model().lengthMs() * 546.0 / 728.0));
        h.chooser.answers = QStringList{shorter};
        h.click(QStringLiteral("imgButton(0)"));
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QCOMPARE(h.model().marks(), Marks{});
        QCOMPARE(qlonglong(h.model().lengthMs()), 15250);
        QCOMPARE(QString::number(h.model().lengthMs() / 1000), QStringLiteral("15"));
        h.messages.clear();
        h.click(QStringLiteral("imgButton(2)"));  // a random stretch of the new file
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QVERIFY(h.model().marks().endMs <= 15250 && h.model().marks().lengthMs() > 5000);
    }

    void aTranscoderThatCannotStartIsReportedOnce()
    {
        WindowHarness h(nullptr, [](Paths &p) { QFile::remove(p.coder()); });
        h.chooser.answers = QStringList{song};
        h.click(QStringLiteral("imgButton(0)"));
        QCOMPARE(h.messages.count(), 1);
        QVERIFY(!h.shown(QStringLiteral("picPBBack")));
        QCOMPARE(qlonglong(h.model().lengthMs()), 0);
    }

    void brokenFilesAreReportedAndChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not media") << QByteArray("this is a shopping list, not a song\n").repeated(40);
        QTest::newRow("truncated mp3") << QByteArray();
    }
    void brokenFilesAreReportedAndChangeNothing()
    {
        QFETCH(QByteArray, content);
        const QString path = media.filePath(QStringLiteral("broken: \"it's\" 坏.mp3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (content.isEmpty()) {
            QFile whole(song);
            QVERIFY(whole.open(QIODevice::ReadOnly));
            content = whole.read(300);
        }
        file.write(content);
        file.close();
        const QByteArray before = content;

        WindowHarness h;
        h.chooser.answers = QStringList{path};
        h.click(QStringLiteral("imgButton(0)"));
        QVERIFY2(h.messages.messages.size() == 1, qPrintable(h.messages.texts().join(" | ")));
        QCOMPARE(h.messages.messages.first().icon, MessageIcon::Critical);
        QVERIFY(h.messages.messages.first().text.contains(failureSentence(FailureCause::NotMedia)));
        QVERIFY(h.messages.messages.first().text.contains(path));
        QVERIFY(!h.window().element(QStringLiteral("picOpened"))->isVisible());
        QVERIFY(!h.window().element(QStringLiteral("picPBBack"))->isVisible());
        QCOMPARE(h.model().isFileOpen(), false);
        QVERIFY(QFile(path).open(QIODevice::ReadOnly));
        QFile again(path);
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll(), before);  // the source is never touched
    }

    // A decode is trusted only when the transcoder says it succeeded and the
    // working WAV is one the player can take.
    void decodesThatCannotBeTrustedAreRefused_data()
    {
        QTest::addColumn<QByteArray>("standIn");
        QTest::addColumn<QString>("said");
        const QByteArray copyTo = "for a in \"$@\"; do out=\"$a\"; done\ncp ";
        auto quoted = [this](const char *name) { return '"' + QFile::encodeName(media.filePath(QLatin1String(name))) + '"'; };
        QTest::newRow("whole WAV, exit 1") << QByteArray("ffmpeg \"$@\"\nexit 1") << failureSentence(FailureCause::Unknown);
        QTest::newRow("claims 2,000,000,000 Hz")
            << copyTo + quoted("claims 2e9 Hz.wav") + " \"${out#file:}\"" << "2000000000 Hz";
        QTest::newRow("claims 1 Hz") << copyTo + quoted("claims 1 Hz.wav") + " \"${out#file:}\""
                                     << "1 Hz";
        QTest::newRow("no frames") << copyTo + quoted("no frames.wav") + " \"${out#file:}\""
                                   << "0 帧";
    }
    void decodesThatCannotBeTrustedAreRefused()
    {
        QFETCH(QByteArray, standIn);
        QFETCH(QString, said);
        for (const auto &[name, rate] : {std::pair{"claims 2e9 Hz.wav", 2000000000u}, {"claims 1 Hz.wav", 1u}}) {
            const QString crafted = media.filePath(QLatin1String(name));
            QVERIFY(media::makePcmWav(crafted, 0.5, 8000, 1, QStringLiteral("pcm_s16le")));
            QFile file(crafted);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const qsizetype fmt = bytes.indexOf("fmt ");
            qToLittleEndian(rate, bytes.data() + fmt + 12);
            qToLittleEndian(rate * 2, bytes.data() + fmt + 16);
            QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        }
        QVERIFY(media::makePcmWav(media.filePath("no frames.wav"), 0, 8000, 1, QStringLiteral("pcm_s16le")));
        const QString script = media.filePath(QStringLiteral("decoder stand-in"));
        QVERIFY(media::writeScript(script, standIn));

        WindowHarness h;
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(script));
        h.chooser.answers = QStringList{song};
        h.click(QStringLiteral("imgButton(0)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QCOMPARE(h.messages.count(), 1);
        QVERIFY2(h.messages.last().text.contains(said), qPrintable(h.messages.last().text));
        QCOMPARE(h.model().isFileOpen(), false);
        QCOMPARE(qlonglong(h.model().lengthMs()), 0);
        QVERIFY(!h.shown(QStringLiteral("picOpened")));
        QVERIFY(!QFile::exists(h.paths.workWav()));
    }

    void tabCaptionShortensLongPaths()
    {
        const QString exactly35(35, u'a');
        QCOMPARE(OpenFlow::tabCaption(exactly35), exactly35);
        const QString longer = exactly35 + u'b';
        QCOMPARE(OpenFlow::tabCaption(longer), QString(32, u'a') + QStringLiteral("..."));
    }
};

QTEST_MAIN(UiOpenTest)
#include "test_ui_open.moc"
