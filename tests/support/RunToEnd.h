#pragma once

#include "pipeline/ProcessRunner.h"

#include <QSignalSpy>
#include <QTest>

// Starts a job on `runner` (its stored command line when `command` is empty)
// and turns the event loop until the job's finished has been raised. Returns
// what the job wrote, or an empty string when it could not be started.
inline QString runToEnd(ProcessRunner &runner, const Command &command = {})
{
    QSignalSpy over(&runner, &ProcessRunner::finished);
    if (!runner.start(command))
        return {};
    // The bound only keeps a broken runner from hanging the suite.
    if (!QTest::qWaitFor([&] { return !over.isEmpty(); }, 300000))
        qWarning("runToEnd: the job did not finish");
    return runner.output();
}
