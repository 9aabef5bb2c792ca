// Where the save dialog starts: the first writable folder of the open file's
// folder, the last save's folder and the Music folder, else home.
#include "pipeline/SaveTarget.h"

#include <QtTest>

#include <unistd.h>

class TestSaveTarget : public QObject {
    Q_OBJECT
private slots:
    void dialogFolderTakesTheFirstWritableChoice_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("writable");
        QTest::addColumn<QString>("expected");
        const QString song = QStringLiteral("/media/songs/晴天 it's.mp3");
        QTest::newRow("the song's folder") << song << "/last" << QStringList{"/media/songs", "/last", "/music"}
                                           << "/media/songs";
        QTest::newRow("read-only song folder") << song << "/last" << QStringList{"/last", "/music"} << "/last";
        QTest::newRow("no save yet") << song << "" << QStringList{"/music"} << "/music";
        QTest::newRow("nothing open") << "" << "/last" << QStringList{"/last"} << "/last";
        QTest::newRow("no Music folder") << song << "" << QStringList{} << "/home/u";
        QTest::newRow("installed program, nothing else") << "" << "" << QStringList{"/usr/lib/brindlewave"}
                                                        << "/home/u";
    }
    void dialogFolderTakesTheFirstWritableChoice()
    {
        QFETCH(QString, source);
        QFETCH(QString, last);
        QFETCH(QStringList, writable);
        QFETCH(QString, expected);
        const QString folder = save_target::dialogFolder(
            source, last, QStringLiteral("/music"), QStringLiteral("/home/u"),
            [&writable](const QString &f) { return writable.contains(f); });
        QCOMPARE(folder, expected);
    }

    void writableFolderIsAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(save_target::isWritableFolder(dir.path()));
        QVERIFY(!save_target::isWritableFolder(dir.filePath(QStringLiteral("gone"))));
        QFile file(dir.filePath(QStringLiteral("a file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(!save_target::isWritableFolder(file.fileName()));
    }

    // One file on disk, whatever the spelling; two file systems may each have
    // a file with the same inode number (the roots of /proc and /sys are both 1).
    void sameFileIsOneFileOnDisk_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("the same path") << "song.mp3" << "song.mp3" << true;
        QTest::newRow("another spelling") << "song.mp3" << "folder/../song.mp3" << true;
        QTest::newRow("a symbolic link") << "song.mp3" << "link.mp3" << true;
        QTest::newRow("a hard link") << "song.mp3" << "hard.mp3" << true;
        QTest::newRow("another file") << "song.mp3" << "other.mp3" << false;
        QTest::newRow("a missing file") << "song.mp3" << "gone.mp3" << false;
        QTest::newRow("same inode, other device") << "/proc" << "/sys" << false;
    }
    void sameFileIsOneFileOnDisk()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
        for (const char *name : {"song.mp3", "other.mp3"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        }
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("song.mp3")), dir.filePath(QStringLiteral("link.mp3"))));
        QCOMPARE(::link(QFile::encodeName(dir.filePath(QStringLiteral("song.mp3"))).constData(),
                        QFile::encodeName(dir.filePath(QStringLiteral("hard.mp3"))).constData()),
                 0);
        const auto at = [&dir](const QString &p) { return QDir::isAbsolutePath(p) ? p : dir.filePath(p); };
        QCOMPARE(save_target::isSameFile(at(a), at(b)), same);
    }

    void typedNamesLoseTheBlanksAroundThem_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("blanks around the name") << "/music/  ring tone.mp3  " << "/music/ring tone.mp3";
        QTest::newRow("blanks before the extension") << "/music/ring \t.m4r" << "/music/ring.m4r";
        QTest::newRow("a blank folder name is kept") << "/music/ a /ring.mp3" << "/music/ a /ring.mp3";
        QTest::newRow("two dots") << "/music/ring. 2 .mp3" << "/music/ring. 2.mp3";
        QTest::newRow("a hidden name") << "/music/ .ring.ogg" << "/music/.ring.ogg";
        QTest::newRow("blanks only") << "/music/   " << "";
    }
    void typedNamesLoseTheBlanksAroundThem()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(save_target::tidiedDestination(typed), kept);
    }
};

QTEST_GUILESS_MAIN(TestSaveTarget)
#include "test_save_target.moc"
