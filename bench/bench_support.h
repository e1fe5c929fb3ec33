#pragma once

// Shared pieces of the benchmarks: a generated file tree, a stopwatch, peak memory.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {

// Benchmarks run offscreen, with settings in a folder of their own that lives as long as
// the returned object. Call before creating the application.
class OffscreenSession
{
public:
    OffscreenSession()
    {
        qputenv("XDG_CONFIG_HOME", configHome_.path().toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    }

private:
    QTemporaryDir configHome_;
};

// The file count from the first argument, or the default.
inline int fileCount(int argc, char** argv, int fallback = 200000)
{
    return argc > 1 ? std::atoi(argv[1]) : fallback;
}

// Creates `files` small files under root, 100 to a folder, three levels deep, and returns
// their paths in creation order.
inline std::vector<std::string> makeTree(const QString& root, int files)
{
    std::vector<std::string> paths;
    paths.reserve(std::size_t(files));
    for (int i = 0; i < files; ++i) {
        const QString folder =
            QStringLiteral("%1/d%2/e%3").arg(root).arg(i / 10000).arg(i / 100 % 100);
        if (i % 100 == 0) QDir().mkpath(folder);
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
    return paths;
}

// The process's peak resident memory so far, in MiB.
inline double peakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
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

} // namespace bench
