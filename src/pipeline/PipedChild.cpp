#include "pipeline/PipedChild.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char **environ;

namespace piped_child {

namespace {

ExitStatus fromWaitStatus(int status)
{
    ExitStatus result;
    result.known = true;
    if (WIFEXITED(status)) {
        result.exitedNormally = true;
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitCode = 128 + WTERMSIG(status);
    }
    return result;
}

int openExitFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#endif
    (void)pid;
    return -1;
}

// The spawn attributes and file actions, released on every path out of start().
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    SpawnSetup(int writeFd)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, writeFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, writeFd, STDERR_FILENO);

        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
            sigaddset(&defaults, s);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;
};

}  // namespace

Started start(const Command &command)
{
    Started started;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        started.failure = StartFailure::Pipe;
        started.error = errno;
        return started;
    }

    // Paths come in the file-name encoding; the rest is text in the same encoding.
    std::vector<QByteArray> encoded;
    encoded.reserve(command.arguments.size() + 1);
    encoded.push_back(QFile::encodeName(command.program));
    for (const QString &argument : command.arguments)
        encoded.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &bytes : encoded)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    int rc;
    {
        SpawnSetup setup(fds[1]);
        rc = ::posix_spawnp(&pid, argv[0], &setup.actions, &setup.attributes, argv.data(),
                            environ);
    }
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        started.failure = StartFailure::Spawn;
        started.error = rc;
        return started;
    }

    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    started.pid = pid;
    started.readFd = fds[0];
    started.exitFd = openExitFd(pid);
    return started;
}

bool reapIfExited(pid_t pid, ExitStatus &status)
{
    int raw = 0;
    for (;;) {
        const pid_t r = ::waitpid(pid, &raw, WNOHANG);
        if (r == pid) {
            status = fromWaitStatus(raw);
            return true;
        }
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        // Someone else collected it (SIGCHLD ignored process-wide): gone, status unknown.
        status = ExitStatus{};
        return true;
    }
}

ExitStatus reap(pid_t pid)
{
    int raw = 0;
    for (;;) {
        if (::waitpid(pid, &raw, 0) == pid)
            return fromWaitStatus(raw);
        if (errno != EINTR)
            return ExitStatus{};
    }
}

long readSome(int fd, char *buffer, long maxBytes)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, static_cast<size_t>(maxBytes));
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return -1;
        return 0;  // a broken pipe reads like its end
    }
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace piped_child
