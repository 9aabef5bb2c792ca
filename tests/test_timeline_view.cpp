// Which stretch of the file the time line shows, and how positions on it map
// to milliseconds of the file at every zoom.
#include "ui/SelectionHandles.h"
#include "playback/Timeline.h"
#include "ui/TimeTable.h"
#include "ui/TimelineView.h"

#include <QtTest>

namespace {

struct Viewing {
    EditorModel model;
    TimelineFace face;
    SelectionHandles handles{model, face};
    TimelineView view{model};

    explicit Viewing(qint64 lengthMs)
    {
        model.setMedia(OpenMedia{{}, {}, lengthMs, nullptr});
        view.showWholeFile();
    }
    TimeTable table() const { return timeTableOf(model, handles); }
};

}  // namespace

class TestTimelineView : public QObject {
    Q_OBJECT
private slots:
    void positionsRoundTripWithinAPixelAtEveryZoom_data()
    {
        QTest::addColumn<double>("startMs");
        QTest::addColumn<double>("endMs");
        QTest::newRow("an hour, whole") << 0.0 << 3600000.0;
        QTest::newRow("a minute in the middle") << 1800000.0 << 1860000.0;
        QTest::newRow("one second") << 41000.0 << 42000.0;
        QTest::newRow("a millisecond a pixel") << 41000.0 << 41728.0;
    }
    void positionsRoundTripWithinAPixelAtEveryZoom()
    {
        QFETCH(double, startMs);
        QFETCH(double, endMs);
        const VisibleSpan span{startMs, endMs};
        for (int px = 0; px <= 728; px += 7) {
            const double twips = px * 15.0;
            const qint64 ms = timeline::positionToMs(twips, span);
            QVERIFY(ms >= std::llround(startMs) && ms <= std::llround(endMs));
            const double back = timeline::msToPosition(double(ms), span) / 15.0;
            QVERIFY2(std::fabs(back - px) <= 1.0, qPrintable(QStringLiteral("%1 px -> %2 ms -> %3 px").arg(px).arg(ms).arg(back)));
        }
        QCOMPARE(timeline::positionToMs(0, span), std::llround(startMs));
        QCOMPARE(timeline::positionToMs(timeline::TimelineSpan, span), std::llround(endMs));
    }

    void zoomKeepsTheMillisecondUnderThePointer()
    {
        Viewing v(180000);
        const double at = 200 * 15.0;  // 200 px
        const qint64 before = timeline::positionToMs(at, v.model.view());
        v.view.zoomAround(0.25, at);
        QCOMPARE(v.model.view().lengthMs(), 45000.0);
        QVERIFY(std::llabs(timeline::positionToMs(at, v.model.view()) - before) <= 1);
        QVERIFY(!v.view.isWholeFile());

        // no narrower than a millisecond a pixel, never outside the file
        for (int i = 0; i < 40; ++i)
            v.view.zoomAround(0.5, at);
        QCOMPARE(v.model.view().lengthMs(), TimelineView::MinSpanMs);
        v.view.scrollBy(-1000.0);
        QCOMPARE(v.model.view().startMs, 0.0);
        v.view.scrollBy(1000.0);
        QCOMPARE(v.model.view().endMs, 180000.0);
        for (int i = 0; i < 40; ++i)
            v.view.zoomAround(2.0, at);
        QVERIFY(v.view.isWholeFile());
    }

    void theViewRowShowsTheStretchAndHandlesFollowIt()
    {
        Viewing v(180000);
        QCOMPARE(v.table().viewEnd, QStringLiteral("03:00.000"));
        v.handles.select(Selection{41500, 43000});
        QCOMPARE(v.table().selBegin, QStringLiteral("00:41.500"));
        QCOMPARE(v.table().selLength, QStringLiteral("00:01.500"));
        v.view.zoomToSelection();
        QCOMPARE(v.table().viewBegin, QStringLiteral("00:41.425"));
        QCOMPARE(v.table().viewEnd, QStringLiteral("00:43.075"));
        QCOMPARE(v.table().viewLength, QStringLiteral("00:01.650"));
        // the handles stand where the selection is in the new stretch
        QCOMPARE(timeline::positionToMs(v.face.handleX[0], v.model.view()), 41500);
        QCOMPARE(timeline::positionToMs(v.face.handleX[1], v.model.view()), 43000);
        QVERIFY(v.face.handleX[0] > 0 && v.face.handleX[1] < timeline::TimelineSpan);

        // a release on the zoomed line lands to the millisecond of the stretch shown
        v.handles.press(1, 0);
        v.face.handleX[1] = float(timeline::msToPosition(42250, v.model.view()));
        v.handles.release(1, 0);
        QCOMPARE(v.model.marks().endMs, 42250);
    }

    void nothingOpenShowsNothing()
    {
        Viewing v(0);
        QCOMPARE(v.model.view(), VisibleSpan{});
        v.view.zoomAround(0.5, 100);
        v.view.scrollBy(1);
        QCOMPARE(v.model.view(), VisibleSpan{});
        QCOMPARE(v.face.handleX[1], timeline::TimelineSpan);
    }

    void typedTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms");  // -1: refused
        QTest::newRow("hours") << "00:00:41.500" << qint64(41500);
        QTest::newRow("minutes") << "01:02.25" << qint64(62250);
        QTest::newRow("seconds with a fraction") << "41.5" << qint64(41500);
        QTest::newRow("plain seconds") << "75" << qint64(75000);
        QTest::newRow("blanks around") << "  1:00:00 " << qint64(3600000);
        QTest::newRow("milliseconds") << "0.007" << qint64(7);
        QTest::newRow("many minutes") << "90:00" << qint64(5400000);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("letters") << "1m30s" << qint64(-1);
        QTest::newRow("negative") << "-5" << qint64(-1);
        QTest::newRow("seconds past 59 after a colon") << "1:75" << qint64(-1);
        QTest::newRow("sixty seconds after a colon") << "1:60" << qint64(-1);
        QTest::newRow("just under a minute after a colon") << "1:59.999" << qint64(119999);
        QTest::newRow("minutes past 59 after hours") << "1:60:00" << qint64(-1);
        QTest::newRow("four fields") << "1:00:00:00" << qint64(-1);
        QTest::newRow("four decimals") << "1.2345" << qint64(-1);
        QTest::newRow("empty field") << "1::05" << qint64(-1);
        QTest::newRow("dot only") << "5." << qint64(-1);
        QTest::newRow("comma decimal") << "5,5" << qint64(-1);
    }
    void typedTimes()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        const auto parsed = timeline::parseTypedTime(text);
        QCOMPARE(parsed.has_value(), ms >= 0);
        if (parsed)
            QCOMPARE(*parsed, ms);
    }

    void timesShowTheirTenths_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << 1 << "00:00:00.0";
        QTest::newRow("41.5 s") << qint64(41500) << 1 << "00:00:41.5";
        QTest::newRow("rounded up into the next minute") << qint64(59960) << 1 << "00:01:00.0";
        QTest::newRow("milliseconds") << qint64(3723004) << 3 << "01:02:03.004";
        QTest::newRow("whole seconds") << qint64(3723600) << 0 << "01:02:04";
        QTest::newRow("100 hours") << qint64(360000000) << 1 << "100:00:00.0";
    }
    void timesShowTheirTenths()
    {
        QFETCH(qint64, ms);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(timeline::formatMilliseconds(ms, decimals), text);
    }
};

QTEST_GUILESS_MAIN(TestTimelineView)
#include "test_timeline_view.moc"
