#include "playback/SelectionHandles.h"
#include "playback/Timeline.h"

#include <QtTest>

namespace {

constexpr float px(float pixels) { return pixels * timeline::TwipsPerPixel; }

struct Handles {
    EditorState state;
    MainFace face;
    SelectionHandles handles{state, face};

    Handles(const char *full = "180") { face.txtFullTime = QString::fromLatin1(full); }

    // A whole drag by the pointer: pressed at 6 px within the grip, let go
    // deltaPx further on.
    void drag(int handle, float deltaPx)
    {
        handles.press(handle, px(6));
        handles.move(handle, px(6 + deltaPx));
        handles.release(handle, px(6 + deltaPx));
    }
    float xPx(int handle) const { return face.handleX[handle] / timeline::TwipsPerPixel; }
};

}  // namespace

class TestSelectionHandles : public QObject {
    Q_OBJECT
private slots:
    void pressRemembersTheGrabPoint_data();
    void pressRemembersTheGrabPoint();
    void moveKeepsHandlesApartAndOnTheLine_data();
    void moveKeepsHandlesApartAndOnTheLine();
    void moveChangesNoSelection();
    void releaseTurnsPositionIntoSeconds_data();
    void releaseTurnsPositionIntoSeconds();
    void releaseOfStartWithoutEndKeepsLengthLabels();
    void moveAndReleaseWithoutPressDoNothing();
    void setAtPlayPosition_data();
    void setAtPlayPosition();
    void handleCloseToTheStartCannotPushTheOtherOffTheLine();
    void handleCloseToTheEndCannotPushTheOtherOffTheLine();
    void releasedValuesStayInsideTheFileAndInOrder_data();
    void releasedValuesStayInsideTheFileAndInOrder();
    void randomSelectionStepsUseTheLastGrabPoint_data();
    void randomSelectionStepsUseTheLastGrabPoint();
};

void TestSelectionHandles::pressRemembersTheGrabPoint_data()
{
    QTest::addColumn<float>("pointer");
    QTest::addColumn<int>("dragStartX");
    QTest::newRow("whole") << 45.0f << 45;
    QTest::newRow("half to even below") << 22.5f << 22;
    QTest::newRow("half to even above") << 37.5f << 38;
}

void TestSelectionHandles::pressRemembersTheGrabPoint()
{
    QFETCH(float, pointer);
    QFETCH(int, dragStartX);
    for (int handle : {0, 1}) {
        Handles h;
        h.handles.press(handle, pointer);
        QCOMPARE(h.state.IsDragging, FlagTrue);
        QCOMPARE(h.state.DragStartX, dragStartX);
        QCOMPARE(h.face.handleX[0], 0.0f);
        QCOMPARE(h.face.handleX[1], timeline::TimelineSpan);
    }
}

void TestSelectionHandles::moveKeepsHandlesApartAndOnTheLine_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<float>("fromPx");
    QTest::addColumn<float>("otherPx");
    QTest::addColumn<float>("deltaPx");
    QTest::addColumn<float>("expectedPx");
    QTest::newRow("start runs into end at 400") << 0 << 0.f << 400.f << 600.f << 387.f;
    QTest::newRow("start exactly at its limit") << 0 << 0.f << 400.f << 387.f << 387.f;
    QTest::newRow("start moves freely") << 0 << 100.f << 400.f << 50.f << 150.f;
    QTest::newRow("start left of the line") << 0 << 100.f << 728.f << -200.f << 0.f;
    QTest::newRow("end beyond the end") << 1 << 600.f << 0.f << 300.f << 728.f;
    QTest::newRow("end runs into start at 100") << 1 << 600.f << 100.f << -600.f << 113.f;
    QTest::newRow("end moves freely") << 1 << 600.f << 100.f << -100.f << 500.f;
    QTest::newRow("end exactly at its limit") << 1 << 600.f << 100.f << -487.f << 113.f;
}

void TestSelectionHandles::moveKeepsHandlesApartAndOnTheLine()
{
    QFETCH(int, handle);
    QFETCH(float, fromPx);
    QFETCH(float, otherPx);
    QFETCH(float, deltaPx);
    QFETCH(float, expectedPx);
    Handles h;
    h.face.handleX[handle] = px(fromPx);
    h.face.handleX[1 - handle] = px(otherPx);
    QSignalSpy changed(&h.face, &MainFace::changed);
    h.handles.press(handle, px(3));
    h.handles.move(handle, px(3 + deltaPx));
    QCOMPARE(h.xPx(handle), expectedPx);
    QCOMPARE(h.xPx(1 - handle), otherPx);
    QCOMPARE(changed.count(), expectedPx == fromPx ? 0 : 1);
}

void TestSelectionHandles::moveChangesNoSelection()
{
    Handles h;
    h.state.SelStart = 3;
    h.state.SelEnd = 50;
    h.face.lblSelBegin = QStringLiteral("00:00:03");
    h.handles.press(0, px(6));
    h.handles.move(0, px(106));
    QCOMPARE(h.xPx(0), 100.0f);
    QCOMPARE(h.state.SelStart, 3);
    QCOMPARE(h.state.SelEnd, 50);
    QCOMPARE(h.face.lblSelBegin, QStringLiteral("00:00:03"));
    QCOMPARE(h.state.IsDragging, FlagTrue);
}

void TestSelectionHandles::releaseTurnsPositionIntoSeconds_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<float>("deltaPx");
    QTest::addColumn<int>("otherSeconds");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("length");
    // Start handle from 0 px, end handle from 728 px, FULL 180.
    QTest::newRow("end dragged beyond the end")
        << 1 << 100.f << 0 << 180 << "00:03:00" << "00:03:00";
    QTest::newRow("end released at 364 px")
        << 1 << -364.f << 30 << 90 << "00:01:30" << "00:01:00";
    QTest::newRow("start released at 364 px")
        << 0 << 364.f << 120 << 90 << "00:01:30" << "00:00:30";
    QTest::newRow("start at 91 px, 22.5 s to even")
        << 0 << 91.f << 120 << 22 << "00:00:22" << "00:01:38";
}

void TestSelectionHandles::releaseTurnsPositionIntoSeconds()
{
    QFETCH(int, handle);
    QFETCH(float, deltaPx);
    QFETCH(int, otherSeconds);
    QFETCH(int, seconds);
    QFETCH(QString, label);
    QFETCH(QString, length);
    Handles h;
    (handle == 0 ? h.state.SelEnd : h.state.SelStart) = otherSeconds;
    h.drag(handle, deltaPx);

    QCOMPARE(h.state.IsDragging, FlagFalse);
    QCOMPARE(handle == 0 ? h.state.SelStart : h.state.SelEnd, seconds);
    QCOMPARE(handle == 0 ? h.state.SelEnd : h.state.SelStart, otherSeconds);
    QCOMPARE(handle == 0 ? h.face.lblSelBegin : h.face.lblSelEnd, label);
    QCOMPARE(handle == 0 ? h.face.lblViewBegin : h.face.lblViewEnd, label);
    QCOMPARE(handle == 0 ? h.face.lblSelEnd : h.face.lblSelBegin, QStringLiteral("00:00:00"));
    QCOMPARE(h.face.lblSelLength, length);
    QCOMPARE(h.face.lblViewLength, length);
}

void TestSelectionHandles::releaseOfStartWithoutEndKeepsLengthLabels()
{
    Handles h;
    h.face.lblSelLength = QStringLiteral("00:00:07");
    h.face.lblViewLength = QStringLiteral("00:00:09");
    h.drag(0, 364);
    QCOMPARE(h.state.SelStart, 90);
    QCOMPARE(h.face.lblSelBegin, QStringLiteral("00:01:30"));
    QCOMPARE(h.face.lblSelLength, QStringLiteral("00:00:07"));
    // The view copy still follows the (unchanged) length label.
    QCOMPARE(h.face.lblViewLength, QStringLiteral("00:00:07"));
}

void TestSelectionHandles::moveAndReleaseWithoutPressDoNothing()
{
    Handles h;
    h.face.handleX[0] = px(364);
    h.state.SelStart = 7;
    h.face.lblSelBegin = QStringLiteral("00:00:07");
    QSignalSpy changed(&h.face, &MainFace::changed);
    for (int handle : {0, 1}) {
        h.handles.move(handle, px(200));
        h.handles.release(handle, px(200));
    }
    QCOMPARE(h.xPx(0), 364.0f);
    QCOMPARE(h.face.handleX[1], timeline::TimelineSpan);
    QCOMPARE(h.state.SelStart, 7);
    QCOMPARE(h.state.SelEnd, 0);
    QCOMPARE(h.face.lblSelBegin, QStringLiteral("00:00:07"));
    QCOMPARE(changed.count(), 0);

    // A finished drag leaves nothing for a stray second release.
    h.drag(0, 0);
    QCOMPARE(h.state.SelStart, 90);
    h.face.handleX[0] = px(0);
    h.handles.release(0, 0);
    QCOMPARE(h.state.SelStart, 90);
}

void TestSelectionHandles::setAtPlayPosition_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QString>("full");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<float>("fraction");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("length");
    QTest::newRow("start without an end, anywhere") << 0 << "180" << 0 << 0 << 0.75f << true << 135 << "00:00:00";
    QTest::newRow("start at the end refused") << 0 << "180" << 10 << 60 << 60.f / 180 << false << 10 << "00:00:00";
    QTest::newRow("start past the end refused") << 0 << "180" << 10 << 60 << 0.5f << false << 10 << "00:00:00";
    QTest::newRow("start a second before the end") << 0 << "180" << 10 << 60 << 59.f / 180 << true << 59 << "00:00:01";
    QTest::newRow("start with nothing played") << 0 << "0" << 5 << 0 << 0.0f << true << 0 << "00:00:00";
    QTest::newRow("end equal to the start") << 1 << "180" << 30 << 0 << 30.f / 180 << true << 30 << "00:00:00";
    QTest::newRow("end before the start refused") << 1 << "180" << 30 << 0 << 29.f / 180 << false << 0 << "00:00:00";
    QTest::newRow("end after the start") << 1 << "180" << 30 << 0 << 0.5f << true << 90 << "00:01:00";
}

void TestSelectionHandles::setAtPlayPosition()
{
    QFETCH(int, handle);
    QFETCH(QString, full);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(float, fraction);
    QFETCH(bool, accepted);
    QFETCH(int, seconds);
    QFETCH(QString, length);
    Handles h;
    h.face.txtFullTime = full;
    h.state.SelStart = selStart;
    h.state.SelEnd = selEnd;
    h.state.PlayFraction = fraction;
    h.face.playHeadX = timeline::TimelineSpan * fraction;
    const float before = h.face.handleX[handle];

    if (handle == 0)
        h.handles.setStartAtPlayPosition();
    else
        h.handles.setEndAtPlayPosition();

    QCOMPARE(handle == 0 ? h.state.SelStart : h.state.SelEnd, seconds);
    QCOMPARE(handle == 0 ? h.state.SelEnd : h.state.SelStart, handle == 0 ? selEnd : selStart);
    QCOMPARE(h.face.handleVisible[handle], accepted);
    QVERIFY(!h.face.handleVisible[1 - handle]);
    QCOMPARE(h.face.handleX[handle], accepted ? h.face.playHeadX : before);
    const QString shown = accepted ? timeline::formatSeconds(seconds) : QStringLiteral("00:00:00");
    QCOMPARE(handle == 0 ? h.face.lblSelBegin : h.face.lblSelEnd, shown);
    QCOMPARE(handle == 0 ? h.face.lblViewBegin : h.face.lblViewEnd, shown);
    QCOMPARE(h.face.lblSelLength, length);
    QCOMPARE(h.face.lblViewLength, length);
}

void TestSelectionHandles::handleCloseToTheStartCannotPushTheOtherOffTheLine()
{
    Handles h;
    // Set end puts the end handle 5 px from the start of the line.
    h.state.PlayFraction = 5.0f / 728;
    h.face.playHeadX = px(5);
    h.handles.setEndAtPlayPosition();
    QCOMPARE(h.state.SelEnd, 1);

    h.drag(0, 20);
    QCOMPARE(h.xPx(0), 0.0f);
    QCOMPARE(h.xPx(1), 5.0f);
    QCOMPARE(h.state.SelStart, 0);
    QCOMPARE(h.face.lblSelBegin, QStringLiteral("00:00:00"));
    QCOMPARE(h.face.lblSelLength, QStringLiteral("00:00:01"));
}

void TestSelectionHandles::handleCloseToTheEndCannotPushTheOtherOffTheLine()
{
    Handles h;
    h.state.PlayFraction = 720.0f / 728;
    h.face.playHeadX = px(720);
    h.handles.setStartAtPlayPosition();
    QCOMPARE(h.state.SelStart, 178);

    h.drag(1, -5);
    QCOMPARE(h.xPx(1), 728.0f);
    QCOMPARE(h.state.SelEnd, 180);
    QCOMPARE(h.face.lblSelEnd, QStringLiteral("00:03:00"));
    QCOMPARE(h.face.lblSelLength, QStringLiteral("00:00:02"));
}

void TestSelectionHandles::releasedValuesStayInsideTheFileAndInOrder_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<float>("atPx");
    QTest::addColumn<int>("otherSeconds");
    QTest::addColumn<int>("seconds");
    QTest::newRow("start placed left of the line") << 0 << -100.f << 0 << 0;
    QTest::newRow("end placed right of the line") << 1 << 800.f << 0 << 180;
    QTest::newRow("start beyond the set end") << 0 << 364.f << 60 << 60;
    QTest::newRow("end before the start") << 1 << 10.f << 30 << 30;
}

void TestSelectionHandles::releasedValuesStayInsideTheFileAndInOrder()
{
    QFETCH(int, handle);
    QFETCH(float, atPx);
    QFETCH(int, otherSeconds);
    QFETCH(int, seconds);
    Handles h;
    (handle == 0 ? h.state.SelEnd : h.state.SelStart) = otherSeconds;
    h.handles.setGripX(handle, px(atPx));
    h.state.IsDragging = FlagTrue;
    h.handles.release(handle, 0);
    QCOMPARE(handle == 0 ? h.state.SelStart : h.state.SelEnd, seconds);
    QVERIFY(h.state.SelStart >= 0);
    QVERIFY(h.state.SelEnd <= 180);
    QVERIFY(h.state.SelEnd == 0 || h.state.SelStart <= h.state.SelEnd);
}

void TestSelectionHandles::randomSelectionStepsUseTheLastGrabPoint_data()
{
    QTest::addColumn<int>("lastDragStartX");
    QTest::addColumn<float>("expectedX");
    QTest::addColumn<int>("selEnd");
    // Grip placed at 3000 twips, pointer at 45 twips, FULL 1000.
    QTest::newRow("grabbed where the pointer is") << 45 << 3000.f << 275;
    QTest::newRow("grabbed 45 twips further right") << 90 << 2955.f << 271;
}

void TestSelectionHandles::randomSelectionStepsUseTheLastGrabPoint()
{
    QFETCH(int, lastDragStartX);
    QFETCH(float, expectedX);
    QFETCH(int, selEnd);
    Handles h("1000");
    h.state.DragStartX = lastDragStartX;
    h.handles.setGripX(1, 3000.0f);
    h.state.IsDragging = FlagTrue;
    h.handles.move(1, 45.0f);
    h.handles.release(1, 45.0f);
    QCOMPARE(h.face.handleX[1], expectedX);
    QCOMPARE(h.state.SelEnd, selEnd);
    QCOMPARE(h.state.IsDragging, FlagFalse);
    QCOMPARE(h.state.DragStartX, lastDragStartX);
}

QTEST_GUILESS_MAIN(TestSelectionHandles)
#include "test_selection_handles.moc"
