#include "pipeline/PipedChild.h"

#include "files/FileNames.h"

#include <cerrno>
#include <csignal>
#include <linux/close_range.h>
#include <sys/prctl.h>
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

// The path the child is run from: a name without a slash is looked up on
// PATH here, before fork, where looking up may allocate.
QByteArray resolveProgram(const QByteArray &program)
{
    if (program.contains('/'))
        return program;
    const QByteArray path = qgetenv("PATH").isEmpty() ? QByteArray("/usr/local/bin:/usr/bin:/bin") : qgetenv("PATH");
    for (const QByteArray &folder : path.split(':')) {
        const QByteArray candidate = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + program;
        if (::access(candidate.constData(), X_OK) == 0)
            return candidate;
    }
    return program;
}

// Between fork and exec only async-signal-safe calls are made. Whatever goes
// wrong is written as an errno to errorFd, which exec closes on success.
[[noreturn]] void becomeChild(const char *program, char *const argv[], int writeFd, int errorFd,
                              const QList<int> &passed, pid_t parent)
{
    // The child ends with this process, however it ends (a SIGKILL included);
    // a parent that died before this line is caught by the check after it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    int error = 0;
    if (::getppid() != parent) {
        error = ESRCH;
    } else {
        const int input = ::open("/dev/null", O_RDONLY);
        if (input < 0 || ::dup2(input, STDIN_FILENO) < 0 || ::dup2(writeFd, STDOUT_FILENO) < 0
            || ::dup2(writeFd, STDERR_FILENO) < 0)
            error = errno;
        if (input > STDERR_FILENO)
            ::close(input);
        // Every other descriptor closes on exec, whoever opened it.
        ::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
        for (int fd : passed) {
            const int flags = ::fcntl(fd, F_GETFD);
            if (flags < 0 || ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC) != 0)
                error = errno;
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
            ::signal(s, SIG_DFL);
        if (error == 0) {
            ::execve(program, argv, environ);
            error = errno;
        }
    }
    while (::write(errorFd, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

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
    encoded.push_back(file_names::encode(command.program));
    for (const QString &argument : command.arguments)
        encoded.push_back(file_names::encode(argument));
    std::vector<char *> argv;
    for (QByteArray &bytes : encoded)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        started.failure = StartFailure::Pipe;
        started.error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return started;
    }
    const QByteArray program = resolveProgram(encoded.front());
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeChild(program.constData(), argv.data(), fds[1], errorPipe[1], command.passedFds, parent);
    ::close(fds[1]);
    ::close(errorPipe[1]);
    int childError = pid < 0 ? errno : 0;
    if (pid > 0) {
        // Nothing to read means exec succeeded and closed the pipe.
        ssize_t n;
        do {
            n = ::read(errorPipe[0], &childError, sizeof childError);
        } while (n < 0 && errno == EINTR);
        if (n != sizeof childError)
            childError = 0;
        else
            reap(pid);
    }
    ::close(errorPipe[0]);
    if (childError != 0) {
        ::close(fds[0]);
        started.failure = StartFailure::Spawn;
        started.error = childError;
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
