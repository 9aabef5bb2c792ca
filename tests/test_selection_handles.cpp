#include "playback/SelectionHandles.h"
#include "playback/Timeline.h"

#include <QtTest>

namespace {

constexpr float px(float pixels) { return pixels * timeline::TwipsPerPixel; }
const QString Zero = QStringLiteral("00:00:00");

struct Handles {
    EditorState state;
    MainFace face;
    SelectionHandles handles{state, face};

    explicit Handles(qint64 fullSeconds = 180) { state.LengthMs = fullSeconds * 1000; }
    float xPx(int handle) const { return face.handleX[handle] / timeline::TwipsPerPixel; }
    // SelStart, SelEnd, then the begin, end and length labels and their view copies.
    QVariantList selection() const
    {
        return {state.SelStart, state.SelEnd, face.lblSelBegin, face.lblSelEnd, face.lblSelLength,
                face.lblViewBegin, face.lblViewEnd, face.lblViewLength};
    }
};

// A drag of one handle, the other standing at otherPx for otherSeconds; FULL 180.
// Without deltaPx there is no move: the handle is pressed and let go where it was put.
struct Drag {
    int handle;
    float fromPx, otherPx, deltaPx, landsPx;
    int otherSeconds, seconds;
    QString label, length;  // the length labels showed 00:00:07 before
};

// Set start or Set end with the play head at fraction of FULL.
struct Place {
    int handle;
    QString full;
    int selStart, selEnd;
    float fraction;
    bool accepted;
    int seconds;
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
};

void TestSelectionHandles::dragKeepsHandlesOnTheLineAndTheSelectionInOrder_data()
{
    QTest::addColumn<Drag>("d");
    QTest::newRow("start runs into end at 400") << Drag{0, 0, 400, 600, 387, 99, 96, "00:01:36", "00:00:03"};
    QTest::newRow("start held against the end") << Drag{0, 387, 400, 50, 387, 99, 96, "00:01:36", "00:00:03"};
    QTest::newRow("start moves freely") << Drag{0, 100, 400, 50, 150, 99, 37, "00:00:37", "00:01:02"};
    QTest::newRow("start stops at 0") << Drag{0, 100, 728, -200, 0, 0, 0, Zero, "00:00:07"};
    QTest::newRow("end stops at 728") << Drag{1, 600, 0, 300, 728, 0, 180, "00:03:00", "00:03:00"};
    QTest::newRow("end runs into start at 100") << Drag{1, 600, 100, -600, 113, 25, 28, "00:00:28", "00:00:03"};
    QTest::newRow("end moves freely") << Drag{1, 600, 100, -100, 500, 25, 124, "00:02:04", "00:01:39"};
    QTest::newRow("end released at 364") << Drag{1, 728, 0, -364, 364, 30, 90, "00:01:30", "00:01:00"};
    QTest::newRow("start at 91: 22.5 to even") << Drag{0, 0, 728, 91, 91, 120, 22, "00:00:22", "00:01:38"};
    QTest::newRow("start at 364 without an end keeps the length")
        << Drag{0, 0, 728, 364, 364, 0, 90, "00:01:30", "00:00:07"};
    // Whatever the handles stand at: 0 <= SelStart <= SelEnd <= FULL, and no
    // handle is pushed off the line by the other standing near an end.
    QTest::newRow("start put left of the line") << Drag{0, -100, 728, 0, -100, 0, 0, Zero, "00:00:07"};
    QTest::newRow("end put right of the line") << Drag{1, 800, 0, 0, 800, 0, 180, "00:03:00", "00:03:00"};
    QTest::newRow("start beyond the set end") << Drag{0, 0, 728, 364, 364, 60, 60, "00:01:00", "00:00:07"};
    QTest::newRow("end put before the start") << Drag{1, 10, 0, 0, 10, 30, 30, "00:00:30", Zero};
    QTest::newRow("start against an end at 5") << Drag{0, 0, 5, 20, 0, 1, 0, Zero, "00:00:01"};
    QTest::newRow("end against a start at 720") << Drag{1, 728, 720, -5, 728, 178, 180, "00:03:00", "00:00:02"};
}

void TestSelectionHandles::dragKeepsHandlesOnTheLineAndTheSelectionInOrder()
{
    QFETCH(Drag, d);
    Handles h;
    const bool start = d.handle == SelectionHandles::Start;
    h.face.handleX[d.handle] = px(d.fromPx);
    h.face.handleX[1 - d.handle] = px(d.otherPx);
    (start ? h.state.SelEnd : h.state.SelStart) = d.otherSeconds;
    h.face.lblSelLength = h.face.lblViewLength = QStringLiteral("00:00:07");
    const QVariantList before = h.selection();
    QSignalSpy changed(&h.face, &MainFace::changed);
    h.handles.press(d.handle, px(3));
    if (d.deltaPx != 0)
        h.handles.move(d.handle, px(3 + d.deltaPx));
    QCOMPARE(h.xPx(d.handle), d.landsPx);
    QCOMPARE(h.xPx(1 - d.handle), d.otherPx);
    QCOMPARE(changed.count(), d.landsPx == d.fromPx ? 0 : 1);
    QCOMPARE(h.selection(), before);  // only the release changes the selection

    h.handles.release(d.handle, px(3 + d.deltaPx));
    QCOMPARE(h.state.IsDragging, FlagFalse);
    const QVariant s = d.seconds, o = d.otherSeconds, l = d.label, z = Zero, n = d.length;
    const QVariantList asStart{s, o, l, z, n, l, z, n}, asEnd{o, s, z, l, n, z, l, n};
    QCOMPARE(h.selection(), start ? asStart : asEnd);
}

void TestSelectionHandles::moveAndReleaseWithoutPressDoNothing()
{
    Handles h;
    h.face.handleX[0] = px(364);
    h.state.SelStart = 7;
    h.face.lblSelBegin = QStringLiteral("00:00:07");
    const QVariantList before = h.selection();
    QSignalSpy changed(&h.face, &MainFace::changed);
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
    QCOMPARE(h.state.SelStart, 90);
    h.face.handleX[0] = 0.0f;
    h.handles.release(0, 0);
    QCOMPARE(h.state.SelStart, 90);
}

void TestSelectionHandles::setAtPlayPosition_data()
{
    QTest::addColumn<Place>("p");
    QTest::newRow("start without an end, anywhere") << Place{0, "180", 0, 0, 0.75f, true, 135, Zero};
    QTest::newRow("start at the end refused") << Place{0, "180", 10, 60, 60.f / 180, false, 10, Zero};
    QTest::newRow("start a second before the end") << Place{0, "180", 10, 60, 59.f / 180, true, 59, "00:00:01"};
    QTest::newRow("start with nothing played") << Place{0, "0", 5, 0, 0.0f, true, 0, Zero};
    QTest::newRow("end equal to the start") << Place{1, "180", 30, 0, 30.f / 180, true, 30, Zero};
    QTest::newRow("end before the start refused") << Place{1, "180", 30, 0, 29.f / 180, false, 0, Zero};
    QTest::newRow("end after the start") << Place{1, "180", 30, 0, 90.6f / 180, true, 91, "00:01:01"};
}

void TestSelectionHandles::setAtPlayPosition()
{
    QFETCH(Place, p);
    Handles h;
    const bool start = p.handle == SelectionHandles::Start;
    h.state.LengthMs = p.full.toLongLong() * 1000;
    h.state.SelStart = p.selStart;
    h.state.SelEnd = p.selEnd;
    h.state.PlayFraction = p.fraction;
    h.face.playHeadX = timeline::TimelineSpan * p.fraction;
    const float before = h.face.handleX[p.handle];

    start ? h.handles.setStartAtPlayPosition() : h.handles.setEndAtPlayPosition();

    QCOMPARE(start ? h.state.SelStart : h.state.SelEnd, p.seconds);
    QCOMPARE(start ? h.state.SelEnd : h.state.SelStart, start ? p.selEnd : p.selStart);
    QCOMPARE(h.face.handleVisible[p.handle], p.accepted);
    QVERIFY(!h.face.handleVisible[1 - p.handle]);
    QCOMPARE(h.face.handleX[p.handle], p.accepted ? h.face.playHeadX : before);
    const QString shown = p.accepted ? timeline::formatSeconds(p.seconds) : Zero;
    QCOMPARE(start ? h.face.lblSelBegin : h.face.lblSelEnd, shown);
    QCOMPARE(start ? h.face.lblViewBegin : h.face.lblViewEnd, shown);
    QCOMPARE(h.face.lblSelLength, p.length);
    QCOMPARE(h.face.lblViewLength, p.length);
}

void TestSelectionHandles::randomSelectionStepsUseTheLastGrabPoint()
{
    // The end grip is put at 3000 twips and moved and released with the pointer
    // at 45 twips, FULL 1000. The last real press was at grabbedAt.
    const struct { float grabbedAt; int dragStartX; float x; int selEnd; } cases[] = {
        {45.0f, 45, 3000.0f, 275},
        {89.5f, 90, 2955.0f, 271},  // 89.5 to even
    };
    for (const auto &c : cases) {
        Handles h(1000);
        h.handles.press(1, c.grabbedAt);
        h.handles.release(1, c.grabbedAt);
        h.handles.setGripX(1, 3000.0f);
        h.state.IsDragging = FlagTrue;
        h.handles.move(1, 45.0f);
        h.handles.release(1, 45.0f);
        QCOMPARE(h.face.handleX[1], c.x);
        QCOMPARE(h.state.SelEnd, c.selEnd);
        QCOMPARE(h.state.IsDragging, FlagFalse);
        QCOMPARE(h.state.DragStartX, c.dragStartX);
    }
}

QTEST_GUILESS_MAIN(TestSelectionHandles)
#include "test_selection_handles.moc"
