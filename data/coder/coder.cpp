// The transcoder adapter: runs ffmpeg with the command line the flows build,
// passes its console output through with progress times in plain seconds, and
// exits with ffmpeg's status. No shell is involved at any point, so every
// argument reaches ffmpeg exactly as it was given.
//
// "coder --probe FILE" instead tells what a written file holds and how much of
// it can really be decoded. ffprobe runs once on FILE and decodes it whole:
// its stream codec_name=, codec_type=, sample_rate= and channels= lines, the
// container's duration= line and its complaints pass through unchanged; the
// samples of the decoded frames are counted instead of passed, and their sum
// over the first audio stream's rate is printed as one line
// "decoded_duration=SECONDS" (six decimals; no line when nothing decoded). A
// header may promise a length that the file no longer holds; the decoded
// length is what the file really holds. The adapter exits with ffprobe's
// status. ffprobe is the program named by BRINDLEWAVE_FFPROBE, else the
// ffprobe beside the ffmpeg named by BRINDLEWAVE_FFMPEG, else the one on PATH.
// FILE is opened by path only, so a descriptor the adapter inherited works as
// /proc/self/fd/N.

#include "ArgumentMends.h"
#include "ConsoleRewriter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int ExitToolMissing = 127;
constexpr int ExitCannotStart = 126;
constexpr int ExitUsage = 2;
constexpr int QuietFlushMilliseconds = 200;

// The tool (ffmpeg or ffprobe) that runs, while it runs.
std::atomic<pid_t> childPid{0};
// The last termination signal the adapter received, 0 for none: once a stop
// has been asked for, no further tool is started (a probe that was stopped
// while ffprobe ran does not go on to decode).
std::atomic<int> stopSignal{0};

void writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;  // nobody reads any more (SIGPIPE ignored): the tool still decides the exit
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

bool isExecutableFile(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
        && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> findOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (folder.empty())
            folder = ".";
        const std::string candidate = folder + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

// The ffmpeg to run, or the one line that tells the user why there is none.
std::optional<std::string> locateFfmpeg(std::string &complaint)
{
    const char *chosen = std::getenv("BRINDLEWAVE_FFMPEG");
    if (chosen && *chosen) {
        if (isExecutableFile(chosen))
            return std::string(chosen);
        complaint = std::string("coder: ffmpeg was not found at ") + chosen
                  + " (named by BRINDLEWAVE_FFMPEG); install the ffmpeg package or set "
                    "BRINDLEWAVE_FFMPEG to an ffmpeg program\n";
        return std::nullopt;
    }
    if (auto found = findOnPath("ffmpeg"))
        return found;
    complaint = "coder: ffmpeg was not found; install the ffmpeg package or set "
                "BRINDLEWAVE_FFMPEG\n";
    return std::nullopt;
}

// The ffprobe to run: the one BRINDLEWAVE_FFPROBE names (and no other when it
// is set), else the one beside the ffmpeg BRINDLEWAVE_FFMPEG names, else the
// one on PATH.
std::optional<std::string> locateFfprobe()
{
    const char *chosen = std::getenv("BRINDLEWAVE_FFPROBE");
    if (chosen && *chosen) {
        if (isExecutableFile(chosen))
            return std::string(chosen);
        return std::nullopt;
    }
    const char *ffmpeg = std::getenv("BRINDLEWAVE_FFMPEG");
    if (ffmpeg && *ffmpeg) {
        const std::string path(ffmpeg);
        const std::size_t slash = path.rfind('/');
        const std::string beside =
            (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "ffprobe";
        if (isExecutableFile(beside))
            return beside;
    }
    return findOnPath("ffprobe");
}

extern "C" void forwardSignal(int signalNumber)
{
    stopSignal.store(signalNumber);
    const pid_t pid = childPid.load();
    if (pid > 0)
        ::kill(pid, signalNumber);
}

constexpr int ForwardedSignals[] = {SIGTERM, SIGINT, SIGHUP};

void installForwarding()
{
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : ForwardedSignals)
        ::sigaction(s, &action, nullptr);
}

sigset_t forwardedSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : ForwardedSignals)
        sigaddset(&set, s);
    return set;
}

// The tool's stdout goes to reportFd when there is one (>= 0), else with
// its stderr to outputFd.
[[noreturn]] void becomeTool(const std::string &program, const std::vector<std::string> &arguments,
                             int outputFd, int reportFd, pid_t adapterPid)
{
    // Should the adapter die without a chance to forward anything (SIGKILL),
    // the tool goes with it instead of writing on into an orphaned file.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != adapterPid)
        ::_exit(ExitCannotStart);

    ::dup2(reportFd >= 0 ? reportFd : outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    for (int s : ForwardedSignals)
        ::signal(s, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());

    const std::string complaint =
        "coder: cannot run " + program + ": " + std::strerror(errno) + "\n";
    writeAll(complaint);
    ::_exit(ExitToolMissing);
}

// ffprobe's report with the decoded frames in it: "nb_samples=N" lines are
// summed, every other line is handed on. Lines longer than any report line
// are handed on as they are.
class FrameTally {
public:
    void feed(std::string_view bytes)
    {
        for (const char c : bytes) {
            if (line_.size() < LongestLine)
                line_ += c;
            else
                tooLong_ = true;
            if (c == '\n')
                finishLine();
        }
    }

    // The decoded length in microseconds, once the report has ended; none
    // when no frame was decoded or no audio rate was told.
    std::optional<long long> decodedMicroseconds()
    {
        finishLine();
        if (samples_ == 0 || rate_ <= 0)
            return std::nullopt;
        return static_cast<long long>(samples_ * 1000000 / rate_);
    }

private:
    static constexpr std::size_t LongestLine = 256;
    static constexpr std::string_view SamplesKey = "nb_samples=";
    static constexpr std::string_view RateKey = "sample_rate=";

    static std::optional<long long> valueAfter(const std::string &line, std::string_view key)
    {
        if (line.compare(0, key.size(), key) != 0)
            return std::nullopt;
        const char *digits = line.c_str() + key.size();
        char *end = nullptr;
        errno = 0;
        const long long value = std::strtoll(digits, &end, 10);
        if (errno != 0 || end == digits || (*end != '\n' && *end != '\r' && *end != '\0'))
            return std::nullopt;
        return value;
    }

    void finishLine()
    {
        if (line_.empty())
            return;
        if (const auto samples = tooLong_ ? std::nullopt : valueAfter(line_, SamplesKey)) {
            samples_ += *samples;
        } else {
            if (const auto rate = valueAfter(line_, RateKey); rate && rate_ == 0)
                rate_ = *rate;
            writeAll(line_);
        }
        line_.clear();
        tooLong_ = false;
    }

    std::string line_;
    bool tooLong_ = false;
    long long samples_ = 0;
    long long rate_ = 0;
};

// Microseconds as seconds with six decimals.
std::string asSeconds(long long microseconds)
{
    const bool negative = microseconds < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(microseconds)
                                                  : static_cast<unsigned long long>(microseconds);
    std::string fraction = std::to_string(magnitude % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(magnitude / 1000000) + "." + fraction;
}

// Copies the tool's console stream to stdout as it arrives: rewritten when
// there is a rewriter, byte for byte otherwise. The tool's stdout, when it
// is a stream of its own (reportFd >= 0), goes to the tally instead. Once
// nobody reads stdout any more, both streams are still read to their end so
// that the tool never blocks.
void passThrough(int readFd, coder::ConsoleRewriter *rewriter, int reportFd, FrameTally *tally)
{
    char buffer[16 * 1024];
    // poll passes over a negative descriptor: a stream that ended is one.
    pollfd watch[2] = {{readFd, POLLIN, 0}, {reportFd, POLLIN, 0}};
    while (watch[0].fd >= 0 || watch[1].fd >= 0) {
        const bool pending = rewriter && rewriter->hasPending();
        const int ready = ::poll(watch, 2, pending ? QuietFlushMilliseconds : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            // A prompt or message without a line end must not wait for the next line.
            writeAll(rewriter->flushPending(false));
            continue;
        }
        for (pollfd &stream : watch) {
            if (stream.fd < 0 || stream.revents == 0)
                continue;
            const ssize_t n = ::read(stream.fd, buffer, sizeof buffer);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n <= 0) {
                stream.fd = -1;
                continue;
            }
            const std::string_view piece(buffer, static_cast<std::size_t>(n));
            if (&stream == &watch[1])
                tally->feed(piece);
            else if (rewriter)
                writeAll(rewriter->feed(piece));
            else
                writeAll(piece);
        }
    }
    if (rewriter)
        writeAll(rewriter->flushPending(true));
}

int waitForExitStatus(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return ExitCannotStart;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return ExitCannotStart;
}

// Runs program with arguments, its stdout and stderr merged into one stream
// that passThrough hands on, and returns its exit status (128 + the signal that
// ended it). With a tally, the tool's stdout is a stream of its own that
// the tally reads. Termination signals sent to the adapter reach the tool.
int runTool(const std::string &program, const std::string &name,
            const std::vector<std::string> &arguments, coder::ConsoleRewriter *rewriter,
            FrameTally *tally = nullptr)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        writeAll(std::string("coder: cannot create a pipe: ") + std::strerror(errno) + "\n");
        return ExitCannotStart;
    }
    int reportFds[2] = {-1, -1};
    if (tally && ::pipe2(reportFds, O_CLOEXEC) != 0) {
        writeAll(std::string("coder: cannot create a pipe: ") + std::strerror(errno) + "\n");
        ::close(fds[0]);
        ::close(fds[1]);
        return ExitCannotStart;
    }

    // Signals stay blocked until the child's pid is known, so none is lost
    // between fork and the first moment forwarding can work.
    const sigset_t forwarded = forwardedSet();
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &forwarded, &previous);
    installForwarding();
    // A stop that came before this tool (while an earlier one ran, or between
    // the two) is not followed by starting it.
    if (const int signalNumber = stopSignal.load()) {
        ::sigprocmask(SIG_SETMASK, &previous, nullptr);
        for (const int fd : {fds[0], fds[1], reportFds[0], reportFds[1]}) {
            if (fd >= 0)
                ::close(fd);
        }
        return 128 + signalNumber;
    }

    const pid_t adapterPid = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0)
        becomeTool(program, arguments, fds[1], reportFds[1], adapterPid);
    if (pid < 0) {
        writeAll("coder: cannot start " + name + ": " + std::strerror(errno) + "\n");
        return ExitCannotStart;
    }
    childPid.store(pid);
    ::close(fds[1]);
    if (tally)
        ::close(reportFds[1]);
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);

    passThrough(fds[0], rewriter, reportFds[0], tally);
    ::close(fds[0]);
    if (tally)
        ::close(reportFds[0]);

    const int status = waitForExitStatus(pid);
    childPid.store(0);
    return status;
}

int probe(const std::vector<std::string> &given)
{
    if (given.size() != 1 || given[0].empty()) {
        writeAll("coder: usage: coder --probe FILE\n");
        return ExitUsage;
    }
    const std::optional<std::string> ffprobe = locateFfprobe();
    if (!ffprobe) {
        writeAll("coder: ffprobe was not found; install the ffmpeg package or set "
                 "BRINDLEWAVE_FFPROBE\n");
        return ExitToolMissing;
    }
    // "file:" so that no path is taken for a protocol or an option. The
    // frames come on ffprobe's stdout, its complaints on stderr.
    const std::vector<std::string> arguments = {
        "-v", "error",
        "-show_entries", "stream=codec_type,codec_name,sample_rate,channels",
        "-show_entries", "format=duration",
        "-show_entries", "frame=nb_samples",
        "-of", "default=noprint_wrappers=1",
        "file:" + given[0]};
    FrameTally frames;
    const int probed = runTool(*ffprobe, "ffprobe", arguments, nullptr, &frames);
    if (const std::optional<long long> decoded = frames.decodedMicroseconds())
        writeAll("decoded_duration=" + asSeconds(*decoded) + "\n");
    return probed;
}

}  // namespace

int main(int argc, char **argv)
{
    // If the program that started us dies, take that as a request to stop.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // A reader that goes away must not take the tool's exit status with it:
    // writes then fail (and are dropped) instead of killing the adapter. The
    // tool itself gets the default back before it starts.
    ::signal(SIGPIPE, SIG_IGN);

    if (argc >= 2 && std::strcmp(argv[1], "--probe") == 0)
        return probe(std::vector<std::string>(argv + 2, argv + argc));

    std::string complaint;
    const std::optional<std::string> ffmpeg = locateFfmpeg(complaint);
    if (!ffmpeg) {
        writeAll(complaint);
        return ExitToolMissing;
    }
    const std::vector<std::string> arguments =
        coder::mendArguments(std::vector<std::string>(argv + 1, argv + argc));

    coder::ConsoleRewriter rewriter;
    int status = runTool(*ffmpeg, "ffmpeg", arguments, &rewriter);
    if (rewriter.sawMissingEncoder() && status == 0)
        status = 1;
    return status;
}
