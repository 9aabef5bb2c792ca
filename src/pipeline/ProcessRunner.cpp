#include "pipeline/ProcessRunner.h"

#include "pipeline/PipedChild.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <sys/ioctl.h>
#include <type_traits>
#include <utility>

namespace {

constexpr long PieceBytes = 1024;
constexpr int StopGraceMilliseconds = 2000;
// Only where the kernel offers no pidfd: how often to look whether the child ended.
constexpr int ExitPollMilliseconds = 20;

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

// The watchers may be the very objects whose signal is being handled when a
// job ends, so they go once control is back in the event loop.
template <typename T>
void retire(T *&watcher)
{
    if (!watcher)
        return;
    watcher->disconnect();
    if constexpr (std::is_same_v<T, QTimer>)
        watcher->stop();
    else
        watcher->setEnabled(false);
    watcher->deleteLater();
    watcher = nullptr;
}

}  // namespace

struct ProcessRunner::Job {
    quint64 serial = 0;
    pid_t pid = -1;
    int readFd = -1;
    int exitFd = -1;
    QByteArray carry;
    piped_child::ExitStatus status;
    bool childGone = false;
    bool pipeClosed = false;
    bool stopping = false;
    QSocketNotifier *outputNotifier = nullptr;
    QSocketNotifier *exitNotifier = nullptr;
    QTimer *exitPoll = nullptr;
    QTimer *grace = nullptr;

    ~Job()
    {
        retire(outputNotifier);
        retire(exitNotifier);
        retire(exitPoll);
        retire(grace);
        piped_child::closeFd(readFd);
        piped_child::closeFd(exitFd);
    }

    // Paused while the owner handles a piece, so that a handler which turns the
    // event loop (a message box) never gets a later piece of the same job
    // nested inside it.
    void listen(bool on)
    {
        if (outputNotifier)
            outputNotifier->setEnabled(on && !pipeClosed);
        const bool watchExit = on && !childGone;
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

namespace {
quint64 nextSerial = 0;
}

ProcessRunner::ProcessRunner(MessageSeam &messages, QObject *parent)
    : QObject(parent), m_messages(messages)
{
}

ProcessRunner::~ProcessRunner()
{
    if (!m_job)
        return;
    killAndCollect();
    m_job.reset();
}

void ProcessRunner::setCommandLine(const Command &commandLine) { m_commandLine = commandLine; }

Command ProcessRunner::commandLine() const { return m_commandLine; }

QString ProcessRunner::output() const { return m_outputs.text(); }

void ProcessRunner::showFailure(const QString &text)
{
    m_messages.show(text, QStringLiteral("Brindlewave"), MessageButtons::Ok,
                    MessageIcon::Critical);
}

bool ProcessRunner::start(const Command &commandLine)
{
    if (!commandLine.isEmpty())
        m_commandLine = commandLine;
    while (m_job)
        stopNow();
    m_lastStarted = false;
    if (m_commandLine.isEmpty()) {
        showFailure(QStringLiteral("Command Line empty"));
        return false;
    }

    const piped_child::Started child = piped_child::start(m_commandLine);
    if (child.failure == piped_child::StartFailure::Pipe) {
        showFailure(QStringLiteral("CreatePipe failed. Error: ") + QString::number(child.error));
        return false;
    }
    if (child.failure == piped_child::StartFailure::Spawn) {
        showFailure(QStringLiteral("File or command not found"));
        return false;
    }

    m_lastStarted = true;
    m_outputs.clear();
    m_job = std::make_unique<Job>();
    Job &job = *m_job;
    job.serial = ++nextSerial;
    job.pid = child.pid;
    job.readFd = child.readFd;
    job.exitFd = child.exitFd;

    // Every watcher speaks for its own job only.
    const quint64 serial = job.serial;
    const auto forThisJob = [this, serial](void (ProcessRunner::*handler)()) {
        return [this, serial, handler] {
            if (m_job && m_job->serial == serial)
                (this->*handler)();
        };
    };
    job.outputNotifier = new QSocketNotifier(job.readFd, QSocketNotifier::Read);
    connect(job.outputNotifier, &QSocketNotifier::activated, this,
            forThisJob(&ProcessRunner::onOutputReady));
    if (job.exitFd >= 0) {
        job.exitNotifier = new QSocketNotifier(job.exitFd, QSocketNotifier::Read);
        connect(job.exitNotifier, &QSocketNotifier::activated, this,
                forThisJob(&ProcessRunner::onChildMaybeExited));
    } else {
        job.exitPoll = new QTimer;
        job.exitPoll->setInterval(ExitPollMilliseconds);
        connect(job.exitPoll, &QTimer::timeout, this, forThisJob(&ProcessRunner::onChildMaybeExited));
        job.exitPoll->start();
    }
    emit started();
    return true;
}

bool ProcessRunner::deliver(Job &job, const QString &piece, Delivery delivery)
{
    if (piece.isEmpty())
        return true;
    m_outputs.append(piece);
    if (delivery == Delivery::Quiet || job.stopping)
        return true;
    job.listen(false);
    const QPointer<ProcessRunner> self(this);
    const quint64 serial = job.serial;
    emit outputReceived(piece);
    // The handler may have ended the job (stopNow) or destroyed this runner;
    // then nothing of the job may be touched again.
    if (!self || !m_job || m_job->serial != serial)
        return false;
    job.listen(true);
    return true;
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
        const QString rest = QString::fromUtf8(std::exchange(job.carry, {}));
        return deliver(job, rest, delivery) ? ReadResult::Closed : ReadResult::Abandoned;
    }
    QByteArray bytes = job.carry;
    bytes.append(buffer, n);
    const qsizetype held = incompleteUtf8Tail(bytes);
    job.carry = bytes.right(held);
    bytes.chop(held);
    return deliver(job, QString::fromUtf8(bytes), delivery) ? ReadResult::Piece : ReadResult::Abandoned;
}

void ProcessRunner::onOutputReady()
{
    Job &job = *m_job;
    if (readPiece(job, Delivery::Raise) != ReadResult::Closed)
        return;
    job.pipeClosed = true;
    job.listen(true);
    if (job.childGone)
        finish(true);
}

void ProcessRunner::onChildMaybeExited()
{
    Job &job = *m_job;
    if (job.childGone || !piped_child::reapIfExited(job.pid, job.status))
        return;
    job.childGone = true;
    job.listen(true);
    if (drainAvailable(job, Delivery::Raise))
        finish(true);
}

void ProcessRunner::onGraceOver()
{
    if (!m_job->childGone)
        ::kill(m_job->pid, SIGKILL);
}

bool ProcessRunner::drainAvailable(Job &job, Delivery delivery)
{
    // Once the child has gone, everything it wrote is in the pipe already. A
    // grandchild that inherited the pipe may write on, so the drain reads what
    // is waiting now and does not wait for the end of the stream.
    long budget = bytesWaiting(job.readFd);
    while (!job.pipeClosed && budget > 0) {
        const qsizetype before = job.carry.size();
        const ReadResult result = readPiece(job, delivery);
        if (result == ReadResult::Abandoned)
            return false;
        if (result == ReadResult::Nothing)
            break;
        if (result == ReadResult::Closed)
            job.pipeClosed = true;
        budget -= PieceBytes - before;
    }
    return true;
}

void ProcessRunner::finish(bool raise)
{
    Job &job = *m_job;
    if (!job.carry.isEmpty()) {
        const QString rest = QString::fromUtf8(std::exchange(job.carry, {}));
        if (!deliver(job, rest, raise ? Delivery::Raise : Delivery::Quiet))
            return;
    }
    m_exitCode = job.status.exitCode;
    m_exitedNormally = job.status.exitedNormally;
    m_job.reset();
    if (raise)
        emit finished();
}

void ProcessRunner::stop()
{
    if (!m_job || m_job->stopping)
        return;
    Job &job = *m_job;
    job.stopping = true;
    if (job.childGone)
        return;
    ::kill(job.pid, SIGTERM);
    job.grace = new QTimer;
    job.grace->setSingleShot(true);
    const quint64 serial = job.serial;
    connect(job.grace, &QTimer::timeout, this, [this, serial] {
        if (m_job && m_job->serial == serial)
            onGraceOver();
    });
    job.grace->start(StopGraceMilliseconds);
}

void ProcessRunner::killAndCollect()
{
    Job &job = *m_job;
    job.stopping = true;
    job.listen(false);
    if (!job.childGone) {
        ::kill(job.pid, SIGKILL);
        job.status = piped_child::reap(job.pid);
        job.childGone = true;
    }
    drainAvailable(job, Delivery::Quiet);
}

void ProcessRunner::stopNow()
{
    if (!m_job)
        return;
    killAndCollect();
    finish(true);
}
