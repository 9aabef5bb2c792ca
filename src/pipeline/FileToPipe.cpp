#include "pipeline/FileToPipe.h"

#include "pipeline/WaitingWorkers.h"

#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <csignal>
#include <ctime>

#include <pthread.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

void copy(int file, int pipeWrite)
{
    // A write to a pipe nobody reads raises SIGPIPE in the writing thread:
    // blocked here, and taken back before the thread returns to its pool.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);

    char buffer[64 * 1024];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(file, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !writeAll(pipeWrite, buffer, n))
            break;
        offset += n;
    }
    ::close(pipeWrite);
    ::close(file);

    const timespec none{};
    while (::sigtimedwait(&pipeSignal, nullptr, &none) == SIGPIPE) {
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

void copyFileToPipe(UniqueFd file, UniqueFd pipeWrite)
{
    const int from = file.release();
    const int to = pipeWrite.release();
    (void)QtConcurrent::run(&waitingWorkers(), [from, to] { copy(from, to); });
}
