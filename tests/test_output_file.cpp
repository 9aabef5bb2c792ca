// Files the program makes and names: the new output file of a save, the names
// that travel as bytes, and the ledger that lets a later start remove what a
// killed save left under a temporary name.
#include "files/FileNames.h"
#include "files/OutputFile.h"
#include "files/TreeRemoval.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeThrough(const OutputFile &file, const QByteArray &bytes)
{
    return ::pwrite(file.fd(), bytes.constData(), size_t(bytes.size()), 0) == bytes.size();
}

}  // namespace

class TestOutputFile : public QObject {
    Q_OBJECT
private slots:
    // What a save publishes, against what is at the destination meanwhile.
    void publishingTakesOnlyWhatWasThere_data()
    {
        QTest::addColumn<bool>("unnamed");
        QTest::addColumn<bool>("existedBefore");
        QTest::addColumn<QString>("meanwhile");  // "", "saved", "removed"
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("finally");
        using O = OutputFile::Outcome;
        for (bool unnamed : {true, false}) {
            const QByteArray tag = unnamed ? "unnamed: " : "named: ";
            QTest::newRow(tag + "new name") << unnamed << false << "" << int(O::Published) << QByteArray("ours");
            QTest::newRow(tag + "over the old file") << unnamed << true << "" << int(O::Published) << QByteArray("ours");
            QTest::newRow(tag + "another save came first") << unnamed << false << "saved" << int(O::LostRace)
                                                           << QByteArray("theirs");
            QTest::newRow(tag + "old file replaced by another save") << unnamed << true << "saved" << int(O::LostRace)
                                                                     << QByteArray("theirs");
            QTest::newRow(tag + "old file removed") << unnamed << true << "removed" << int(O::LostRace) << QByteArray();
        }
    }
    void publishingTakesOnlyWhatWasThere()
    {
        QFETCH(bool, unnamed);
        QFETCH(bool, existedBefore);
        QFETCH(QString, meanwhile);
        QFETCH(int, outcome);
        QFETCH(QByteArray, finally);
        QTemporaryDir folder;
        const QString destination = folder.filePath(QStringLiteral("ring.mp3"));
        if (existedBefore)
            QVERIFY(putFile(destination, "old"));

        OutputFile ours;
        QVERIFY(ours.create(destination, {}, unnamed));
        QCOMPARE(ours.temporaryName().isEmpty(), unnamed);
        QVERIFY(writeThrough(ours, "ours"));
        if (meanwhile == u"saved") {
            OutputFile theirs;
            QVERIFY(theirs.create(destination));
            QVERIFY(writeThrough(theirs, "theirs"));
            QCOMPARE(theirs.publish(), OutputFile::Outcome::Published);
        } else if (meanwhile == u"removed") {
            QVERIFY(QFile::remove(destination));
        }
        QCOMPARE(int(ours.publish()), outcome);
        QCOMPARE(contentOf(destination), finally);
        QCOMPARE(QFile::exists(destination), !finally.isEmpty());
        QCOMPARE(hiddenIn(folder.path()), QStringList());
    }

    // A named temporary file is short, new, and recorded before it exists; what
    // a killed save left is removed from its ledger, and nothing else is.
    void aKilledSavesNamedFileIsRemovedFromItsLedger()
    {
        QTemporaryDir folder;
        QTemporaryDir session;
        const QString ledger = session.filePath(QStringLiteral("partials"));
        const QString longName = QString(251, u'a') + QStringLiteral(".mp3");
        const pid_t child = ::fork();
        if (child == 0) {
            // a save that is killed while writing: nothing of it runs again
            auto *file = new OutputFile;
            const bool made = file->create(folder.filePath(longName), ledger, false)
                              && file->temporaryName().size() <= 16 && writeThrough(*file, "half");
            ::_exit(made ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        const QStringList left = hiddenIn(folder.path());
        QCOMPARE(left.size(), 1);

        // another file at a recorded name is not the one the save made
        QVERIFY(putFile(folder.filePath(QStringLiteral(".notours")), "keep"));
        QFile record(ledger);
        QVERIFY(record.open(QIODevice::Append));
        record.write(file_names::encode(folder.filePath(QStringLiteral(".notours"))).toHex() + " 1 1\n");
        record.close();

        const int sessionFd = tree_removal::openFolder(session.path());
        QCOMPARE(OutputFile::removeRecorded(sessionFd, "partials"), 1);
        ::close(sessionFd);
        QCOMPARE(hiddenIn(folder.path()), QStringList{QStringLiteral(".notours")});
    }

    // Names are bytes: whatever a name holds comes back unchanged.
    void namesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("ring one.mp3") << QStringLiteral("ring one.mp3");
        QTest::newRow("Chinese") << QByteArray("铃声.mp3") << QStringLiteral("铃声.mp3");
        QTest::newRow("Latin-1") << QByteArray("chanson \xe9t\xe9.mp3") << QStringLiteral("chanson \uFFFDt\uFFFD.mp3");
        QTest::newRow("cut short") << QByteArray("a\xe9\x93") << QStringLiteral("a\uFFFD\uFFFD");
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf" "b") << QStringLiteral("a\uFFFD\uFFFDb");
        QTest::newRow("emoji") << QByteArray("\xf0\x9f\x8e\xb5.mp3") << QStringLiteral("\U0001F3B5.mp3");
    }
    void namesKeepTheirBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString name = file_names::decode(bytes);
        QCOMPARE(file_names::encode(name), bytes);
        QCOMPARE(file_names::displayed(name), shown);
        // as a dropped file's URL carries it
        const QByteArray url = "file:///music/" + bytes.toPercentEncoding("/");
        QCOMPARE(file_names::encode(file_names::fromFileUrl(QUrl::fromEncoded(url))), "/music/" + bytes);
    }
};

QTEST_GUILESS_MAIN(TestOutputFile)
#include "test_output_file.moc"
