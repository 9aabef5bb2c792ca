#include "pipeline/WaitingWorkers.h"

#include <QThreadPool>

QThreadPool &waitingWorkers()
{
    static QThreadPool *const pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(64);
        return p;
    }();
    return *pool;
}
