// Two programs side by side, and ends asked from outside: each window keeps
// its own working copy, and a termination signal ends the program as Exit
// does, leaving nothing behind.
#include "app/TerminationSignals.h"
#include "pipeline/SaveFlow.h"
#include "support/Media.h"
#include "support/WindowHarness.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>

class UiSessionsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_scratch;

    static void write(const QString &path, const QByteArray &bytes, bool executable = false)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (executable)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // An ffmpeg stand-in that starts writing its output (the last argument),
    // announces a duration and then never finishes.
    QString slowFfmpeg()
    {
        const QString path = m_scratch.filePath(QStringLiteral("slow-ffmpeg"));
        write(path,
              "#!/bin/sh\nfor a in \"$@\"; do out=\"$a\"; done\n"
              "printf 'RIFF half a file' > \"${out#file:}\"\n"
              "echo 'Duration: 00:10:00.00, start: 0'\nexec sleep 600\n",
              true);
        return path;
    }

    static QStringList leftIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() { QVERIFY(m_scratch.isValid()); }

    // A working folder others can write to is not used: the window says so,
    // naming it, and an open is refused before anything is written there.
    void aWorkingFolderOpenToOthersIsNotUsed()
    {
        const QString song = m_scratch.filePath(QStringLiteral("song.wav"));
        QVERIFY(media::makeWav(song, 3, 44100));
        const QString shared = m_scratch.filePath(QStringLiteral("open cache"));
        WindowHarness h(nullptr, [&shared](Paths &p) {
            QDir().mkpath(shared);
            QFile::setPermissions(shared, QFile::Permissions(0x7777));
            p.workFolder = shared;
        });
        QTRY_COMPARE(h.messages.count(), 1);
        QVERIFY2(h.messages.last().text.contains(shared), qPrintable(h.messages.last().text));
        h.window().openFromOutside(song);
        QCOMPARE(h.messages.count(), 2);
        QVERIFY2(h.messages.last().text.contains(shared), qPrintable(h.messages.last().text));
        QCOMPARE(qlonglong(h.model().lengthMs()), 0);
        QCOMPARE(leftIn(shared), QStringList());
    }

    void twoWindowsEachKeepTheirOwnWorkingCopy()
    {
        const QString shared = m_scratch.filePath(QStringLiteral("shared cache"));
        const QString first = m_scratch.filePath(QStringLiteral("first.wav"));
        const QString second = m_scratch.filePath(QStringLiteral("second.wav"));
        QVERIFY(media::makeWav(first, 6, 44100));
        QVERIFY(media::makeWav(second, 8, 22050));
        auto inShared = [&shared](Paths &p) { p.workFolder = shared; };
        WindowHarness a(nullptr, inShared);
        WindowHarness b(nullptr, inShared);
        QVERIFY(a.paths.workWav() != b.paths.workWav());

        a.window().openFromOutside(first);
        b.window().openFromOutside(second);
        a.waitForJobs();
        b.waitForJobs();
        QCOMPARE(qlonglong(a.model().lengthMs()), 6000);
        QCOMPARE(qlonglong(b.model().lengthMs()), 8000);

        // each saves its own audio: the rate tells whose it is
        for (WindowHarness *h : {&a, &b}) {
            h->model().setAfterSave({false, false});
            QVERIFY(h->model().setMarks(Marks{1000, 5000}));
        }
        const QString fromA = m_scratch.filePath(QStringLiteral("from a.wav"));
        const QString fromB = m_scratch.filePath(QStringLiteral("from b.wav"));
        a.chooser.answers = QStringList{fromA};
        b.chooser.answers = QStringList{fromB};
        a.click(QStringLiteral("imgButton(1)"));
        b.click(QStringLiteral("imgButton(1)"));
        QCOMPARE(media::probe(fromA).sampleRate, 44100);
        QCOMPARE(media::probe(fromB).sampleRate, 22050);

        // quitting one leaves the other's working copy where it was
        a.window().close();  // the question is answered with OK
        QCOMPARE(a.ended, 1);
        QVERIFY(!QFileInfo::exists(a.paths.sessionFolder));
        QVERIFY(QFile::exists(b.paths.workWav()));
        const QString again = m_scratch.filePath(QStringLiteral("again.wav"));
        b.chooser.answers = QStringList{again};
        b.click(QStringLiteral("imgButton(1)"));
        QVERIFY2(b.messages.isEmpty(), qPrintable(b.messages.texts().join(" | ")));
        QCOMPARE(media::probe(again).sampleRate, 22050);
    }

    void terminationDuringACutLeavesNothingBehind()
    {
        const QString out = m_scratch.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        const QString destination = out + QStringLiteral("/ring.mp3");
        WindowHarness h;
        TerminationSignals termination;
        QVERIFY(termination.isActive());
        connect(&termination, &TerminationSignals::received, &h.window(), &MainWindow::endFromOutside);
        QVERIFY(media::makeWav(h.paths.workWav(), 20));
        h.model().setMedia(OpenMedia{{}, {}, 20000, nullptr});
        QVERIFY(h.model().setMarks(Marks{2000, 8000}));
        h.chooser.answers = QStringList{destination};

        bool partialSeen = false;
        connect(&h.controller().cutRunner(), &ProcessRunner::outputReceived, this, [&] {
            if (!partialSeen && leftIn(out).isEmpty()) {  // part written, nothing named yet
                partialSeen = true;
                ::raise(SIGTERM);
            }
        });
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(slowFfmpeg()));
        h.click(QStringLiteral("imgButton(1)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");

        QVERIFY(partialSeen);
        QCOMPARE(h.ended, 1);
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));  // no question
        QVERIFY(!h.controller().cutRunner().isRunning());
        QCOMPARE(leftIn(out), QStringList());
        QVERIFY(!QFileInfo::exists(h.paths.sessionFolder));
    }

    void terminationDuringADecodeLeavesNothingBehind()
    {
        const QString song = m_scratch.filePath(QStringLiteral("song.mp3"));
        write(song, "decoded by the stand-in that never ends");
        WindowHarness h;
        TerminationSignals termination;
        connect(&termination, &TerminationSignals::received, &h.window(), &MainWindow::endFromOutside);
        h.chooser.answers = QStringList{song};
        bool raised = false;
        connect(&h.controller().decodeRunner(), &ProcessRunner::outputReceived, this, [&] {
            if (!raised && QFile::exists(h.paths.workWav())) {
                raised = true;
                ::raise(SIGHUP);
            }
        });
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(slowFfmpeg()));
        h.click(QStringLiteral("imgButton(0)"));
        qunsetenv("BRINDLEWAVE_FFMPEG");

        QVERIFY(raised);
        QCOMPARE(h.ended, 1);
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        QVERIFY(!h.controller().decodeRunner().isRunning());
        QVERIFY(!QFileInfo::exists(h.paths.sessionFolder));
        QCOMPARE(h.model().isFileOpen(), false);
    }
};

QTEST_MAIN(UiSessionsTest)
#include "test_ui_sessions.moc"
