#include "files/Paths.h"
#include "settings/SetupFile.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool canCreateFileIn(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/probe"));
    return probe.open(QIODevice::WriteOnly) && probe.remove();
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Sets or clears the immutable attribute, which stops even root from creating files in a folder.
bool setImmutable(const QString &folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

// The address space this process has mapped now.
rlim_t addressSpaceInUse()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return rlim_t(statm.readAll().split(' ').value(0).toULongLong()) * rlim_t(::sysconf(_SC_PAGESIZE));
}

// Reads the file in a child process whose address space may grow by only 64 MiB beyond what it
// starts with, so that a reader taking in the whole of a huge or endless file fails there instead
// of filling the machine's memory. When `pipeFeed` is not null the path is a named pipe: the test
// writes the bytes into it while the child reads, and keeps its end open, so no end of file comes.
// The time-out is only there to stop a reader that never returns; empty when no answer came.
std::optional<AfterSaveChoices> readInBoundedChild(const QString &path, const QByteArray &pipeFeed = {})
{
    const rlim_t limit = addressSpaceInUse() + 64 * 1024 * 1024;
    int answer[2];
    if (limit == 64 * 1024 * 1024 || ::pipe(answer) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(answer[0]);
        std::signal(SIGABRT, SIG_DFL);
        const rlimit noCore{0, 0};
        const rlimit addressSpace{limit, limit};
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (::setrlimit(RLIMIT_AS, &addressSpace) != 0)
            ::_exit(1);
        try {
            const AfterSaveChoices choices = readSetupFile(path);
            const std::int16_t values[2] = {choices.openFolder, choices.promptSound};
            ::_exit(::write(answer[1], values, sizeof values) == sizeof values ? 0 : 1);
        } catch (...) {
            ::_exit(1);
        }
    }
    ::close(answer[1]);
    std::optional<AfterSaveChoices> result;
    if (child > 0) {
        // Opened for reading and writing, which does not wait for the reader to come.
        const int feed = pipeFeed.isNull() ? -1 : ::open(QFile::encodeName(path).constData(), O_RDWR);
        const bool fed = pipeFeed.isNull() || (feed >= 0 && ::write(feed, pipeFeed.constData(), pipeFeed.size()) == pipeFeed.size());
        pollfd waiting{answer[0], POLLIN, 0};
        std::int16_t values[2];
        if (fed && ::poll(&waiting, 1, 60000) == 1 && ::read(answer[0], values, sizeof values) == sizeof values)
            result = AfterSaveChoices{values[0], values[1]};
        ::kill(child, SIGKILL);  // only one that has not answered is still running
        ::waitpid(child, nullptr, 0);
        if (feed >= 0)
            ::close(feed);
    }
    ::close(answer[0]);
    return result;
}

}  // namespace

class TestSetupFile : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("setup.ini"));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("content");  // a null array: no file at all
        QTest::addColumn<int>("openFolder");
        QTest::addColumn<int>("promptSound");

        QTest::newRow("no file") << QByteArray() << 0 << 0;
        QTest::newRow("empty file") << QByteArray("") << 0 << 0;
        QTest::newRow("one value: second takes the first") << QByteArray("1\r\n") << 1 << 1;
        QTest::newRow("one value without line end") << QByteArray("1") << 1 << 1;
        QTest::newRow("abc") << QByteArray("abc\r\n") << 0 << 0;
        QTest::newRow("2 and 0") << QByteArray("2\r\n0\r\n") << 2 << 0;
        QTest::newRow("1.5 and 0.5 round to even") << QByteArray("1.5\r\n0.5\r\n") << 2 << 0;
        QTest::newRow("1,0 on one line") << QByteArray("1,0\r\n") << 1 << 0;
        QTest::newRow("16-bit limits") << QByteArray("-32768\r\n32767\r\n") << -32768 << 32767;
        QTest::newRow("just outside 16 bits") << QByteArray("-32769\r\n32768\r\n") << 0 << 0;
        QTest::newRow("comma inside quotes") << QByteArray("\"1,5\",0\r\n") << 1 << 0;
        QTest::newRow("text after closing quote") << QByteArray("\"1\"x,1\r\n") << 1 << 1;
        QTest::newRow("line feeds only") << QByteArray("1\n0\n") << 1 << 0;
        QTest::newRow("carriage returns only") << QByteArray("0\r1\r") << 0 << 1;
        QTest::newRow("empty first field") << QByteArray(",1\r\n") << 0 << 1;
        QTest::newRow("third line ignored") << QByteArray("1\r\n0\r\n1\r\n") << 1 << 0;
        QTest::newRow("long runs of blanks before the values")
            << QByteArray(900, ' ') + "5\r\n" + QByteArray(900, ' ') + "6\r\n" << 5 << 6;
    }

    void reading()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, openFolder);
        QFETCH(int, promptSound);
        if (!content.isNull())
            QVERIFY(putFile(m_path, content));

        const AfterSaveChoices choices = readSetupFile(m_path);
        QCOMPARE(int(choices.openFolder), openFolder);
        QCOMPARE(int(choices.promptSound), promptSound);
    }

    // Only the head of the file is read: the values come out right and the reader's memory stays
    // small whatever follows, even from a source that never ends.
    void hugeOrEndlessSourcesAreReadBounded_data()
    {
        QTest::addColumn<QString>("source");      // "file", "zeros" (/dev/zero) or "pipe" (a named pipe)
        QTest::addColumn<QByteArray>("content");  // the file's start, or what is written into the pipe
        QTest::addColumn<qint64>("size");         // the file's size, its rest zeros (sparse)
        QTest::addColumn<int>("openFolder");
        QTest::addColumn<int>("promptSound");

        const qint64 mib = 1024 * 1024;
        QTest::newRow("two values, then 256 MiB") << "file" << QByteArray("2\r\n1\r\n") << 256 * mib << 2 << 1;
        QTest::newRow("one value on a first line of 100 MiB") << "file" << QByteArray("7") << 100 * mib << 7 << 7;
        QTest::newRow("an endless source") << "zeros" << QByteArray() << qint64(0) << 0 << 0;
        QTest::newRow("a pipe whose writer stays") << "pipe" << QByteArray("3\r\n4\r\n") << qint64(0) << 3 << 4;
    }

    void hugeOrEndlessSourcesAreReadBounded()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, content);
        QFETCH(qint64, size);
        QFETCH(int, openFolder);
        QFETCH(int, promptSound);
        QString path = m_path;
        if (source == QLatin1String("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.resize(size));
        } else if (source == QLatin1String("zeros")) {
            path = QStringLiteral("/dev/zero");
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }

        const std::optional<AfterSaveChoices> choices =
            readInBoundedChild(path, source == QLatin1String("pipe") ? content : QByteArray());
        QVERIFY2(choices, "the reader failed or did not return");
        QCOMPARE(int(choices->openFolder), openFolder);
        QCOMPARE(int(choices->promptSound), promptSound);
    }

    void writing_data()
    {
        QTest::addColumn<int>("openFolder");
        QTest::addColumn<int>("promptSound");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("0/0") << 0 << 0 << QByteArray::fromHex("300d0a300d0a");
        QTest::newRow("1/0") << 1 << 0 << QByteArray::fromHex("310d0a300d0a");
        QTest::newRow("16-bit limits") << -32768 << 32767 << QByteArray("-32768\r\n32767\r\n");
    }

    // Replaces longer old content byte-exactly and leaves no temporary file behind.
    void writing()
    {
        QFETCH(int, openFolder);
        QFETCH(int, promptSound);
        QFETCH(QByteArray, bytes);
        QVERIFY(putFile(m_path, "12345\r\n12345\r\nsomething else\r\n"));

        QVERIFY(writeSetupFile(m_path, {std::int16_t(openFolder), std::int16_t(promptSound)}));
        QCOMPARE(contentOf(m_path), bytes);
        QCOMPARE(entriesOf(m_dir->path()), QStringList{QStringLiteral("setup.ini")});
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<bool>("cutShort");
        QTest::newRow("unwritable folder") << false;
        QTest::newRow("write cut short") << true;
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(bool, cutShort);
        const QByteArray old("0\r\n1\r\n");
        QVERIFY(putFile(m_path, old));

        bool written = true;
        const QString folder = m_dir->path();
        if (!cutShort) {
            // Read-only permissions stop an ordinary user; root needs the immutable attribute too.
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            const bool immutable = canCreateFileIn(folder) && setImmutable(folder, true);
            const auto undo = qScopeGuard([&] {
                if (immutable)
                    setImmutable(folder, false);
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            });
            if (canCreateFileIn(folder))
                QSKIP("this process can write into any folder here; the size-limit row covers the failure");
            written = writeSetupFile(m_path, {1, 1});
        } else {
            // A 3-byte file size limit makes the write fail half way whatever the privileges.
            rlimit saved{};
            ::getrlimit(RLIMIT_FSIZE, &saved);
            const rlimit limited{3, saved.rlim_max};
            const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
            const bool limitedOk = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
            written = limitedOk && writeSetupFile(m_path, {-1, -1});
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, savedHandler);
            QVERIFY(limitedOk);
        }

        QVERIFY(!written);
        QCOMPARE(contentOf(m_path), old);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("setup.ini")});
    }

    void missingFolderIsCreatedOnlyForTheConfigFolder()
    {
        const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            savedConfigHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", savedConfigHome);
        });
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("config"))));
        const QString configFolder = Paths::forThisProgram().configFolder;
        const QString elsewhere = m_dir->filePath(QStringLiteral("elsewhere"));
        QVERIFY(configFolder.startsWith(m_dir->path()));

        QVERIFY(writeSetupFile(configFolder + QStringLiteral("/setup.ini"), {1, 0}));
        QCOMPARE(contentOf(configFolder + QStringLiteral("/setup.ini")), QByteArray("1\r\n0\r\n"));
        QVERIFY(!writeSetupFile(elsewhere + QStringLiteral("/setup.ini"), {1, 0}));
        QVERIFY(!QFileInfo::exists(elsewhere));
    }

private:
    std::optional<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestSetupFile)
#include "test_setup_file.moc"
