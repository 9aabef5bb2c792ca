#include "ui/SelectionHandles.h"
#include "ui/TimeTable.h"
#include "playback/Timeline.h"

#include <QtTest>

namespace {

constexpr float px(float pixels) { return pixels * timeline::TwipsPerPixel; }
const QString Zero = QStringLiteral("00:00.000");

struct Handles {
    EditorModel model;
    TimelineFace face;
    SelectionHandles handles{model, face};

    explicit Handles(qint64 fullSeconds = 180) { open(fullSeconds * 1000); }
    void open(qint64 lengthMs) { model.setMedia(OpenMedia{{}, {}, lengthMs, nullptr}); }
    float xPx(int handle) const { return face.handleX[handle] / timeline::TwipsPerPixel; }
    // The marks (ms; an end not set as 0), then the begin, end and length
    // fields; the view row shows the stretch on view, which handles never change.
    QVariantList selection() const
    {
        const TimeTable table = timeTableOf(model, handles);
        return {qlonglong(model.marks().startMs), qlonglong(model.marks().endMs.value_or(0)), table.selBegin,
                table.selEnd, table.selLength, table.viewBegin + table.viewEnd + table.viewLength};
    }
};

// Marks with an end of 0 as no end.
Marks marks(qint64 startMs, qint64 endMs)
{
    return Marks{startMs, endMs ? std::optional<std::int64_t>(endMs) : std::nullopt};
}

// A drag of one handle, the other standing at otherPx for otherMs; a file of
// 180 s on view whole. Without deltaPx there is no move: the handle is pressed
// and let go where it was put.
struct Drag {
    int handle;
    float fromPx, otherPx, deltaPx, landsPx;
    qint64 otherMs, ms;
    QString label, length;
};

// Set start or Set end with the play head at playMs of a file fullMs long.
struct Place {
    int handle;
    qint64 fullMs;
    qint64 selStart, selEnd;
    qint64 playMs;
    bool accepted;
    qint64 ms;
    QString length;
};

}  // namespace

class TestSelectionHandles : public QObject {
    Q_OBJECT
private slots:
    void dragKeepsHandlesOnTheLineAndTheSelectionInOrder_data();
    void dragKeepsHandlesOnTheLineAndTheSelectionInOrder();
    void moveAndReleaseWithoutPressDoNothing();
    void setAtPlayPosition_data();
    void setAtPlayPosition();
    void randomSelectionStepsUseTheLastGrabPoint();
    void modelTakesOnlyMarksWithinTheOpenFile_data();
    void modelTakesOnlyMarksWithinTheOpenFile();
};

void TestSelectionHandles::modelTakesOnlyMarksWithinTheOpenFile_data()
{
    QTest::addColumn<qint64>("lengthMs");  // 0: nothing open
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");  // -1: no end
    QTest::addColumn<bool>("taken");
    QTest::newRow("nothing open, unset") << qint64(0) << qint64(0) << qint64(-1) << true;
    QTest::newRow("nothing open, a start") << qint64(0) << qint64(1000) << qint64(-1) << false;
    QTest::newRow("start at the file's end") << qint64(10000) << qint64(10000) << qint64(-1) << true;
    QTest::newRow("start past the file's end") << qint64(10000) << qint64(10001) << qint64(-1) << false;
    QTest::newRow("start before the file") << qint64(10000) << qint64(-1) << qint64(-1) << false;
    QTest::newRow("end on the start") << qint64(10000) << qint64(5000) << qint64(5000) << true;
    QTest::newRow("end before the start") << qint64(10000) << qint64(5000) << qint64(4999) << false;
    QTest::newRow("end at the file's end") << qint64(10000) << qint64(0) << qint64(10000) << true;
    QTest::newRow("end past the file's end") << qint64(10000) << qint64(0) << qint64(10001) << false;
}

void TestSelectionHandles::modelTakesOnlyMarksWithinTheOpenFile()
{
    QFETCH(qint64, lengthMs);
    QFETCH(qint64, start);
    QFETCH(qint64, end);
    QFETCH(bool, taken);
    EditorModel model;
    model.setMedia(OpenMedia{{}, {}, lengthMs, nullptr});
    const Marks before = model.marks();
    const Marks asked{start, end < 0 ? std::nullopt : std::optional<std::int64_t>(end)};
    QSignalSpy changed(&model, &EditorModel::marksChanged);
    QCOMPARE(model.setMarks(asked), taken);
    QCOMPARE(model.marks(), taken ? asked : before);
    QCOMPARE(changed.count(), taken && asked != before ? 1 : 0);

    // The decode's end corrects the announced length: the marks stay, cut to
    // the true length; a view of the whole file stays whole, a zoomed one stays.
    if (model.isFileOpen()) {
        const Marks kept = model.marks();
        OpenMedia whole = *model.media();
        whole.lengthMs = 9500;
        model.updateMedia(whole);
        const auto cut = [](std::int64_t ms) { return std::min<std::int64_t>(ms, 9500); };
        const Marks cutMarks{cut(kept.startMs), kept.endMs ? std::optional(cut(*kept.endMs)) : std::nullopt};
        QCOMPARE(model.marks(), cutMarks);
        QCOMPARE(model.view(), (VisibleSpan{0.0, 9500.0}));
        model.setView({2000.0, 9000.0});
        whole.lengthMs = 12000;
        model.updateMedia(whole);
        QCOMPARE(model.marks(), cutMarks);
        QCOMPARE(model.view(), (VisibleSpan{2000.0, 9000.0}));
    }

    // Another file puts the marks back, unset, and shows all of it.
    model.setMedia(OpenMedia{QStringLiteral("other.wav"), {}, 20000, nullptr});
    QCOMPARE(model.marks(), Marks{});
    QCOMPARE(model.view(), (VisibleSpan{0.0, 20000.0}));
    model.setView({-500.0, 25000.0});
    QCOMPARE(model.view(), (VisibleSpan{0.0, 20000.0}));
}

void TestSelectionHandles::dragKeepsHandlesOnTheLineAndTheSelectionInOrder_data()
{
    QTest::addColumn<Drag>("d");
    QTest::newRow("start runs into end at 400") << Drag{0, 0, 400, 600, 387, 99000, 95687, "01:35.687", "00:03.313"};
    QTest::newRow("start held against the end") << Drag{0, 387, 400, 50, 387, 99000, 95687, "01:35.687", "00:03.313"};
    QTest::newRow("start moves freely") << Drag{0, 100, 400, 50, 150, 99000, 37088, "00:37.088", "01:01.912"};
    QTest::newRow("start stops at 0") << Drag{0, 100, 728, -200, 0, 0, 0, Zero, Zero};
    QTest::newRow("end stops at 728") << Drag{1, 600, 0, 300, 728, 0, 180000, "03:00.000", "03:00.000"};
    QTest::newRow("end runs into start at 100") << Drag{1, 600, 100, -600, 113, 25000, 27940, "00:27.940", "00:02.940"};
    QTest::newRow("end moves freely") << Drag{1, 600, 100, -100, 500, 25000, 123626, "02:03.626", "01:38.626"};
    QTest::newRow("end released at 364") << Drag{1, 728, 0, -364, 364, 30000, 90000, "01:30.000", "01:00.000"};
    // to the millisecond now: what was 22.5 s rounded to 22 stays 22.5 s
    QTest::newRow("start at 91 px") << Drag{0, 0, 728, 91, 91, 120000, 22500, "00:22.500", "01:37.500"};
    QTest::newRow("start at 364 without an end: no length")
        << Drag{0, 0, 728, 364, 364, 0, 90000, "01:30.000", Zero};
    // Whatever the handles stand at: 0 <= start <= end <= the length, and no
    // handle is pushed off the line by the other standing near an end.
    QTest::newRow("start put left of the line") << Drag{0, -100, 728, 0, -100, 0, 0, Zero, Zero};
    QTest::newRow("end put right of the line") << Drag{1, 800, 0, 0, 800, 0, 180000, "03:00.000", "03:00.000"};
    QTest::newRow("start beyond the set end") << Drag{0, 0, 728, 364, 364, 60000, 60000, "01:00.000", Zero};
    QTest::newRow("end put before the start") << Drag{1, 10, 0, 0, 10, 30000, 30000, "00:30.000", Zero};
    QTest::newRow("start against an end at 5") << Drag{0, 0, 5, 20, 0, 1000, 0, Zero, "00:01.000"};
    QTest::newRow("end against a start at 720") << Drag{1, 728, 720, -5, 728, 178000, 180000, "03:00.000", "00:02.000"};
}

void TestSelectionHandles::dragKeepsHandlesOnTheLineAndTheSelectionInOrder()
{
    QFETCH(Drag, d);
    Handles h;
    const bool start = d.handle == SelectionHandles::Start;
    h.face.handleX[d.handle] = px(d.fromPx);
    h.face.handleX[1 - d.handle] = px(d.otherPx);
    QVERIFY(h.model.setMarks(start ? marks(0, d.otherMs) : marks(d.otherMs, 0)));
    const QVariantList before = h.selection();
    QSignalSpy changed(&h.face, &TimelineFace::changed);
    h.handles.press(d.handle, px(3));
    if (d.deltaPx != 0)
        h.handles.move(d.handle, px(3 + d.deltaPx));
    QCOMPARE(h.xPx(d.handle), d.landsPx);
    QCOMPARE(h.xPx(1 - d.handle), d.otherPx);
    QCOMPARE(changed.count(), d.landsPx == d.fromPx ? 0 : 1);
    // only the release changes the selection; the table follows the handle
    QCOMPARE(h.selection().mid(0, 2), before.mid(0, 2));
    if (d.landsPx != d.fromPx) {
        const qint64 underHandle = std::clamp<qint64>(timeline::positionToMs(px(d.landsPx), h.model.view()), 0, 180000);
        const TimeTable table = timeTableOf(h.model, h.handles);
        QCOMPARE(start ? table.selBegin : table.selEnd, timeline::formatClock(underHandle, false, 3));
    }

    h.handles.release(d.handle, px(3 + d.deltaPx));
    QCOMPARE(h.face.dragging, false);
    // the other handle's field shows its mark; the view row the whole file
    const QString other = timeline::formatClock(d.otherMs, false, 3);
    const QVariant s = qlonglong(d.ms), o = qlonglong(d.otherMs), l = d.label, z = other, n = d.length,
                   v = Zero + QStringLiteral("03:00.00003:00.000");
    const QVariantList asStart{s, o, l, z, n, v}, asEnd{o, s, z, l, n, v};
    QCOMPARE(h.selection(), start ? asStart : asEnd);
}

void TestSelectionHandles::moveAndReleaseWithoutPressDoNothing()
{
    Handles h;
    h.face.handleX[0] = px(364);
    QVERIFY(h.model.setMarks(Marks{7000, {}}));
    const QVariantList before = h.selection();
    QSignalSpy changed(&h.face, &TimelineFace::changed);
    for (int handle : {0, 1}) {
        h.handles.move(handle, px(200));
        h.handles.release(handle, px(200));
    }
    QCOMPARE(h.xPx(0), 364.0f);
    QCOMPARE(h.xPx(1), 728.0f);
    QCOMPARE(h.selection(), before);
    QCOMPARE(changed.count(), 0);

    // A finished drag leaves nothing for a stray second release.
    h.handles.press(0, 0);
    h.handles.release(0, 0);
    QCOMPARE(h.model.marks().startMs, 90000);
    h.face.handleX[0] = 0.0f;
    h.handles.release(0, 0);
    QCOMPARE(h.model.marks().startMs, 90000);
}

void TestSelectionHandles::setAtPlayPosition_data()
{
    QTest::addColumn<Place>("p");
    QTest::newRow("start without an end, anywhere") << Place{0, 180000, 0, 0, 135000, true, 135000, Zero};
    QTest::newRow("start at the end refused") << Place{0, 180000, 10000, 60000, 60000, false, 10000, "00:50.000"};
    QTest::newRow("start a moment before the end") << Place{0, 180000, 10000, 60000, 59900, true, 59900, "00:00.100"};
    QTest::newRow("start with nothing played") << Place{0, 0, 5000, 0, 0, true, 0, Zero};
    QTest::newRow("end equal to the start") << Place{1, 180000, 30000, 0, 30000, true, 30000, Zero};
    QTest::newRow("end before the start refused") << Place{1, 180000, 30000, 0, 29999, false, 0, Zero};
    QTest::newRow("end after the start, to the ms") << Place{1, 180000, 30000, 0, 90617, true, 90617, "01:00.617"};
    QTest::newRow("play position past the end") << Place{1, 180000, 30000, 0, 180400, true, 180000, "02:30.000"};
}

void TestSelectionHandles::setAtPlayPosition()
{
    QFETCH(Place, p);
    Handles h;
    const bool start = p.handle == SelectionHandles::Start;
    h.open(p.fullMs);
    h.model.setMarks(marks(p.selStart, p.selEnd));
    PlayState play;
    play.positionMs = p.playMs;
    h.model.setPlay(play);
    h.face.playHeadX = p.fullMs > 0 ? float(timeline::TimelineSpan * double(p.playMs) / double(p.fullMs)) : 0.0f;
    const float before = h.face.handleX[p.handle];

    start ? h.handles.setStartAtPlayPosition() : h.handles.setEndAtPlayPosition();

    QCOMPARE(start ? h.model.marks().startMs : h.model.marks().endMs.value_or(0), p.ms);
    QCOMPARE(start ? h.model.marks().endMs.value_or(0) : h.model.marks().startMs, start ? p.selEnd : p.selStart);
    QCOMPARE(h.face.handleVisible[p.handle], p.accepted);
    QVERIFY(!h.face.handleVisible[1 - p.handle]);
    QCOMPARE(h.face.handleX[p.handle], p.accepted ? std::min(h.face.playHeadX, timeline::TimelineSpan) : before);
    const TimeTable table = timeTableOf(h.model, h.handles);
    QCOMPARE(start ? table.selBegin : table.selEnd, timeline::formatClock(p.ms, false, 3));
    QCOMPARE(table.selLength, p.length);
}

void TestSelectionHandles::randomSelectionStepsUseTheLastGrabPoint()
{
    // The end grip is put at 3000 twips and moved and released with the pointer
    // at 45 twips, a file of 1000 s. The last real press was at grabbedAt.
    const struct { float grabbedAt; int dragStartX; float x; qint64 endMs; } cases[] = {
        {45.0f, 45, 3000.0f, 274725},
        {89.5f, 90, 2955.0f, 270604},  // 89.5 to even
    };
    for (const auto &c : cases) {
        Handles h(1000);
        h.handles.press(1, c.grabbedAt);
        h.handles.release(1, c.grabbedAt);
        h.handles.setGripX(1, 3000.0f);
        h.face.dragging = true;
        h.handles.move(1, 45.0f);
        h.handles.release(1, 45.0f);
        QCOMPARE(h.face.handleX[1], c.x);
        QCOMPARE(h.model.marks().endMs, c.endMs);
        QCOMPARE(h.face.dragging, false);
        QCOMPARE(h.face.dragStartX, c.dragStartX);
    }
}

QTEST_GUILESS_MAIN(TestSelectionHandles)
#include "test_selection_handles.moc"
