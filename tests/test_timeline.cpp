#include "playback/Timeline.h"

#include <QtTest>
#include <cfenv>
#include <limits>

using namespace timeline;

class TestTimeline : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void roundingSaturatesOutsideThirtyTwoBits();
    void formatsSeconds_data();
    void formatsSeconds();
    void readsLeadingNumber_data();
    void readsLeadingNumber();
    void convertsPositionToSeconds_data();
    void convertsPositionToSeconds();
};

void TestTimeline::roundsHalvesToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5 to 0") << 0.5 << 0;
    QTest::newRow("1.5 to 2") << 1.5 << 2;
    QTest::newRow("2.5 to 2") << 2.5 << 2;
    QTest::newRow("3.5 to 4") << 3.5 << 4;
    QTest::newRow("22.5 to 22") << 22.5 << 22;
    QTest::newRow("-0.5 to 0") << -0.5 << 0;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("-3.5 to -4") << -3.5 << -4;
    QTest::newRow("just above a half") << 2.5000001 << 3;
    QTest::newRow("just below a half") << 3.4999999 << 3;
    QTest::newRow("-4.945 to -5") << -4.945 << -5;
    QTest::newRow("whole stays") << 180.0 << 180;
}

void TestTimeline::roundsHalvesToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(roundHalfEven(value), expected);
}

void TestTimeline::roundingSaturatesOutsideThirtyTwoBits()
{
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    QCOMPARE(roundHalfEven(1e12), max);
    QCOMPARE(roundHalfEven(-1e12), min);
    QCOMPARE(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    // The rounding mode of the caller must not leak in.
    std::fesetround(FE_UPWARD);
    const auto r = roundHalfEven(2.5);
    std::fesetround(FE_TONEAREST);
    QCOMPARE(r, 2);
}

void TestTimeline::formatsSeconds_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << 0 << "00:00:00";
    QTest::newRow("7") << 7 << "00:00:07";
    QTest::newRow("59") << 59 << "00:00:59";
    QTest::newRow("600") << 600 << "00:10:00";
    QTest::newRow("3661") << 3661 << "01:01:01";
    QTest::newRow("a day less a second") << 86399 << "23:59:59";
    QTest::newRow("100 hours") << 360000 << "100:00:00";
    QTest::newRow("180") << 180 << "00:03:00";
    // Hours and minutes are floored, seconds keep the sign of the count.
    QTest::newRow("-1") << -1 << "-1:-1:-1";
    QTest::newRow("-61") << -61 << "-1:-2:-1";
    QTest::newRow("-3600") << -3600 << "-1:00:00";
}

void TestTimeline::formatsSeconds()
{
    QFETCH(int, seconds);
    QFETCH(QString, expected);
    QCOMPARE(formatSeconds(seconds), expected);
}

void TestTimeline::readsLeadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("digits") << "180" << 180.0;
    QTest::newRow("trailing text") << "12abc" << 12.0;
    QTest::newRow("leading blanks") << "  7" << 7.0;
    QTest::newRow("fraction") << "2.5s" << 2.5;
    QTest::newRow("bare fraction") << ".5" << 0.5;
    QTest::newRow("negative") << "-3" << -3.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent without digits") << "5e" << 5.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks only") << QString(128, u' ') << 0.0;
    QTest::newRow("no digits") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("digits after text") << "x1" << 0.0;
    QTest::newRow("millisecond reply") << "45000" << 45000.0;
}

void TestTimeline::readsLeadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(leadingNumber(text), expected);
}

void TestTimeline::convertsPositionToSeconds_data()
{
    QTest::addColumn<double>("pixels");
    QTest::addColumn<double>("full");
    QTest::addColumn<int>("expected");
    QTest::newRow("FULL 4, 91 px: 0.5") << 91.0 << 4.0 << 0;
    QTest::newRow("FULL 4, 273 px: 1.5") << 273.0 << 4.0 << 2;
    QTest::newRow("FULL 4, 455 px: 2.5") << 455.0 << 4.0 << 2;
    QTest::newRow("FULL 4, 637 px: 3.5") << 637.0 << 4.0 << 4;
    QTest::newRow("FULL 4, right end") << 728.0 << 4.0 << 4;
    QTest::newRow("FULL 180, 182 px") << 182.0 << 180.0 << 45;
    QTest::newRow("FULL 180, 364 px") << 364.0 << 180.0 << 90;
    QTest::newRow("FULL 180, 91 px: 22.5") << 91.0 << 180.0 << 22;
    QTest::newRow("FULL 180, right end") << 728.0 << 180.0 << 180;
    QTest::newRow("FULL 180, left of the line") << -20.0 << 180.0 << -5;
    QTest::newRow("FULL 0") << 500.0 << 0.0 << 0;
}

void TestTimeline::convertsPositionToSeconds()
{
    QFETCH(double, pixels);
    QFETCH(double, full);
    QFETCH(int, expected);
    QCOMPARE(positionToSeconds(pixels * TwipsPerPixel, full), expected);
}

QTEST_GUILESS_MAIN(TestTimeline)
#include "test_timeline.moc"
