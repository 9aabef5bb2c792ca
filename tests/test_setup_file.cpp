#include "app/Paths.h"
#include "settings/SetupFile.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
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
