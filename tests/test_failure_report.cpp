// What the user is told when a transcoder job fails, read from the whole
// output of real ffmpeg runs through the adapter (and stand-ins where a real
// fault cannot be made on demand).
#include "pipeline/ProcessRunner.h"
#include "pipeline/FailureReport.h"
#include "support/Media.h"
#include "support/RunToEnd.h"
#include "support/RecordingMessages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FailureCause)

class TestFailureReport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    void write(const char *name, const QByteArray &bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(media::toolsAvailable(&why), qPrintable(why));
        QVERIFY(m_dir.isValid());
        write("empty.mp3", QByteArray());
        QByteArray noise(20000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        write("noise.mp3", noise);
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-c:v", "mpeg4",
                                  media::asFileUrl(path("picture only.mp4"))}));
        QVERIFY(media::makeWav(path("tone.wav"), 1));
        QVERIFY(media::writeScript(path("killed ffmpeg"),
                                   "echo 'size=  1kB time=00:00:01.00 bitrate=1'\necho '  encoder : Lavc59.37.100 pcm_s16le'\nkill -9 $$"));
        QVERIFY(media::writeScript(path("amr-less ffmpeg"),
                                   "echo \"[amr @ 0x5555] Unknown encoder 'libopencore_amrnb'\"\n"
                                   "echo 'Error selecting an encoder'\nexit 1"));
        // an old or renamed build that prints its banner whatever it is told
        QVERIFY(media::writeScript(path("bannered ffmpeg"),
                                   "echo 'FFmpeg version 0.6.5, Copyright (c) 2000-2010 the FFmpeg developers'\n"
                                   "echo '  built with gcc 4.4.5'\n"
                                   "echo '  configuration: --prefix=/usr --enable-gpl --enable-shared'\n"
                                   "echo '  libavutil      57. 28.100 / 57. 28.100'\nexit 1"));
        QVERIFY(media::writeScript(path("stopped ffmpeg"),
                                   "echo 'size= 1kB time=00:00:02.00 bitrate=1'\n"
                                   "echo 'Exiting normally, received signal 15.'\nexit 255"));
    }

    void causesAreReadFromTheWholeOutput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("standIn");
        QTest::addColumn<FailureCause>("cause");
        QTest::addColumn<QString>("detail");  // a part of the transcoder's line shown; "-": none at all
        const QString out = m_dir.filePath("out.wav");
        QTest::newRow("empty file") << QStringList{"-i", path("empty.mp3"), "-y", "-vn", out} << QString()
                                    << FailureCause::NotMedia << "Invalid argument";
        QTest::newRow("random bytes") << QStringList{"-i", path("noise.mp3"), "-y", "-vn", out} << QString()
                                      << FailureCause::NotMedia << "";
        QTest::newRow("video without sound") << QStringList{"-i", path("picture only.mp4"), "-y", "-vn", out}
                                             << QString() << FailureCause::NoSound << "does not contain any stream";
        QTest::newRow("vanished file") << QStringList{"-i", path("gone.mp3"), "-y", "-vn", out} << QString()
                                       << FailureCause::Vanished << "No such file or directory";
        // ffmpeg 5.1 says so and still exits 0 when the file cannot be closed
        QTest::newRow("full disk") << QStringList{"-i", path("tone.wav"), "-y", "-f", "wav", "/dev/full"} << QString()
                                   << FailureCause::DiskFull << "No space left on device";
        QTest::newRow("killed transcoder") << QStringList{"-i", path("tone.wav"), "-y", out} << path("killed ffmpeg")
                                           << FailureCause::Stopped << "信号 9";
        QTest::newRow("stopped transcoder") << QStringList{"-i", path("tone.wav"), "-y", out} << path("stopped ffmpeg")
                                            << FailureCause::Stopped << "received signal 15";
        // the adapter's hint, one line before ffmpeg's last word, is what helps
        QTest::newRow("no AMR encoder") << QStringList{"-i", path("tone.wav"), "-y", m_dir.filePath("r.amr")}
                                        << path("amr-less ffmpeg") << FailureCause::EncoderMissing
                                        << "libavcodec-extra";
        QTest::newRow("only the banner") << QStringList{"-i", path("tone.wav"), "-y", out} << path("bannered ffmpeg")
                                         << FailureCause::Unknown << "-";
    }
    void causesAreReadFromTheWholeOutput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, standIn);
        QFETCH(FailureCause, cause);
        QFETCH(QString, detail);
        if (!standIn.isEmpty())
            qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(standIn));
        RecordingMessages messages;
        ProcessRunner runner(messages);
        const QString output = runToEnd(runner, Command{media::adapterPath(), arguments});
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QVERIFY(runner.lastStarted());

        const FailureReport report = explainFailure(output, runner.exitedNormally(), runner.exitCode());
        QCOMPARE(report.cause, cause);
        QCOMPARE(report.sentence, failureSentence(cause));
        if (detail == u"-")
            QCOMPARE(report.detail, QString());
        else
            QVERIFY2(report.detail.contains(detail), qPrintable(report.detail));
        // never a progress line or ffmpeg's build banner
        QVERIFY2(!report.detail.contains(QLatin1String("time=")), qPrintable(report.detail));
        QVERIFY2(!report.detail.startsWith(QLatin1String("encoder")), qPrintable(report.detail));
        QVERIFY(failureText(report).startsWith(report.sentence));
    }

    void everyCauseHasItsOwnSentence()
    {
        QStringList sentences;
        for (FailureCause cause : {FailureCause::EncoderMissing, FailureCause::DiskFull, FailureCause::NoPermission,
                                   FailureCause::Vanished, FailureCause::NoSound, FailureCause::NotMedia,
                                   FailureCause::Stopped, FailureCause::Unknown})
            sentences << failureSentence(cause);
        sentences.removeDuplicates();
        QCOMPARE(sentences.size(), 8);
        QVERIFY(failureSentence(FailureCause::EncoderMissing).contains(QLatin1String("libavcodec-extra")));
    }

    void aPermissionProblemAndAnUnknownOne()
    {
        // root may write anywhere, so this one is ffmpeg's line as it prints it
        FailureReport report = explainFailure(
            QStringLiteral("Input #0, wav\nsize= 1kB time=0.5 x\r/home/u/.r.partial.mp3: Permission denied\n"), true, 1);
        QCOMPARE(report.cause, FailureCause::NoPermission);
        QCOMPARE(report.detail, QStringLiteral("/home/u/.r.partial.mp3: Permission denied"));

        report = explainFailure(QStringLiteral("Something odd happened\nsize= 1kB time=0.5 x\r"), true, 1);
        QCOMPARE(report.cause, FailureCause::Unknown);
        QCOMPARE(report.detail, QStringLiteral("Something odd happened"));
    }
};

QTEST_GUILESS_MAIN(TestFailureReport)
#include "test_failure_report.moc"
