#pragma once

#include "pipeline/Command.h"

#include <sys/types.h>

// Starting a console child whose standard output and standard error both go
// into one pipe, and the low-level care of that child afterwards. No shell is
// involved: the program and its arguments reach the child as they are.
namespace piped_child {

enum class StartFailure { None, Pipe, Spawn };

struct Started {
    StartFailure failure = StartFailure::None;
    int error = 0;     // errno of the failed step
    pid_t pid = -1;
    int readFd = -1;   // non-blocking, close-on-exec; the only write end is the child's
    int exitFd = -1;   // pidfd, readable once the child has exited; -1 where unsupported
};

// Standard input is /dev/null. Signal mask and the usual termination signals are
// reset in the child, so it can be stopped even if this process ignores them.
// The child is killed when this process ends in any way (PR_SET_PDEATHSIG,
// checked against a parent that died before it was set), and inherits no
// descriptor but the pipe and the command's passedFds.
Started start(const Command &command);

struct ExitStatus {
    bool known = false;          // false when the status could not be collected
    bool exitedNormally = false;
    int exitCode = -1;           // exit status, or 128 + signal number
};

// Collects the child if it has exited (without waiting), else nothing.
bool reapIfExited(pid_t pid, ExitStatus &status);
// Waits for the child to exit and collects it.
ExitStatus reap(pid_t pid);

// Reads at most maxBytes without blocking. Returns the byte count, 0 at the end
// of the stream, -1 when nothing is waiting just now.
long readSome(int fd, char *buffer, long maxBytes);

void closeFd(int &fd);

}  // namespace piped_child
