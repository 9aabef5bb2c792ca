// Where the save dialog starts: the first writable folder of the open file's
// folder, the last save's folder and the Music folder, else home.
#include "pipeline/SaveTarget.h"

#include <QtTest>

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
};

QTEST_GUILESS_MAIN(TestSaveTarget)
#include "test_save_target.moc"
