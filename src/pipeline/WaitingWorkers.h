#pragma once

class QThreadPool;

// The threads for tasks that spend their time waiting on a file or a pipe
// (following a file as it is written, feeding a reader): as many as are
// needed, so that they never hold up the global pool's few threads, which the
// computing tasks share.
QThreadPool &waitingWorkers();
