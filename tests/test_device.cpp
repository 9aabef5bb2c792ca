// The real playback device on SDL's dummy driver, which consumes samples in real
// time without making a sound.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"
#include "playback/WavFacts.h"

#include "support/Media.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

QString openCommand(const QString &path)
{
    return QStringLiteral("open ") + path + QStringLiteral(" alias sound");
}

bool accepts(StringCommandDevice &device, const QString &command)
{
    bool ok = false;
    device.send(command, &ok);
    return ok;
}

// The reply to a status query as a number, -1 when the query is refused.
qint64 status(StringCommandDevice &device, const char *what)
{
    bool ok = false;
    const QString reply = device.send(QStringLiteral("status sound ") + QLatin1String(what), &ok);
    return ok ? reply.toLongLong() : -1;
}
qint64 positionOf(StringCommandDevice &device) { return status(device, "position"); }
qint64 lengthOf(StringCommandDevice &device) { return status(device, "length"); }

// Polls until the device reports its position at its length; the time it took.
qint64 waitForEnd(StringCommandDevice &device, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (positionOf(device) == lengthOf(device))
            return clock.elapsed();
        QTest::qWait(5);
    }
    return -1;
}

#define VERIFY_WITHIN(value, low, high)                                          \
    do {                                                                          \
        const qint64 v_ = (value);                                                \
        QVERIFY2(v_ >= (low) && v_ <= (high), qPrintable(QString::number(v_)));   \
    } while (false)

// Run in a child process whose SDL_AUDIODRIVER cannot be used: the device has
// to fall back to the dummy driver and still keep time.
int fallbackProbe(const char *wavPath)
{
    StringCommandDevice device;
    if (!accepts(device, openCommand(QString::fromLocal8Bit(wavPath)))
        || !accepts(device, QStringLiteral("play sound")))
        return 2;
    QThread::msleep(400);
    std::printf("driver=%s position=%lld\n", qPrintable(device.driverStats().driver),
                positionOf(device));
    return 0;
}

}  // namespace

class TestDevice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_long;   // 20 s, 44.1 kHz stereo
    QString m_short;  // 1 s, 48 kHz mono
    QString m_notSound;

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(m_dir.isValid());
        m_long = m_dir.filePath(QStringLiteral("long.wav"));
        m_short = m_dir.filePath(QStringLiteral("short.wav"));
        QVERIFY(media::makeWav(m_long, 20.0, 44100));
        QVERIFY(media::makePcmWav(m_short, 1.0, 48000, 1, QStringLiteral("pcm_s16le")));
        m_notSound = m_dir.filePath(QStringLiteral("notes.wav"));
        QFile notes(m_notSound);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("words, not sound\n") > 0);
    }

    void positionAdvancesAtRealSpeed()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QCOMPARE(device.driverStats().driver, QStringLiteral("dummy"));
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        const qint64 first = positionOf(device);
        QTest::qWait(1500);
        const qint64 second = positionOf(device);
        const double speed = (second - first) / double(clock.elapsed());
        QVERIFY2(first > 0, qPrintable(QString::number(first)));
        QVERIFY2(speed > 0.9 && speed < 1.1, qPrintable(QString::number(speed)));
    }

    void pauseHoldsResumeContinuesStopKeepsOpen()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QTest::qWait(500);
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const qint64 paused = positionOf(device);
        VERIFY_WITHIN(paused, 400, 700);
        QTest::qWait(400);
        QCOMPARE(positionOf(device), paused);
        QVERIFY(accepts(device, QStringLiteral("pause sound")));  // harmless, still holds
        QCOMPARE(positionOf(device), paused);

        QVERIFY(accepts(device, QStringLiteral("resume sound")));
        VERIFY_WITHIN(positionOf(device), paused, paused + 50);
        QTest::qWait(600);
        VERIFY_WITHIN(positionOf(device) - paused, 500, 720);

        // "stop sound" holds the position too, keeps the device open, and
        // "play sound" goes on from there; a resume is refused.
        QVERIFY(accepts(device, QStringLiteral("stop sound")));
        const qint64 stopped = positionOf(device);
        QTest::qWait(300);
        QCOMPARE(positionOf(device), stopped);
        QVERIFY(!accepts(device, QStringLiteral("resume sound")));
        QCOMPARE(positionOf(device), stopped);
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QTest::qWait(300);
        VERIFY_WITHIN(positionOf(device), stopped + 200, stopped + 420);
    }

    void playFromReportsTheNewPositionAtOnce()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        QVERIFY(accepts(device, QStringLiteral("play sound from 12000")));
        VERIFY_WITHIN(positionOf(device), 12000, 12050);
        QTest::qWait(400);
        VERIFY_WITHIN(positionOf(device), 12300, 12500);

        // Seeking while playing and while paused jumps just the same.
        QVERIFY(accepts(device, QStringLiteral("play sound from 3000")));
        VERIFY_WITHIN(positionOf(device), 3000, 3050);
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        QVERIFY(accepts(device, QStringLiteral("play sound from 19000")));
        const qint64 at = positionOf(device);
        VERIFY_WITHIN(at, 19000, 19050);
        QTest::qWait(300);
        QVERIFY(positionOf(device) > at);  // playing, not paused
    }

    void theEndOfTheFileStopsTheDeviceAndKeepsItOpen()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_short)));
        QCOMPARE(lengthOf(device), 1000);
        // Beyond the end fails and leaves the device open and not playing.
        QVERIFY(!accepts(device, QStringLiteral("play sound from 1001")));
        QTest::qWait(200);
        QCOMPARE(positionOf(device), 0);
        QCOMPARE(lengthOf(device), 1000);

        QVERIFY(accepts(device, QStringLiteral("play sound")));
        VERIFY_WITHIN(waitForEnd(device, 3000), 850, 1150);
        QTest::qWait(300);
        QCOMPARE(positionOf(device), 1000);

        // Playing on from the end plays nothing; the device stopped, so no resume.
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QTest::qWait(200);
        QCOMPARE(positionOf(device), 1000);
        QVERIFY(!accepts(device, QStringLiteral("resume sound")));
        // The very end is still inside the file: it plays nothing and is at the end.
        QVERIFY(accepts(device, QStringLiteral("play sound from 1000")));
        QCOMPARE(positionOf(device), 1000);

        QVERIFY(accepts(device, QStringLiteral("play sound from 0")));
        QTest::qWait(200);
        VERIFY_WITHIN(positionOf(device), 101, 399);

        // Closing frees the alias for the next open.
        QVERIFY(accepts(device, QStringLiteral("close sound")));
        QCOMPARE(lengthOf(device), -1);
        QVERIFY(accepts(device, openCommand(m_long)));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), 0);
    }

    void rejectedCommandsChangeNothing_data()
    {
        QTest::addColumn<bool>("open");  // else closed
        QTest::addColumn<QString>("command");
        for (const char *command :
             {"play sound", "status sound position", "open alias sound",
              "open /no/such/file.wav alias sound", "open /tmp alias sound", "open %1 alias music",
              "open %2 alias sound"})
            QTest::addRow("closed: %s", command) << false << QString::fromLatin1(command);
        for (const char *command :
             {"", "PLAY SOUND", "play sound from ", "play sound from 1.5", "play sound from -1",
              "play sound from 20001", "play sound from 99999999999999999999999",
              "status sound mode", "resume sound", "open %1 alias sound"})
            QTest::addRow("open: %s", command) << true << QString::fromLatin1(command);
    }

    // An open device is left stopped in the middle of the file: a rejected
    // command must neither move it nor start it. A closed one stays closed.
    void rejectedCommandsChangeNothing()
    {
        QFETCH(bool, open);
        QFETCH(QString, command);
        command.replace(QStringLiteral("%1"), m_short).replace(QStringLiteral("%2"), m_notSound);

        StringCommandDevice device;
        qint64 before = -1;
        if (open) {
            QVERIFY(accepts(device, openCommand(m_long)));
            QVERIFY(accepts(device, QStringLiteral("play sound from 3000")));
            QTest::qWait(100);
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            before = positionOf(device);
            QVERIFY(before >= 3000);
        }
        bool ok = true;
        QCOMPARE(device.send(command, &ok), QString());
        QVERIFY(!ok);
        QTest::qWait(150);
        QCOMPARE(positionOf(device), before);
        QCOMPARE(lengthOf(device), open ? 20000 : -1);
        if (!open) {  // the alias is free for a real open
            QVERIFY(accepts(device, openCommand(m_short)));
            QCOMPARE(lengthOf(device), 1000);
            return;
        }
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QTest::qWait(150);
        QVERIFY(positionOf(device) > before);
    }

    void playsWavVariantsForTheirLength_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("16-bit 22.05 kHz stereo") << "pcm_s16le" << 22050 << 2 << QStringList();
        QTest::newRow("24-bit 96 kHz mono") << "pcm_s24le" << 96000 << 1 << QStringList();
        QTest::newRow("float 5.1 RF64") << "pcm_f32le" << 48000 << 6 << QStringList{"-rf64", "always"};
    }

    void playsWavVariantsForTheirLength()
    {
        QFETCH(QString, codec);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, extra);
        // Blanks, Chinese and the alias words in the path.
        const QString path = m_dir.filePath(QStringLiteral("a 铃声 alias sound/open alias sound.wav"));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(media::makePcmWav(path, 0.6, rate, channels, codec, extra));
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(path)));
        QCOMPARE(lengthOf(device), 600);
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        VERIFY_WITHIN(waitForEnd(device, 3000), 500, 750);
        QCOMPARE(device.driverStats().framesHanded, qint64(rate) * 6 / 10);
    }

    // The completion sound has its own alias: whatever it does, the open
    // file's length and position stay; and where the output takes one stream
    // only, the open file gets it.
    void theChimeNeverTouchesTheOpenFile()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        QVERIFY(accepts(device, QStringLiteral("play sound from 5000")));
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const qint64 held = positionOf(device);
        device.send(QStringLiteral("open ") + m_short + QStringLiteral(" alias chime"));
        device.send(QStringLiteral("play chime"));
        device.send(QStringLiteral("close chime"));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), held);

        QVERIFY(accepts(device, QStringLiteral("close sound")));
        QVERIFY(accepts(device, QStringLiteral("open ") + m_short + QStringLiteral(" alias chime")));
        QVERIFY(accepts(device, QStringLiteral("play chime")));
        QCOMPARE(lengthOf(device), -1);  // nothing under "sound"
        QVERIFY(accepts(device, openCommand(m_long)));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), 0);
    }

    // A header can claim any rate; the device sizes its buffers from it, so
    // it takes only what a listener could hear.
    void refusesFormatsNoListenerCouldHear_data()
    {
        QTest::addColumn<quint32>("rate");
        QTest::newRow("two billion frames a second") << quint32(2000000000);
        QTest::newRow("one frame a second") << quint32(1);
        QTest::newRow("769 kHz") << quint32(769000);
    }
    void refusesFormatsNoListenerCouldHear()
    {
        QFETCH(quint32, rate);
        const QString path = m_dir.filePath(QStringLiteral("claims %1 Hz.wav").arg(rate));
        QVERIFY(media::makePcmWav(path, 0.5, 8000, 1, QStringLiteral("pcm_s16le")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype fmt = bytes.indexOf("fmt ");
        QVERIFY(fmt > 0);
        qToLittleEndian(rate, bytes.data() + fmt + 12);       // frames a second
        qToLittleEndian(rate * 2, bytes.data() + fmt + 16);   // bytes a second
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();
        const auto facts = readWavFacts(path);
        QVERIFY(facts);
        QCOMPARE(quint32(facts->sampleRate), rate);
        QVERIFY(!facts->isPlayable());

        StringCommandDevice device;
        QVERIFY(!accepts(device, openCommand(path)));
        QCOMPARE(lengthOf(device), -1);
    }

    void fallsBackToTheDummyDriverWhenNoOutputCanBeOpened()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fallback-probe"), m_long});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray out = child.readAllStandardOutput();
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.contains("driver=dummy"), out.constData());
        VERIFY_WITHIN(out.mid(out.indexOf("position=") + 9).trimmed().toLongLong(), 300, 550);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--fallback-probe") == 0)
        return fallbackProbe(argv[2]);
    QCoreApplication app(argc, argv);
    TestDevice test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_device.moc"
