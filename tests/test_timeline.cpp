#include "playback/Timeline.h"

#include <QtTest>
#include <cfenv>
#include <initializer_list>
#include <limits>
#include <utility>

using namespace timeline;

namespace {

// Applies f to the input of every row and compares all results at once, so that
// a failure names the index of the row.
template <typename In, typename Out, typename F>
void table(F f, std::initializer_list<std::pair<In, Out>> rows)
{
    QList<Out> got, expected;
    for (const auto &[input, output] : rows) {
        got << f(input);
        expected << output;
    }
    QCOMPARE(got, expected);
}

}  // namespace

class TestTimeline : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven();
    void roundingSaturatesAndIgnoresTheCallersMode();
    void formatsSeconds();
    void readsLeadingNumber();
    void convertsPositionToSeconds();
};

void TestTimeline::roundsHalvesToEven()
{
    table<double, int>(roundHalfEven, {{0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4},
                                       {2.5000001, 3}, {3.4999999, 3}, {180.0, 180}});
}

void TestTimeline::roundingSaturatesAndIgnoresTheCallersMode()
{
    QCOMPARE(roundHalfEven(1e12), std::numeric_limits<std::int32_t>::max());
    QCOMPARE(roundHalfEven(-1e12), std::numeric_limits<std::int32_t>::min());
    QCOMPARE(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    std::fesetround(FE_UPWARD);
    const auto r = roundHalfEven(2.5);
    std::fesetround(FE_TONEAREST);
    QCOMPARE(r, 2);
}

void TestTimeline::formatsSeconds()
{
    // Hours and minutes are floored, seconds keep the sign of the count.
    table<int, QString>(formatSeconds, {{0, "00:00:00"}, {7, "00:00:07"}, {59, "00:00:59"}, {600, "00:10:00"},
                                        {3661, "01:01:01"}, {86399, "23:59:59"}, {360000, "100:00:00"},
                                        {-61, "-1:-2:-1"}});
}

void TestTimeline::readsLeadingNumber()
{
    table<QString, double>([](const QString &text) { return leadingNumber(text); },
                           {{"180", 180}, {"12abc", 12}, {"  7", 7}, {"- 3", -3}, {"2.5s", 2.5}, {".5", 0.5},
                            {"1e3", 1000}, {"5e", 5}, {"", 0}, {QString(128, u' '), 0}, {"abc", 0}, {"-", 0},
                            {"x1", 0}});
}

void TestTimeline::convertsPositionToSeconds()
{
    const auto atFull = [](double full) {
        return [full](double pixels) { return positionToSeconds(pixels * TwipsPerPixel, full); };
    };
    table<double, int>(atFull(4), {{91, 0}, {273, 2}, {455, 2}, {637, 4}});
    table<double, int>(atFull(180), {{182, 45}, {364, 90}, {728, 180}, {-20, -5}});
    table<double, int>(atFull(0), {{500, 0}});
}

QTEST_GUILESS_MAIN(TestTimeline)
#include "test_timeline.moc"
