#include "settings/ProgramConfig.h"
#include "support/Files.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// brindlewave.conf: what the program remembers between runs.
class ProgramConfigTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    QString m_path;

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        m_path = m_folder.filePath(QStringLiteral("conf dir/brindlewave.conf"));
        QFile::remove(m_path);
    }

    void aMissingFileGivesTheDefaults()
    {
        const ProgramConfig config = readProgramConfig(m_path);
        QVERIFY(config.shaping.isPlain());
        QVERIFY(config.lastFormat.isEmpty());
        QVERIFY(config.lastFolder.isEmpty());
    }

    // What is written is read back, under the keys and group people edit by hand,
    // and a folder that does not exist yet is made.
    void writtenValuesAreReadBackAsStored()
    {
        ProgramConfig config;
        config.shaping = {500, 2000, true};
        config.lastFormat = QStringLiteral("M4R");
        config.lastFolder = m_folder.filePath(QStringLiteral("晴天 songs"));
        config.open = {QStringLiteral("/music/晴天, live"), 3,
                       {QStringLiteral("/music/a, b.mp3"), QStringLiteral("/music/\"q\"; 铃.m4a"), QStringLiteral("/v/clip.webm")}};
        QVERIFY(writeProgramConfig(m_path, config));

        const ProgramConfig back = readProgramConfig(m_path);
        QCOMPARE(back.shaping, config.shaping);
        QCOMPARE(back.lastFormat, config.lastFormat);
        QCOMPARE(back.lastFolder, config.lastFolder);
        QCOMPARE(back.open, config.open);

        const QString text = QString::fromUtf8(contentOf(m_path));
        QVERIFY2(text.contains(QStringLiteral("[cut]")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("fadeInMs=500")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("fadeOutMs=2000")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("normalize=true")), qPrintable(text));

        // turning the options off again is stored too
        config.shaping = {};
        QVERIFY(writeProgramConfig(m_path, config));
        QVERIFY(readProgramConfig(m_path).shaping.isPlain());
        QVERIFY(QString::fromUtf8(contentOf(m_path)).contains(QStringLiteral("normalize=false")));
    }

    // Keys the program does not know, put there by a person or a later
    // version, outlive a write.
    void otherKeysSurviveAWrite()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        QVERIFY(putFile(m_path, "[cut]\nfadeInMs=1000\n[window]\nposition=left\n"));
        ProgramConfig config = readProgramConfig(m_path);
        QCOMPARE(config.shaping.fadeInMs, 1000);
        config.shaping.normalize = true;
        QVERIFY(writeProgramConfig(m_path, config));
        const QSettings settings(m_path, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("window/position")).toString(), QStringLiteral("left"));
        QCOMPARE(readProgramConfig(m_path).shaping, (CutShaping{1000, 0, true}));
    }

    // A damaged file or a value that is not what its key holds leaves that
    // value at its default, the others as stored; the next write repairs it.
    // A file too large to be read starts afresh with the program's keys alone.
    void damagedFilesAreSurvived_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<qint64>("fadeIn");
        QTest::addColumn<bool>("normalize");
        QTest::addColumn<QString>("format");

        const QByteArray good = "\n[save]\nlastFormat=ogg\n";
        QTest::newRow("binary noise") << QByteArray("\x00\xff\x13[cut\x00=\x01\xfe", 12) << qint64(0) << false << "";
        // valid keys first, then a megabyte: not read at all
        const QByteArray huge = "[cut]\nfadeInMs=750\nnormalize=true" + good + "[window]\nnote=";
        QTest::newRow("1 MiB") << huge + QByteArray(1024 * 1024 - huge.size(), 'x') << qint64(0) << false << "";
        QTest::newRow("words for a fade") << "[cut]\nfadeInMs=half a second\nnormalize=true" + good
                                         << qint64(0) << true << "OGG";
        QTest::newRow("negative fade") << "[cut]\nfadeInMs=-500" + good << qint64(0) << false << "OGG";
        QTest::newRow("endless fade") << "[cut]\nfadeInMs=99999999999999999999" + good << qint64(0) << false << "OGG";
        QTest::newRow("fade with a fraction") << "[cut]\nfadeInMs=0.5" + good << qint64(0) << false << "OGG";
        QTest::newRow("longest fade kept") << "[cut]\nfadeInMs=10000" + good << qint64(10000) << false << "OGG";
        QTest::newRow("yes is not true") << "[cut]\nfadeInMs=250\nnormalize=yes" + good << qint64(250) << false << "OGG";
        QTest::newRow("unknown format") << QByteArray("[save]\nlastFormat=FLAC\n") << qint64(0) << false << "";
        QTest::newRow("cut off mid-line") << QByteArray("[cut]\nfadeInMs=750\nnorm") << qint64(750) << false << "";
        QTest::newRow("no group") << QByteArray("fadeInMs=750\n") << qint64(0) << false << "";
    }
    void damagedFilesAreSurvived()
    {
        QFETCH(QByteArray, content);
        QFETCH(qint64, fadeIn);
        QFETCH(bool, normalize);
        QFETCH(QString, format);

        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        QVERIFY(putFile(m_path, content));
        const ProgramConfig config = readProgramConfig(m_path);
        QCOMPARE(config.shaping.fadeInMs, fadeIn);
        QCOMPARE(config.shaping.fadeOutMs, 0);
        QCOMPARE(config.shaping.normalize, normalize);
        QCOMPARE(config.lastFormat, format);

        ProgramConfig repaired;
        repaired.shaping = {300, 400, true};
        repaired.lastFormat = QStringLiteral("MP3");
        QVERIFY(writeProgramConfig(m_path, repaired));
        const ProgramConfig back = readProgramConfig(m_path);
        QCOMPARE(back.shaping, repaired.shaping);
        QCOMPARE(back.lastFormat, repaired.lastFormat);
        if (content.size() > 64 * 1024) {
            QVERIFY(QFileInfo(m_path).size() < 1024);
            const QSettings settings(m_path, QSettings::IniFormat);
            QCOMPARE(settings.allKeys(), (QStringList{"cut/fadeInMs", "cut/fadeOutMs", "cut/normalize", "open/filter",
                                                      "open/folder", "open/recent", "save/lastFolder", "save/lastFormat"}));
        }
    }

    // The open history is recalled leniently too: relative paths, repeats and
    // entries past the tenth are left out, a filter that is no number is 0.
    void theOpenHistoryIsReadLeniently()
    {
        QFile file(m_path);
        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QStringList recent{QStringLiteral("relative.mp3"), QStringLiteral("/a.mp3"), QStringLiteral("/a.mp3")};
        for (int i = 0; i < 12; ++i)
            recent << QStringLiteral("/%1.mp3").arg(i);
        file.write("[open]\nfolder=music\nfilter=two\nrecent=" + recent.join(u',').toUtf8() + "\n");
        file.close();
        EditorModel model;
        recallConfig(readProgramConfig(m_path), model);
        const OpenHistory history = model.openHistory();
        QCOMPARE(history.folder, QString());
        QCOMPARE(history.filter, 0);
        QCOMPARE(history.recent, (QStringList{"/a.mp3", "/0.mp3", "/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3", "/5.mp3",
                                              "/6.mp3", "/7.mp3", "/8.mp3"}));
    }

    void aRelativeFolderIsNotRemembered()
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        QVERIFY(putFile(m_path, "[save]\nlastFolder=Music/rings\n"));
        QVERIFY(readProgramConfig(m_path).lastFolder.isEmpty());
    }

    // A file that cannot be written says so, and what was there stays.
    void aFailedWriteIsReportedAndChangesNothing()
    {
        const QString blocker = m_folder.filePath(QStringLiteral("a file, not a folder"));
        QVERIFY(putFile(blocker, "x"));
        QVERIFY(!writeProgramConfig(blocker + QStringLiteral("/brindlewave.conf"), ProgramConfig{}));
        QCOMPARE(contentOf(blocker), QByteArray("x"));

        // the path itself is a folder
        QVERIFY(QDir().mkpath(m_path));
        QVERIFY(!writeProgramConfig(m_path, ProgramConfig{}));
        QVERIFY(QFileInfo(m_path).isDir());
        QVERIFY(readProgramConfig(m_path).shaping.isPlain());
        QVERIFY(QDir(m_path).removeRecursively());
    }
};

QTEST_GUILESS_MAIN(ProgramConfigTest)
#include "test_program_config.moc"
