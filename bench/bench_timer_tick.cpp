// The cost of one tick of the position timer, which runs ten times a second for
// the program's whole life. The device answers at once, so the figure is the
// program's own share of a tick.

#include "model/EditorModel.h"
#include "playback/PlaybackDevice.h"
#include "playback/PositionTracker.h"

#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// Answers the two status queries from fixed numbers; the position can advance
// by a step on every query, as during playback.
class InstantDevice : public PlaybackDevice {
public:
    qint64 lengthMs = 0;
    qint64 positionMs = 0;
    qint64 stepMs = 0;

    QString send(const QString &command, bool *ok) override
    {
        if (ok)
            *ok = true;
        if (command == QLatin1String("status sound length"))
            return QString::number(lengthMs);
        if (command == QLatin1String("status sound position")) {
            positionMs = (positionMs + stepMs) % std::max<qint64>(lengthMs, 1);
            return QString::number(positionMs);
        }
        return QString();
    }
};

double medianTickMicroseconds(PositionTracker &tracker)
{
    constexpr int Batches = 201;
    constexpr int TicksPerBatch = 200;
    std::vector<double> perTick;
    perTick.reserve(Batches);
    for (int b = 0; b < Batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < TicksPerBatch; ++i)
            tracker.tick();
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        perTick.push_back(spent.count() / TicksPerBatch);
    }
    std::nth_element(perTick.begin(), perTick.begin() + Batches / 2, perTick.end());
    return perTick[Batches / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    struct Case {
        const char *name;
        qint64 lengthMs;
        qint64 stepMs;
    };
    const Case cases[] = {
        {"nothing open (length 0)", 0, 0},
        {"open, position standing still", 180000, 0},
        {"playing, position advancing 100 ms a tick", 180000, 100},
        {"playing, position advancing 1 s a tick", 180000, 1000},
    };

    out << "one PositionTracker::tick(), median over batches of ticks\n";
    for (const Case &c : cases) {
        EditorModel model;
        InstantDevice device;
        device.lengthMs = c.lengthMs;
        device.stepMs = c.stepMs;
        PositionTracker tracker(model, device);
        tracker.tick();  // first tick writes the length once
        out << QStringLiteral("  %1: %2 us\n").arg(QString::fromLatin1(c.name), -45)
                   .arg(medianTickMicroseconds(tracker), 0, 'f', 3);
    }
    out << "target: well below 1000 us\n";
    return 0;
}
