#include "app/Paths.h"
#include "settings/SetupFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool canCreateFileIn(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

// A folder nobody may create files in. Permissions stop an ordinary user; a
// privileged one (tests often run as root in containers) is stopped by the
// immutable attribute where the file system has one.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const QString &folder) : m_folder(folder)
    {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (canCreateFileIn(folder))
            setImmutable(true);
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            setImmutable(false);
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ExeOwner);
    }
    bool holds() const { return !canCreateFileIn(m_folder); }

private:
    void setImmutable(bool on)
    {
        const int fd = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)
                m_immutable = on;
        }
        ::close(fd);
    }

    QString m_folder;
    bool m_immutable = false;
};

// Limits the size of any file this process writes, so that a write fails half
// way whatever the process's privileges.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
    bool m_active = false;
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

}  // namespace

class TestSetupFile : public QObject {
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void missingFileGivesZeroes();
    void writing_data();
    void writing();
    void writingReplacesLongerContent();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void missingFolderIsCreatedOnlyForTheConfigFolder();
};

void TestSetupFile::reading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("promptSound");

    QTest::newRow("both zero") << QByteArray("0\r\n0\r\n") << 0 << 0;
    QTest::newRow("only 1: second takes the first") << QByteArray("1\r\n") << 1 << 1;
    QTest::newRow("only 1 without line end") << QByteArray("1") << 1 << 1;
    QTest::newRow("empty file") << QByteArray() << 0 << 0;
    QTest::newRow("abc") << QByteArray("abc\r\n") << 0 << 0;
    QTest::newRow("lines 2 and 0") << QByteArray("2\r\n0\r\n") << 2 << 0;
    QTest::newRow("1.5 and 0.5 round to even") << QByteArray("1.5\r\n0.5\r\n") << 2 << 0;
    QTest::newRow("2.5 and 3.5 round to even") << QByteArray("2.5\r\n3.5\r\n") << 2 << 4;
    QTest::newRow("1,0 on one line") << QByteArray("1,0\r\n") << 1 << 0;
    QTest::newRow("99999 first is not taken") << QByteArray("99999\r\n1\r\n") << 0 << 1;
    QTest::newRow("99999 alone: neither taken") << QByteArray("99999\r\n") << 0 << 0;
    QTest::newRow("16-bit limits") << QByteArray("-32768\r\n32767\r\n") << -32768 << 32767;
    QTest::newRow("just outside 16 bits") << QByteArray("-32769\r\n32768\r\n") << 0 << 0;
    QTest::newRow("huge exponent") << QByteArray("1e300\r\n1\r\n") << 0 << 1;
    QTest::newRow("quoted fields") << QByteArray("\"1\",\"0\"\r\n") << 1 << 0;
    QTest::newRow("quoted lines") << QByteArray("\"1\"\r\n\"1\"\r\n") << 1 << 1;
    QTest::newRow("comma inside quotes") << QByteArray("\"1,5\",0\r\n") << 1 << 0;
    QTest::newRow("text after closing quote") << QByteArray("\"1\"x,1\r\n") << 1 << 1;
    QTest::newRow("negative values") << QByteArray("-1\r\n-1\r\n") << -1 << -1;
    QTest::newRow("leading blanks") << QByteArray("   1\r\n\t1\r\n") << 1 << 1;
    QTest::newRow("line feeds only") << QByteArray("1\n1\n") << 1 << 1;
    QTest::newRow("carriage returns only") << QByteArray("0\r1\r") << 0 << 1;
    QTest::newRow("number followed by text") << QByteArray("1abc\r\n1xyz\r\n") << 1 << 1;
    QTest::newRow("empty first field") << QByteArray(",1\r\n") << 0 << 1;
    QTest::newRow("third line ignored") << QByteArray("1\r\n0\r\n1\r\n") << 1 << 0;
}

void TestSetupFile::reading()
{
    QFETCH(QByteArray, content);
    QFETCH(int, openFolder);
    QFETCH(int, promptSound);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("setup.ini"));
    QVERIFY(putFile(path, content));

    const AfterSaveChoices choices = readSetupFile(path);
    QCOMPARE(int(choices.openFolder), openFolder);
    QCOMPARE(int(choices.promptSound), promptSound);
}

void TestSetupFile::missingFileGivesZeroes()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const AfterSaveChoices choices = readSetupFile(folder.filePath(QStringLiteral("setup.ini")));
    QCOMPARE(int(choices.openFolder), 0);
    QCOMPARE(int(choices.promptSound), 0);
}

void TestSetupFile::writing_data()
{
    QTest::addColumn<int>("openFolder");
    QTest::addColumn<int>("promptSound");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("0/0") << 0 << 0 << QByteArray::fromHex("300d0a300d0a");
    QTest::newRow("1/0") << 1 << 0 << QByteArray::fromHex("310d0a300d0a");
    QTest::newRow("1/1") << 1 << 1 << QByteArray::fromHex("310d0a310d0a");
    QTest::newRow("-1/0") << -1 << 0 << QByteArray("-1\r\n0\r\n");
    QTest::newRow("16-bit limits") << -32768 << 32767 << QByteArray("-32768\r\n32767\r\n");
}

// Every written file must read back as the values that were written.
void TestSetupFile::writing()
{
    QFETCH(int, openFolder);
    QFETCH(int, promptSound);
    QFETCH(QByteArray, bytes);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("setup.ini"));
    const AfterSaveChoices written{std::int16_t(openFolder), std::int16_t(promptSound)};

    QVERIFY(writeSetupFile(path, written));
    QCOMPARE(contentOf(path), bytes);
    QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("setup.ini")});

    const AfterSaveChoices read = readSetupFile(path);
    QCOMPARE(int(read.openFolder), openFolder);
    QCOMPARE(int(read.promptSound), promptSound);
}

void TestSetupFile::writingReplacesLongerContent()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("setup.ini"));
    QVERIFY(putFile(path, "12345\r\n12345\r\nsomething else\r\n"));

    QVERIFY(writeSetupFile(path, {1, 0}));
    QCOMPARE(contentOf(path), QByteArray("1\r\n0\r\n"));
}

void TestSetupFile::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("cause");
    QTest::newRow("unwritable folder") << QStringLiteral("folder");
    QTest::newRow("write cut short") << QStringLiteral("size limit");
}

void TestSetupFile::failedWriteKeepsOldFile()
{
    QFETCH(QString, cause);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("setup.ini"));
    const QByteArray old("0\r\n1\r\n");
    QVERIFY(putFile(path, old));

    bool written = true;
    if (cause == QLatin1String("folder")) {
        UnwritableFolder unwritable(folder.path());
        if (!unwritable.holds())
            QSKIP("this process can write into any folder here; the size-limit row covers the failure");
        written = writeSetupFile(path, {1, 1});
    } else {
        FileSizeLimit limit(3);
        QVERIFY(limit.active());
        written = writeSetupFile(path, {-1, -1});
    }

    QVERIFY(!written);
    QCOMPARE(contentOf(path), old);
    QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("setup.ini")});
}

void TestSetupFile::missingFolderIsCreatedOnlyForTheConfigFolder()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base.filePath(QStringLiteral("config"))));
    const QString configFolder = Paths::forThisProgram().configFolder;
    const QString elsewhere = base.filePath(QStringLiteral("elsewhere"));

    const bool configWritten = writeSetupFile(configFolder + QStringLiteral("/setup.ini"), {1, 0});
    const bool elsewhereWritten = writeSetupFile(elsewhere + QStringLiteral("/setup.ini"), {1, 0});
    if (savedConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfigHome);

    QVERIFY(configFolder.startsWith(base.path()));
    QVERIFY(configWritten);
    QCOMPARE(contentOf(configFolder + QStringLiteral("/setup.ini")), QByteArray("1\r\n0\r\n"));
    QVERIFY(!elsewhereWritten);
    QVERIFY(!QFileInfo::exists(elsewhere));
}

QTEST_GUILESS_MAIN(TestSetupFile)
#include "test_setup_file.moc"
