#include "playback/PlaybackController.h"
#include "playback/ShortName.h"
#include "support/RecordingDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtTest>

#include <atomic>

namespace {

using PC = PlaybackController::Button;
const QString Stop = QStringLiteral("stop sound");
const QString Close = QStringLiteral("close sound");
const QString PlayCmd = QStringLiteral("play sound");
const QString Pause = QStringLiteral("pause sound");
const QString Resume = QStringLiteral("resume sound");
const QString FadeOff = QStringLiteral("setaudio sound fade off");

// The working WAV has a blank in its name: every open command also shows that
// such a path is passed whole.
QString workWav()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("open me.wav"));
}
QString open() { return QStringLiteral("open ") + workWav() + QStringLiteral(" alias sound"); }

// A transport bar over a recording device, with the working WAV present.
struct Transport {
    EditorModel model;
    RecordingDevice device;
    int saves = 0;
    QStringList marked;  // "start" and "end", as the mark buttons asked for them
    PreviewGain::Measure measure;  // the normalised gain; none unless given
    PlaybackController controller{model, device, workWav(),
                                  {[this] { marked << "start"; }, [this] { marked << "end"; }, [this] { ++saves; }},
                                  measure};

    explicit Transport(PreviewGain::Measure normalizedGain = {}) : measure(std::move(normalizedGain))
    {
        // long enough for every start the device can be asked to play from
        model.setMedia(OpenMedia{{}, {}, 4000000000LL, nullptr});
        QFile file(workWav());
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create the working file");
        // Like the real device, pause and resume fail while nothing is open.
        device.onSend = [this](const QString &command) {
            device.acceptAllCommands();
            if (!device.isOpen() && (command == Pause || command == Resume))
                device.rejectCommandsStartingWith(command);
        };
    }
    void click(PC button) { controller.press(button); }
};

// Paused and playing a selection as "P" and "S", each when set (a state to
// start from may also say "L": the device holds the file, and "R": the head
// rests at the selection's start).
QString flags(const EditorModel &m)
{
    return QString(m.play().paused ? "P" : "") + (m.play().playingSelection ? "S" : "") + (m.play().looping ? "O" : "");
}

// Marks with an end of 0 as no end.
Marks marks(qint64 startMs, qint64 endMs)
{
    return Marks{startMs, endMs ? std::optional<std::int64_t>(endMs) : std::nullopt};
}

// Buttons clicked from a play state at 5 s, a quarter of the way.
struct Clicks {
    QList<PC> buttons;
    qint64 selStart, selEnd;  // ms
    QString before;  // flags, as flags() writes them
    QStringList commands;
    QString after;
    bool reset;      // back at the start after
};

}  // namespace

class TestPlaybackController : public QObject {
    Q_OBJECT
private slots:
    void buttonSequences_data();
    void buttonSequences();
    void missingWorkingFilePlaysNothing();
    void stopClearsFlagsAndLeavesTheSelection();
    void setStartAndSetEndAskForTheirMarks();
    void selectionPlaysWithTheFadesOfTheCut_data();
    void selectionPlaysWithTheFadesOfTheCut();
    void otherPlaybackHasNoFades();
    void normalisedSelectionPlaysWithTheSavedGain();
};

void TestPlaybackController::buttonSequences_data()
{
    QTest::addColumn<Clicks>("c");
    using C = QStringList;
    // No fades in the state: the selection plays as the file has it.
    const C selection{Stop, Close, open(), FadeOff};
    const C playFile{Stop, Close, open(), FadeOff, PlayCmd};
    QTest::newRow("play, pause, play, play: resumes once, then starts again")
        << Clicks{{PC::Play, PC::Pause, PC::Play, PC::Play}, 0, 0, "S", playFile + C{Pause, Resume} + playFile, "", true};
    QTest::newRow("stop, pause, play: nothing to pause, play plays")
        << Clicks{{PC::Stop, PC::Pause, PC::Play}, 0, 0, "L", C{Stop, Close} + playFile, "", true};
    QTest::newRow("play after a preview ended: from where the head rests")
        << Clicks{{PC::Play}, 12000, 40000, "R", {Stop, Close, open(), FadeOff, "play sound from 12000"}, "", true};
    QTest::newRow("pause with nothing held does nothing")
        << Clicks{{PC::Pause}, 0, 0, "S", {}, "S", false};
    QTest::newRow("pause and resume touch only IsPaused")
        << Clicks{{PC::Pause, PC::Play}, 0, 0, "LS", {Pause, Resume}, "S", false};
    QTest::newRow("play selection from 12 s")
        << Clicks{{PC::PlaySelection}, 12000, 40000, "P", selection + C{"play sound from 12000"}, "S", false};
    QTest::newRow("play selection from 41.5 s")
        << Clicks{{PC::PlaySelection}, 41500, 43000, "", selection + C{"play sound from 41500"}, "S", false};
    QTest::newRow("play selection from 0 s")
        << Clicks{{PC::PlaySelection}, 0, 20000, "", selection + C{"play sound from 0"}, "S", false};
    QTest::newRow("no selection: nothing at all") << Clicks{{PC::PlaySelection}, 0, 0, "P", {}, "P", false};
    // Without an end it plays on to the end of the file. The flag goes up even
    // when the start overflows in milliseconds and nothing plays.
    QTest::newRow("largest start")
        << Clicks{{PC::PlaySelection}, 2147483647, 0, "", selection + C{"play sound from 2147483647"}, "S", false};
    QTest::newRow("one millisecond more") << Clicks{{PC::PlaySelection}, 2147483648, 0, "", selection, "S", false};
    QTest::newRow("save") << Clicks{{PC::Save}, 12000, 0, "P", {}, "P", false};
    // Loop: the selection over and over from its start, until Loop again (the
    // head then rests at the start) or Stop; nothing without a selection.
    QTest::newRow("loop the selection")
        << Clicks{{PC::Loop}, 12000, 40000, "", selection + C{"setaudio sound loop 12000 40000", "play sound from 12000"}, "SO", false};
    QTest::newRow("loop again ends it at the start")
        << Clicks{{PC::Loop}, 12000, 40000, "LSO", C{Stop, Close}, "", true};
    QTest::newRow("stop ends a loop") << Clicks{{PC::Stop}, 12000, 40000, "LSO", C{Stop, Close}, "", true};
    QTest::newRow("an empty selection does not loop") << Clicks{{PC::Loop}, 12000, 12000, "", {}, "", false};
}

void TestPlaybackController::buttonSequences()
{
    QFETCH(Clicks, c);
    Transport t;
    QVERIFY(t.model.setMarks(marks(c.selStart, c.selEnd)));
    PlayState play;
    play.paused = c.before.contains(u'P');
    play.playingSelection = c.before.contains(u'S');
    play.loaded = c.before.contains(u'L');
    play.looping = c.before.contains(u'O');
    if (c.before.contains(u'R'))
        play.restMs = c.selStart;
    play.fraction = 0.25f;
    play.positionMs = 5000;
    t.model.setPlay(play);
    for (PC button : c.buttons)
        t.click(button);
    QCOMPARE(t.device.commands, c.commands);
    QCOMPARE(flags(t.model), c.after);
    QCOMPARE(t.model.play().fraction, c.reset ? 0.0f : 0.25f);
    QCOMPARE(t.model.play().positionMs, c.reset ? 0 : 5000);
    QCOMPARE(t.model.marks(), marks(c.selStart, c.selEnd));
    QCOMPARE(t.saves, int(c.buttons.count(PC::Save)));
}

void TestPlaybackController::missingWorkingFilePlaysNothing()
{
    for (PC button : {PC::Play, PC::PlaySelection}) {
        Transport t;
        QVERIFY(QFile::remove(workWav()));
        QCOMPARE(GetShortName(workWav()), QString());
        QVERIFY(t.model.setMarks(Marks{12000, {}}));
        PlayState play;
        play.positionMs = 60000;
        t.model.setPlay(play);
        t.click(button);
        QCOMPARE(t.device.commands, QStringList({Stop, Close}));
        // Play has run a whole Stop; Play selection only closed the device.
        QCOMPARE(t.model.play().positionMs, button == PC::Play ? 0 : 60000);
        QCOMPARE(t.model.play().playingSelection, false);
    }
}

void TestPlaybackController::stopClearsFlagsAndLeavesTheSelection()
{
    Transport t;
    QVERIFY(t.model.setMarks(Marks{10000, 20000}));
    PlayState play;
    play.loaded = play.paused = play.playingSelection = true;
    play.previewEndMs = 15000;
    play.fraction = 0.5f;
    play.positionMs = 90000;
    t.model.setPlay(play);
    QSignalSpy changed(&t.model, &EditorModel::playChanged);
    t.click(PC::Stop);

    QCOMPARE(t.device.commands, QStringList({Stop, Close}));
    QCOMPARE(t.model.play(), PlayState{});
    QCOMPARE(changed.count(), 1);
    QCOMPARE(t.model.marks(), (Marks{10000, 20000}));
}

void TestPlaybackController::setStartAndSetEndAskForTheirMarks()
{
    Transport t;
    t.click(PC::SetStart);
    t.click(PC::SetEnd);
    QCOMPARE(t.marked, (QStringList{"start", "end"}));
    QVERIFY(t.device.commands.isEmpty());
}

namespace {

// How a step of the user plays.
enum class Step { PlaySelection, FirstTwoSeconds, LastTwoSeconds };

}  // namespace

void TestPlaybackController::selectionPlaysWithTheFadesOfTheCut_data()
{
    QTest::addColumn<Selection>("sel");
    QTest::addColumn<CutShaping>("shaping");
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("play");  // the play command, right after the fade
    QTest::addColumn<QString>("fade");  // the command between open and play

    const Selection sel{41500, 47000};
    const CutShaping both{300, 700, false};
    const QString fade = QStringLiteral("setaudio sound fade 41500 300 47000 700");
    // Whichever part plays, the fades stay where the cut has them: at the
    // selection's start and end, not at the part's.
    QTest::newRow("whole selection") << sel << both << Step::PlaySelection
                                     << "play sound from 41500" << fade;
    QTest::newRow("first two seconds") << sel << both << Step::FirstTwoSeconds
                                       << "play sound from 41500" << fade;
    QTest::newRow("last two seconds") << sel << both << Step::LastTwoSeconds
                                      << "play sound from 45000" << fade;
    QTest::newRow("fade in only") << sel << CutShaping{1500, 0, false} << Step::PlaySelection
                                  << "play sound from 41500"
                                  << "setaudio sound fade 41500 1500 47000 0";
    QTest::newRow("fade out only, loudness too")
        << sel << CutShaping{0, 2000, true} << Step::LastTwoSeconds << "play sound from 45000"
        << "setaudio sound fade 41500 0 47000 2000";
    // Longer than the selection, each fade is cut to its length, as in the saved file.
    QTest::newRow("fades longer than the selection")
        << Selection{10000, 10500} << CutShaping{800, 3000, false} << Step::PlaySelection
        << "play sound from 10000" << "setaudio sound fade 10000 500 10500 500";
    QTest::newRow("no fades") << sel << CutShaping{0, 0, true} << Step::PlaySelection
                              << "play sound from 41500" << FadeOff;
    // No end: nothing to fade out at, and no ringtone to save either.
    QTest::newRow("selection without an end")
        << Selection{12000, 0} << both << Step::PlaySelection << "play sound from 12000" << FadeOff;
}

void TestPlaybackController::selectionPlaysWithTheFadesOfTheCut()
{
    QFETCH(Selection, sel);
    QFETCH(CutShaping, shaping);
    QFETCH(Step, step);
    QFETCH(QString, play);
    QFETCH(QString, fade);
    Transport t;
    QVERIFY(t.model.setMarks(marks(sel.startMs, sel.endMs)));
    t.model.setShaping(shaping);
    // The stretches the keys play: the first and the last two seconds.
    switch (step) {
    case Step::PlaySelection: t.click(PC::PlaySelection); break;
    case Step::FirstTwoSeconds:
        t.controller.playStretch(sel.startMs, std::min(sel.startMs + 2000, sel.endMs));
        break;
    case Step::LastTwoSeconds:
        t.controller.playStretch(std::max(sel.endMs - 2000, sel.startMs), sel.endMs);
        break;
    }
    // The device takes the fade only while the file is open: after "open",
    // before the playing starts.
    QCOMPARE(t.device.commands, (QStringList{Stop, Close, open(), fade, play}));
    QCOMPARE(t.model.play().playingSelection, true);

    // Paused and played on, the selection keeps its fades: a resume, no new fade.
    t.device.commands.clear();
    t.click(PC::Pause);
    t.click(PC::Play);
    QCOMPARE(t.device.commands, (QStringList{Pause, Resume}));
}

// After a selection with fades, playing the file is never faded.
void TestPlaybackController::otherPlaybackHasNoFades()
{
    Transport t;
    QVERIFY(t.model.setMarks(Marks{41500, 47000}));
    t.model.setShaping({300, 700, false});
    t.click(PC::PlaySelection);
    QCOMPARE(t.device.commands.value(3), QStringLiteral("setaudio sound fade 41500 300 47000 700"));

    t.device.commands.clear();
    t.click(PC::Play);
    QCOMPARE(t.device.commands, (QStringList{Stop, Close, open(), FadeOff, PlayCmd}));
    QCOMPARE(t.model.play().playingSelection, false);
}

// With loudness normalisation the selection plays with the gain the save
// measures, once it is measured: a Stop meanwhile starts nothing, and the
// same stretch plays again at once, measured once.
void TestPlaybackController::normalisedSelectionPlaysWithTheSavedGain()
{
    std::atomic<int> measures{0};
    Transport t([&measures](const QString &wav, const Selection &selection, std::int64_t fadeInMs,
                            std::int64_t fadeOutMs) -> PreviewGain::Gain {
        ++measures;
        if (wav != workWav() || selection != Selection{41500, 47000} || fadeInMs != 0 || fadeOutMs != 700)
            return std::nullopt;
        return string_device::GainSetting{6.5, -5.25, 41500, 50};
    });
    QVERIFY(t.model.setMarks(Marks{41500, 47000}));
    t.model.setShaping({0, 700, true});
    t.click(PC::PlaySelection);
    t.click(PC::Stop);
    QVERIFY(QThreadPool::globalInstance()->waitForDone(60000));
    QCoreApplication::sendPostedEvents();  // the measure's answer
    QCOMPARE(t.device.commands, (QStringList{Stop, Close, Stop, Close}));

    QStringList preview{Stop, Close, open(), "setaudio sound fade 41500 0 47000 700",
                        "setaudio sound gain 6.50 limit -5.25 ramp 41500 50", "play sound from 41500"};
    t.device.commands.clear();
    t.click(PC::PlaySelection);
    QCOMPARE(t.device.commands, preview);
    QCOMPARE(measures.load(), 1);

    t.model.setShaping({0, 700, false});
    t.device.commands.clear();
    t.click(PC::PlaySelection);
    preview.removeAt(4);
    QCOMPARE(t.device.commands, preview);
    QCOMPARE(measures.load(), 1);
}

QTEST_GUILESS_MAIN(TestPlaybackController)
#include "test_playback_controller.moc"
