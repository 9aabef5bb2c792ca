// The real playback device on SDL's dummy driver, which consumes samples in real
// time without making a sound. Sound files are made with ffmpeg's lavfi sources.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include <cstdio>
#include <cstring>

namespace {

QString ffmpegProgram()
{
    const QString chosen = qEnvironmentVariable("BRINDLEWAVE_FFMPEG");
    return chosen.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : chosen;
}

// A sine tone of the given length, in the given sample codec, with extra muxer
// options (e.g. "-rf64 always"). Returns an empty string when ffmpeg failed.
QString makeTone(const QString &path, double seconds, int rate, int channels,
                 const QString &codec = QStringLiteral("pcm_s16le"),
                 const QStringList &extra = {})
{
    QProcess ffmpeg;
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                     QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                     QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                         .arg(rate)
                         .arg(seconds),
                     QStringLiteral("-ac"), QString::number(channels),
                     QStringLiteral("-c:a"), codec};
    args += extra;
    args += path;
    ffmpeg.start(ffmpegProgram(), args);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit
        || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return QString();
    }
    return path;
}

struct Reply {
    bool ok = false;
    QString text;
};

Reply ask(StringCommandDevice &device, const QString &command)
{
    Reply r;
    r.text = device.send(command, &r.ok);
    return r;
}

qint64 positionOf(StringCommandDevice &device)
{
    const Reply r = ask(device, QStringLiteral("status sound position"));
    return r.ok ? r.text.toLongLong() : -1;
}

qint64 lengthOf(StringCommandDevice &device)
{
    const Reply r = ask(device, QStringLiteral("status sound length"));
    return r.ok ? r.text.toLongLong() : -1;
}

QString openCommand(const QString &path)
{
    return QStringLiteral("open ") + path + QStringLiteral(" alias sound");
}

// Polls until the device reports its position at its length; the time it took.
qint64 waitForEnd(StringCommandDevice &device, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 length = lengthOf(device);
    while (clock.elapsed() < timeoutMs) {
        if (positionOf(device) == length)
            return clock.elapsed();
        QTest::qWait(5);
    }
    return -1;
}

// Run in a child process: the driver named by SDL_AUDIODRIVER cannot be used, so
// the device has to fall back to the dummy driver and still keep time.
int fallbackProbe(const char *wavPath)
{
    StringCommandDevice device;
    bool ok = false;
    device.send(openCommand(QString::fromLocal8Bit(wavPath)), &ok);
    if (!ok)
        return 2;
    device.send(QStringLiteral("play sound"), &ok);
    if (!ok)
        return 3;
    QThread::msleep(400);
    std::printf("driver=%s position=%s\n",
                qPrintable(device.driverStats().driver),
                qPrintable(device.send(QStringLiteral("status sound position"))));
    return 0;
}

}  // namespace

class TestDevice : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_long;   // 20 s, 44.1 kHz stereo
    QString m_short;  // 1 s, 48 kHz mono

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY2(!ffmpegProgram().isEmpty(), "ffmpeg is needed to make the test sounds");
        QVERIFY(m_dir.isValid());
        m_long = makeTone(m_dir.filePath(QStringLiteral("long.wav")), 20.0, 44100, 2);
        m_short = makeTone(m_dir.filePath(QStringLiteral("short.wav")), 1.0, 48000, 1);
        QVERIFY(!m_long.isEmpty() && !m_short.isEmpty());
    }

    void positionAdvancesAtRealSpeed()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_long)).ok);
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), 0);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QCOMPARE(device.driverStats().driver, QStringLiteral("dummy"));
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        const qint64 first = positionOf(device);
        QTest::qWait(1500);
        const qint64 second = positionOf(device);
        const double wall = clock.elapsed();
        QVERIFY2(first > 0, qPrintable(QString::number(first)));
        const double speed = (second - first) / wall;
        QVERIFY2(speed > 0.9 && speed < 1.1, qPrintable(QString::number(speed)));
        QVERIFY(ask(device, QStringLiteral("close sound")).ok);
    }

    void pauseHoldsThePositionAndResumeContinues()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_long)).ok);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(500);
        QVERIFY(ask(device, QStringLiteral("pause sound")).ok);
        const qint64 paused = positionOf(device);
        QVERIFY2(paused >= 400 && paused <= 700, qPrintable(QString::number(paused)));
        QTest::qWait(400);
        QCOMPARE(positionOf(device), paused);
        // A second pause is harmless and still holds.
        QVERIFY(ask(device, QStringLiteral("pause sound")).ok);
        QCOMPARE(positionOf(device), paused);

        QVERIFY(ask(device, QStringLiteral("resume sound")).ok);
        const qint64 resumed = positionOf(device);
        QVERIFY2(resumed >= paused && resumed <= paused + 50, qPrintable(QString::number(resumed)));
        QTest::qWait(600);
        const qint64 later = positionOf(device) - paused;
        QVERIFY2(later >= 500 && later <= 720, qPrintable(QString::number(later)));
    }

    void playFromReportsTheNewPositionAtOnce()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_long)).ok);
        QVERIFY(ask(device, QStringLiteral("play sound from 12000")).ok);
        qint64 at = positionOf(device);
        QVERIFY2(at >= 12000 && at <= 12050, qPrintable(QString::number(at)));
        QTest::qWait(400);
        at = positionOf(device);
        QVERIFY2(at >= 12300 && at <= 12500, qPrintable(QString::number(at)));

        // Seeking while playing and while paused jumps just the same.
        QVERIFY(ask(device, QStringLiteral("play sound from 3000")).ok);
        at = positionOf(device);
        QVERIFY2(at >= 3000 && at <= 3050, qPrintable(QString::number(at)));
        QVERIFY(ask(device, QStringLiteral("pause sound")).ok);
        QVERIFY(ask(device, QStringLiteral("play sound from 19000")).ok);
        at = positionOf(device);
        QVERIFY2(at >= 19000 && at <= 19050, qPrintable(QString::number(at)));
        QTest::qWait(300);
        QVERIFY(positionOf(device) > at);  // playing, not paused
    }

    void theEndOfTheFileStopsTheDeviceAndKeepsItOpen()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_short)).ok);
        const qint64 length = lengthOf(device);
        QCOMPARE(length, 1000);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        const qint64 took = waitForEnd(device, 3000);
        QVERIFY2(took >= 850 && took <= 1150, qPrintable(QString::number(took)));
        QTest::qWait(300);
        QCOMPARE(positionOf(device), length);
        QCOMPARE(lengthOf(device), length);

        // Playing on from the end plays nothing and stays at the end.
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(200);
        QCOMPARE(positionOf(device), length);
        // A resume is refused: the device stopped, it was not paused.
        QVERIFY(!ask(device, QStringLiteral("resume sound")).ok);

        QVERIFY(ask(device, QStringLiteral("play sound from 0")).ok);
        QTest::qWait(200);
        const qint64 again = positionOf(device);
        QVERIFY2(again > 100 && again < 400, qPrintable(QString::number(again)));
        QVERIFY(ask(device, QStringLiteral("close sound")).ok);
        QCOMPARE(lengthOf(device), -1);
    }

    void stopKeepsTheDeviceOpenAndThePosition()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_long)).ok);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(400);
        QVERIFY(ask(device, QStringLiteral("stop sound")).ok);
        const qint64 stopped = positionOf(device);
        QVERIFY2(stopped >= 300 && stopped <= 600, qPrintable(QString::number(stopped)));
        QTest::qWait(300);
        QCOMPARE(positionOf(device), stopped);
        QCOMPARE(lengthOf(device), 20000);
        QVERIFY(!ask(device, QStringLiteral("resume sound")).ok);
        QCOMPARE(positionOf(device), stopped);

        // "play sound" goes on from where it stopped.
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(300);
        const qint64 later = positionOf(device);
        QVERIFY2(later >= stopped + 200 && later <= stopped + 420,
                 qPrintable(QString::number(later)));

        // Closing frees the alias for the next open.
        QVERIFY(ask(device, QStringLiteral("stop sound")).ok);
        QVERIFY(ask(device, QStringLiteral("close sound")).ok);
        QVERIFY(ask(device, openCommand(m_short)).ok);
        QCOMPARE(lengthOf(device), 1000);
        QCOMPARE(positionOf(device), 0);
    }

    void commandsToAClosedDeviceAreRejected_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command :
             {"play sound", "play sound from 0", "pause sound", "resume sound", "stop sound",
              "close sound", "status sound length", "status sound position",
              "open alias sound", "open  alias sound", "open /no/such/file.wav alias sound",
              "open /tmp alias sound", "open %1 alias sounds", "open %1", "open %1 alias music",
              "open %2 alias sound"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    void commandsToAClosedDeviceAreRejected()
    {
        QFETCH(QString, command);
        const QString notSound = m_dir.filePath(QStringLiteral("notes.wav"));
        QFile notes(notSound);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("these are words, not sound\n");
        notes.close();
        command.replace(QStringLiteral("%1"), m_short).replace(QStringLiteral("%2"), notSound);

        StringCommandDevice device;
        const Reply r = ask(device, command);
        QVERIFY(!r.ok);
        QVERIFY(r.text.isEmpty());
        // Still closed: the queries fail, and the alias is free for a real open.
        QCOMPARE(lengthOf(device), -1);
        QVERIFY(ask(device, openCommand(m_short)).ok);
        QCOMPARE(lengthOf(device), 1000);
    }

    void rejectedCommandsLeaveAnOpenDeviceAsItWas_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command :
             {"", "play", "play sound ", " play sound", "PLAY SOUND", "play  sound",
              "play sound from", "play sound from ", "play sound from 1.5",
              "play sound from +5", "play sound from 12abc", "play sound from  100",
              "play sound from - 5", "play sound from 20001", "play sound from 99999999",
              "play sound from -1", "play sound from 99999999999999999999999",
              "seek sound to start", "status sound", "status sound mode", "set sound time format ms",
              "resume sound", "open %1 alias sound", "open %2 alias sound"})
            QTest::newRow(command[0] ? command : "(empty)") << QString::fromLatin1(command);
    }

    // The device is left stopped in the middle of the file; a rejected command
    // must neither move it nor start it.
    void rejectedCommandsLeaveAnOpenDeviceAsItWas()
    {
        QFETCH(QString, command);
        command.replace(QStringLiteral("%1"), m_long).replace(QStringLiteral("%2"), m_short);
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_long)).ok);
        QVERIFY(ask(device, QStringLiteral("play sound from 3000")).ok);
        QTest::qWait(100);
        QVERIFY(ask(device, QStringLiteral("stop sound")).ok);
        const qint64 before = positionOf(device);
        QVERIFY(before >= 3000);

        const Reply r = ask(device, command);
        QVERIFY(!r.ok);
        QVERIFY(r.text.isEmpty());
        QTest::qWait(150);
        QCOMPARE(positionOf(device), before);
        QCOMPARE(lengthOf(device), 20000);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(150);
        QVERIFY(positionOf(device) > before);
    }

    void playFromBeyondTheEndLeavesTheDeviceOpenAndSilent()
    {
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(m_short)).ok);
        QVERIFY(!ask(device, QStringLiteral("play sound from 1001")).ok);
        QTest::qWait(200);
        QCOMPARE(positionOf(device), 0);
        QCOMPARE(lengthOf(device), 1000);
        // The very end is still inside the file: it plays nothing and is at the end.
        QVERIFY(ask(device, QStringLiteral("play sound from 1000")).ok);
        QCOMPARE(positionOf(device), 1000);
    }

    void opensPathsWithBlanksAndChineseCharacters_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("blanks") << QStringLiteral("a folder/my ring tone.wav");
        QTest::newRow("chinese") << QStringLiteral("铃声/测试 音乐.wav");
        QTest::newRow("alias inside") << QStringLiteral("x alias sound y/open alias sound.wav");
    }

    void opensPathsWithBlanksAndChineseCharacters()
    {
        QFETCH(QString, relativePath);
        const QString path = m_dir.filePath(relativePath);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(QFile::copy(m_short, path));
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(path)).ok);
        QCOMPARE(lengthOf(device), 1000);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        QTest::qWait(200);
        QVERIFY(positionOf(device) > 100);
    }

    void playsEveryWavVariantForItsLength_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("8-bit 8 kHz mono") << "pcm_u8" << 8000 << 1 << QStringList();
        QTest::newRow("16-bit 22.05 kHz stereo") << "pcm_s16le" << 22050 << 2 << QStringList();
        QTest::newRow("24-bit 48 kHz stereo") << "pcm_s24le" << 48000 << 2 << QStringList();
        QTest::newRow("32-bit 96 kHz stereo") << "pcm_s32le" << 96000 << 2 << QStringList();
        QTest::newRow("float 44.1 kHz mono") << "pcm_f32le" << 44100 << 1 << QStringList();
        QTest::newRow("double 44.1 kHz stereo") << "pcm_f64le" << 44100 << 2 << QStringList();
        QTest::newRow("float 5.1 RF64") << "pcm_f32le" << 48000 << 6
                                        << QStringList{"-rf64", "always"};
        QTest::newRow("16-bit RF64") << "pcm_s16le" << 44100 << 2
                                     << QStringList{"-rf64", "always"};
    }

    void playsEveryWavVariantForItsLength()
    {
        QFETCH(QString, codec);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, extra);
        const QString path = makeTone(m_dir.filePath(QStringLiteral("variant.wav")), 0.6, rate,
                                      channels, codec, extra);
        QVERIFY(!path.isEmpty());
        StringCommandDevice device;
        QVERIFY(ask(device, openCommand(path)).ok);
        QCOMPARE(lengthOf(device), 600);
        QVERIFY(ask(device, QStringLiteral("play sound")).ok);
        const qint64 took = waitForEnd(device, 3000);
        QVERIFY2(took >= 500 && took <= 750, qPrintable(QString::number(took)));
        QCOMPARE(device.driverStats().framesHanded, qint64(rate) * 6 / 10);
    }

    void fallsBackToTheDummyDriverWhenNoOutputCanBeOpened()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--fallback-probe"), m_long});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray out = child.readAllStandardOutput();
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.contains("driver=dummy"), out.constData());
        const qint64 position = out.mid(out.indexOf("position=") + 9).trimmed().toLongLong();
        QVERIFY2(position >= 300 && position <= 550, out.constData());
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
