#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A tiny harness: no framework, so nothing but the engine runs threads under ThreadSanitizer.
namespace enginetest {

// One test: it passes when none of its checks fails and it throws nothing.
struct TestCase
{
    const char* name;
    void (*run)();
};

void check(bool ok, std::string_view what, const char* file, int line);
int failures();
int passes();
// Runs each test in turn, says how each went, and answers the process's exit status.
int runAll(std::initializer_list<TestCase> tests);

#define CHECK(condition) ::enginetest::check((condition), #condition, __FILE__, __LINE__)
#define CHECK_MSG(condition, message)                                                              \
    ::enginetest::check((condition), (message), __FILE__, __LINE__)

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const;

private:
    std::string path_;
};

void makeFolder(const std::string& path, unsigned mode = 0755);
void makeFile(const std::string& path, std::size_t bytes, unsigned mode = 0644);
void makeLink(const std::string& target, const std::string& path);
void makeFifo(const std::string& path);

// Permissions do not stop root, so tests of unreadable folders skip themselves there.
bool permissionsApply();
// Threads of this process right now.
int threadCount();
// prefix followed by n in decimal. Out of line: g++ 12 warns falsely (-Wrestrict) when a short
// literal plus std::to_string is inlined into a loop.
std::string numbered(std::string_view prefix, std::size_t n);
// Raw name bytes made printable, for failure messages.
std::string printable(std::string_view bytes);

} // namespace enginetest
