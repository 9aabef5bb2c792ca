#include "pipeline/ProcessRunner.h"

#include "pipeline/PipedChild.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <memory>
#include <poll.h>
#include <sys/ioctl.h>

namespace {

constexpr long PieceBytes = 1024;
constexpr int StopGraceMilliseconds = 2000;
constexpr int StopPollMilliseconds = 10;
// Only where the kernel offers no pidfd: how often to look whether the child ended.
constexpr int ExitPollMilliseconds = 20;
// What one pass of a stop may read from a child that keeps writing.
constexpr long StopDrainBudget = 64 * 1024;

// Bytes at the end that begin a UTF-8 character whose remaining bytes have not
// been read yet; they are held back so that the character arrives whole.
qsizetype incompleteUtf8Tail(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes[n - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        if (c < 0x80)
            return 0;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        return back < length ? back : 0;
    }
    return 0;
}

long bytesWaiting(int fd)
{
    int count = 0;
    return ::ioctl(fd, FIONREAD, &count) == 0 ? count : PieceBytes;
}

}  // namespace

struct ProcessRunner::Job {
    pid_t pid = -1;
    int readFd = -1;
    int exitFd = -1;
    QByteArray carry;
    BoundedText collected;
    piped_child::ExitStatus status;
    bool childGone = false;
    bool pipeClosed = false;
    bool finished = false;
    std::unique_ptr<QSocketNotifier> outputNotifier;
    std::unique_ptr<QSocketNotifier> exitNotifier;
    std::unique_ptr<QTimer> exitPoll;
    QEventLoop loop;

    // Paused while the owner handles a piece, so that a handler which turns the
    // event loop never gets a later piece of the same job nested inside it.
    void listen(bool on)
    {
        if (outputNotifier)
            outputNotifier->setEnabled(on && !pipeClosed && !finished);
        const bool watchExit = on && !childGone && !finished;
        if (exitNotifier)
            exitNotifier->setEnabled(watchExit);
        if (exitPoll) {
            if (watchExit)
                exitPoll->start();
            else
                exitPoll->stop();
        }
    }
};

ProcessRunner::ProcessRunner(MessageSeam &messages, QObject *parent)
    : QObject(parent), m_messages(messages)
{
}

ProcessRunner::~ProcessRunner()
{
    // The jobs' run calls are still on the stack; they return as
    // soon as control gets back to them and touch nothing of this runner.
    terminate(m_activeJobs, false);
}

void ProcessRunner::setCommandLine(const Command &commandLine) { m_commandLine = commandLine; }

Command ProcessRunner::commandLine() const { return m_commandLine; }

QString ProcessRunner::output() const { return m_outputs.text(); }

void ProcessRunner::showFailure(const QString &text)
{
    m_messages.show(text, QStringLiteral("Brindlewave"), MessageButtons::Ok,
                    MessageIcon::Critical);
}

QString ProcessRunner::run(const Command &commandLine)
{
    if (!commandLine.isEmpty())
        m_commandLine = commandLine;
    m_lastStarted = false;
    if (m_commandLine.isEmpty()) {
        showFailure(QStringLiteral("Command Line empty"));
        return {};
    }

    const piped_child::Started started = piped_child::start(m_commandLine);
    if (started.failure == piped_child::StartFailure::Pipe) {
        showFailure(QStringLiteral("CreatePipe failed. Error: ") + QString::number(started.error));
        return {};
    }
    if (started.failure == piped_child::StartFailure::Spawn) {
        showFailure(QStringLiteral("File or command not found"));
        return {};
    }

    m_lastStarted = true;
    m_outputs.clear();
    Job job;
    job.pid = started.pid;
    job.readFd = started.readFd;
    job.exitFd = started.exitFd;
    m_latestJob = &job;
    m_activeJobs.append(&job);

    job.outputNotifier = std::make_unique<QSocketNotifier>(job.readFd, QSocketNotifier::Read);
    connect(job.outputNotifier.get(), &QSocketNotifier::activated, this,
            [this, &job] { onOutputReady(job); });
    if (job.exitFd >= 0) {
        job.exitNotifier = std::make_unique<QSocketNotifier>(job.exitFd, QSocketNotifier::Read);
        connect(job.exitNotifier.get(), &QSocketNotifier::activated, this,
                [this, &job] { onChildMaybeExited(job); });
    } else {
        job.exitPoll = std::make_unique<QTimer>();
        job.exitPoll->setInterval(ExitPollMilliseconds);
        connect(job.exitPoll.get(), &QTimer::timeout, this,
                [this, &job] { onChildMaybeExited(job); });
        job.exitPoll->start();
    }

    const QPointer<ProcessRunner> self(this);
    job.loop.exec();

    // The loop can also be ended from outside, when the application quits:
    // then the child must not be left running on its own.
    if (self && !job.finished)
        terminate({&job}, true);
    if (!self)
        return job.collected.text();
    if (m_latestJob == &job)
        m_latestJob = nullptr;
    return job.collected.text();
}

void ProcessRunner::deliver(Job &job, const QString &piece, Delivery delivery)
{
    if (piece.isEmpty())
        return;
    job.collected.append(piece);
    if (m_latestJob == &job)
        m_outputs.append(piece);
    if (delivery == Delivery::Quiet)
        return;
    job.listen(false);
    emit outputReceived(piece);
    // The handler may have stopped the job or destroyed this runner; either
    // way the job is finished then and nothing of it may be touched again.
    if (!job.finished)
        job.listen(true);
}

ProcessRunner::ReadResult ProcessRunner::readPiece(Job &job, Delivery delivery)
{
    // The held-back start of a character counts towards the 1,024 bytes, so
    // that no piece ever stands for more than one buffer's worth of output.
    char buffer[PieceBytes];
    const long n = piped_child::readSome(job.readFd, buffer, PieceBytes - job.carry.size());
    if (n < 0)
        return ReadResult::Nothing;
    if (n == 0) {
        const QString rest = QString::fromUtf8(job.carry);
        job.carry.clear();
        deliver(job, rest, delivery);
        return ReadResult::Closed;
    }
    QByteArray bytes = job.carry;
    bytes.append(buffer, n);
    const qsizetype held = incompleteUtf8Tail(bytes);
    job.carry = bytes.right(held);
    bytes.chop(held);
    deliver(job, QString::fromUtf8(bytes), delivery);
    return ReadResult::Piece;
}

void ProcessRunner::onOutputReady(Job &job)
{
    if (job.finished)
        return;
    const ReadResult result = readPiece(job, Delivery::Raise);
    if (job.finished || result != ReadResult::Closed)
        return;
    job.pipeClosed = true;
    job.listen(true);
    if (job.childGone)
        finish(job, Delivery::Raise, true);
}

void ProcessRunner::onChildMaybeExited(Job &job)
{
    if (job.finished || job.childGone)
        return;
    if (!piped_child::reapIfExited(job.pid, job.status))
        return;
    job.childGone = true;
    job.listen(true);
    drainAvailable(job, Delivery::Raise);
    if (!job.finished)
        finish(job, Delivery::Raise, true);
}

void ProcessRunner::drainAvailable(Job &job, Delivery delivery)
{
    // Once the child has gone, everything it wrote is in the pipe already. A
    // grandchild that inherited the pipe may write on, so the drain reads what
    // is waiting now and does not wait for the end of the stream.
    long budget = job.childGone ? bytesWaiting(job.readFd) : StopDrainBudget;
    while (!job.finished && !job.pipeClosed && budget > 0) {
        const qsizetype before = job.carry.size();
        const ReadResult result = readPiece(job, delivery);
        if (result == ReadResult::Nothing)
            break;
        if (result == ReadResult::Closed)
            job.pipeClosed = true;
        budget -= PieceBytes - before;
    }
}

void ProcessRunner::finish(Job &job, Delivery delivery, bool raiseOver)
{
    if (job.finished)
        return;
    if (!job.carry.isEmpty()) {
        const QString rest = QString::fromUtf8(job.carry);
        job.carry.clear();
        deliver(job, rest, delivery);
        if (job.finished)
            return;
    }
    job.finished = true;
    job.listen(false);
    piped_child::closeFd(job.readFd);
    piped_child::closeFd(job.exitFd);
    m_activeJobs.removeOne(&job);
    m_exitCode = job.status.exitCode;
    m_exitedNormally = job.status.exitedNormally;
    job.loop.quit();
    if (raiseOver)
        emit finished();
}

void ProcessRunner::stop()
{
    terminate(m_activeJobs, true);
}

void ProcessRunner::terminate(QList<Job *> jobs, bool raiseOver)
{
    QList<Job *> living;
    for (Job *job : jobs) {
        if (!job->finished && !job->childGone) {
            ::kill(job->pid, SIGTERM);
            living.append(job);
        }
    }

    // The child may be blocked writing into a full pipe; keep reading so that
    // it can get on to handling the signal.
    QElapsedTimer grace;
    grace.start();
    while (!living.isEmpty() && grace.elapsed() < StopGraceMilliseconds) {
        QList<pollfd> watched;
        for (Job *job : living) {
            drainAvailable(*job, Delivery::Quiet);
            if (piped_child::reapIfExited(job->pid, job->status))
                job->childGone = true;
            else if (!job->pipeClosed)
                watched.append(pollfd{job->readFd, POLLIN, 0});
        }
        living.removeIf([](const Job *job) { return job->childGone; });
        if (!living.isEmpty())
            ::poll(watched.data(), static_cast<nfds_t>(watched.size()), StopPollMilliseconds);
    }
    for (Job *job : living) {
        ::kill(job->pid, SIGKILL);
        job->status = piped_child::reap(job->pid);
        job->childGone = true;
    }

    for (Job *job : jobs) {
        if (job->finished)
            continue;
        drainAvailable(*job, Delivery::Quiet);
        finish(*job, Delivery::Quiet, raiseOver);
    }
}
