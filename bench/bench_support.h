#pragma once

// Shared pieces of the benchmarks: the session, a generated file tree, a stopwatch, peak memory
// and the closing line of key=value pairs.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {

// Every benchmark begins with a Session, before the application exists:
// - `--help` (or `-h`) prints the usage and ends the program before anything is made;
// - every temporary file of the run (generated trees, settings, program folders, outputs)
//   lands in one scratch folder, which goes when the run ends, however it ends: a guardian
//   process waits for the benchmark to die (an interrupt, a termination, even a kill) and
//   removes what it left;
// - the window runs offscreen unless QT_QPA_PLATFORM says otherwise.
class Session
{
public:
    Session(int argc, char** argv, const char* usage);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const std::string& scratch() const { return scratch_; }

private:
    std::string scratch_;
    int guardianPipe_ = -1;
    pid_t guardian_ = -1;
};

inline Session::Session(int argc, char** argv, const char* usage)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            std::exit(0);
        }
    }

    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" +
                          std::filesystem::path(argv[0]).filename().string() + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror(pattern.c_str());
        std::exit(2);
    }
    scratch_ = pattern;

    // Forked while the benchmark still has one thread, so the child may do anything.
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    guardian_ = ::fork();
    if (guardian_ == 0) {
        // The signals meant for the benchmark (a Ctrl-C reaches the whole group) leave the
        // guardian to its one job.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            std::signal(signal, SIG_IGN);
        ::close(fds[1]);
        // Holding no pipe of the caller open, a `$(benchmark)` ends with the benchmark.
        const int null = ::open("/dev/null", O_RDWR);
        for (const int fd : {0, 1, 2})
            ::dup2(null, fd);
        for (char byte;;) {
            const ssize_t got = ::read(fds[0], &byte, 1);
            if (got == 0 || (got < 0 && errno != EINTR)) break;
        }
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
        ::_exit(0);
    }
    ::close(fds[0]);
    if (guardian_ < 0) std::perror("fork"); // the run goes on; only an interrupt would leave files
    guardianPipe_ = fds[1];
    ::fcntl(guardianPipe_, F_SETFD, FD_CLOEXEC); // the anchors' commands keep no end of it

    ::setenv("TMPDIR", scratch_.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratch_ + "/config").c_str(), 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline Session::~Session()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
    if (guardianPipe_ >= 0) ::close(guardianPipe_);
    if (guardian_ > 0) ::waitpid(guardian_, nullptr, 0);
}

// Ends the output with one line of key=value pairs, the line scripts read.
class KeyValues
{
public:
    KeyValues& add(const std::string& key, double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.6g", value);
        return add(key, std::string(text));
    }
    KeyValues& add(const std::string& key, long long value)
    {
        return add(key, std::to_string(value));
    }
    KeyValues& add(const std::string& key, int value) { return add(key, (long long)value); }
    KeyValues& add(const std::string& key, bool value) { return add(key, value ? 1LL : 0LL); }
    KeyValues& add(const std::string& key, const char* value)
    {
        return add(key, std::string(value));
    }
    KeyValues& add(const std::string& key, const std::string& value)
    {
        line_ += (line_.empty() ? "" : " ") + key + "=" + value;
        return *this;
    }
    void print() const { std::printf("%s\n", line_.c_str()); }

private:
    std::string line_;
};

// The file count from the first argument, or the default.
inline int fileCount(int argc, char** argv, int fallback = 200000)
{
    return argc > 1 ? std::atoi(argv[1]) : fallback;
}

// Creates `files` small files under root, `perFolder` to a folder (a hundred folders to a
// parent), three levels deep, and returns their paths in creation order.
inline std::vector<std::string> makeTree(const QString& root, int files, int perFolder = 100)
{
    std::vector<std::string> paths;
    paths.reserve(std::size_t(files));
    for (int i = 0; i < files; ++i) {
        const int index = i / perFolder;
        const QString folder =
            QStringLiteral("%1/d%2/e%3").arg(root).arg(index / 100).arg(index % 100);
        if (i % perFolder == 0) QDir().mkpath(folder);
        const std::string path =
            QFile::encodeName(QStringLiteral("%1/file%2.dat").arg(folder).arg(i)).toStdString();
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0) std::perror(path.c_str());
        if (fd >= 0) {
            const std::string content(std::size_t(i % 1000), 'x');
            if (::write(fd, content.data(), content.size()) < 0) std::perror("write");
            ::close(fd);
        }
        paths.push_back(path);
    }
    // On the disk before anything is timed: writeback would otherwise share the cores with
    // the runs that follow, the more so the more of them a run keeps busy.
    ::sync();
    return paths;
}

// The process's peak resident memory so far, in MiB.
// A line of /proc/self/status in MiB, such as "VmHWM:" (the peak) or "VmRSS:" (now).
inline double statusMiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray name(field);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

inline double peakMemoryMiB()
{
    return statusMiB("VmHWM:");
}

inline double residentMiB()
{
    return statusMiB("VmRSS:");
}

// Starts peak-memory accounting afresh (Linux: writing 5 to clear_refs resets VmHWM).
inline void resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

inline double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// Stats every path on `threads` threads, each taking the next batch of 64 rows as it frees up:
// the anchor the size check is measured against. Each path's data() ends in a NUL.
template <typename Paths> double timeStatLoop(const Paths& paths, unsigned threads)
{
    std::atomic<std::size_t> next{0};
    std::atomic<long long> total{0};
    const auto work = [&] {
        long long sum = 0;
        for (;;) {
            const std::size_t begin = next.fetch_add(64);
            if (begin >= paths.size()) break;
            const std::size_t end = std::min(begin + 64, paths.size());
            for (std::size_t row = begin; row < end; ++row) {
                struct stat info = {};
                if (::stat(paths[row].data(), &info) == 0) sum += info.st_size;
            }
        }
        total += sum;
    };
    QElapsedTimer timer;
    timer.start();
    if (threads == 1) {
        work();
    } else {
        std::vector<std::thread> pool;
        for (unsigned i = 0; i < threads; ++i)
            pool.emplace_back(work);
        for (std::thread& thread : pool)
            thread.join();
    }
    return seconds(timer);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The value after a flag ("--tree DIR"), or nothing.
inline const char* option(int argc, char** argv, const char* flag)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], flag) == 0) return argv[i + 1];
    return nullptr;
}

inline bool flag(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

// The first argument that is a bare number: the file count of a generated tree or list.
inline int countArgument(int argc, char** argv, int fallback = 200000)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            if (std::strcmp(argv[i], "--cold") != 0) ++i; // a flag's value
            continue;
        }
        return std::atoi(argv[i]);
    }
    return fallback;
}

// Cold runs drop the page cache (and the dentry and inode caches) before each timed run,
// which only root may do.
class CacheDropper
{
public:
    explicit CacheDropper(bool wanted) : active_(wanted && ::geteuid() == 0)
    {
        if (wanted && !active_)
            std::printf("cold: cannot drop the page cache without root; these timings are warm\n");
    }
    bool active() const { return active_; }
    void operator()() const
    {
        if (!active_) return;
        ::sync();
        const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY);
        if (fd < 0 || ::write(fd, "3", 1) != 1) std::perror("drop_caches");
        if (fd >= 0) ::close(fd);
    }

private:
    bool active_;
};

// Runs a shell command with its output thrown away and times it.
inline double timeCommand(const std::string& command)
{
    QElapsedTimer timer;
    timer.start();
    if (std::system((command + " > /dev/null 2>&1").c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return seconds(timer);
}

inline bool installed(const char* program)
{
    return std::system((std::string("command -v ") + program + " > /dev/null 2>&1").c_str()) == 0;
}

// A path made safe for the shell.
inline std::string quoted(const std::string& path)
{
    std::string result = "'";
    for (const char c : path) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

} // namespace bench
