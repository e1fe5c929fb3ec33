#include "engine_test_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace enginetest {

namespace {

int passed = 0;
int failed = 0;

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

int unlock(const char* path, const struct stat*, int type, struct FTW*)
{
    if (type == FTW_D || type == FTW_DNR) ::chmod(path, 0755);
    return 0;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

} // namespace

void check(bool ok, std::string_view what, const char* file, int line)
{
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    std::printf("FAIL %s:%d: %.*s\n", file, line, int(what.size()), what.data());
    std::fflush(stdout);
}

int failures()
{
    return failed;
}

int passes()
{
    return passed;
}

int runAll(std::initializer_list<TestCase> tests)
{
    for (const TestCase& test : tests) {
        const int before = failures();
        test.run();
        std::printf("%s %s\n", failures() == before ? "PASS" : "FAIL", test.name);
    }
    std::printf("%d checks passed, %d failed\n", passes(), failures());
    return failures() == 0 ? 0 : 1;
}

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/engine-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir()
{
    // Locked folders first get their permissions back, or they could not be emptied.
    ::nftw(path_.c_str(), unlock, 16, FTW_PHYS);
    ::nftw(path_.c_str(), removeEntry, 16, FTW_PHYS | FTW_DEPTH);
}

std::string TempDir::operator/(std::string_view name) const
{
    return path_ + '/' + std::string(name);
}

void makeFolder(const std::string& path, unsigned mode)
{
    if (::mkdir(path.c_str(), 0755) != 0) fail("mkdir " + path);
    if (::chmod(path.c_str(), mode) != 0) fail("chmod " + path);
}

void makeFile(const std::string& path, std::size_t bytes, unsigned mode)
{
    {
        std::ofstream out(path, std::ios::binary);
        if (!out) fail("create " + path);
        out << std::string(bytes, 'x');
    }
    if (::chmod(path.c_str(), mode) != 0) fail("chmod " + path);
}

void makeLink(const std::string& target, const std::string& path)
{
    if (::symlink(target.c_str(), path.c_str()) != 0) fail("symlink " + path);
}

void makeFifo(const std::string& path)
{
    if (::mkfifo(path.c_str(), 0644) != 0) fail("mkfifo " + path);
}

bool permissionsApply()
{
    return ::geteuid() != 0;
}

int threadCount()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    return -1;
}

std::string numbered(std::string_view prefix, std::size_t n)
{
    return std::string(prefix).append(std::to_string(n));
}

std::string printable(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f || byte == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace enginetest
