#include "engine_test_support.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>
#include <vector>

const std::vector<enginetest::TestCase>& directoryWalkerTests();
const std::vector<enginetest::TestCase>& sizePrefetcherTests();

namespace {

// Runs one test on its own: a fixture that cannot be built, or any other escape, fails this
// test and no other.
bool runOne(const enginetest::TestCase& test)
{
    const int failedBefore = enginetest::failures();
    const int passedBefore = enginetest::passes();
    try {
        test.run();
    } catch (const std::exception& error) {
        CHECK_MSG(false, std::string(test.name) + ": fixture: " + error.what());
    }
    const bool ok = enginetest::failures() == failedBefore;
    std::printf("%s %s (%d checks)\n", ok ? "PASS" : "FAIL", test.name,
                enginetest::passes() - passedBefore + enginetest::failures() - failedBefore);
    return ok;
}

} // namespace

// test_engine [NAME...]: the named tests, or every test; CTest runs each in a process of its
// own. The last line counts tests, not checks: how many checks a test makes depends on timing.
int main(int argc, char** argv)
{
    std::vector<enginetest::TestCase> all = directoryWalkerTests();
    const auto& more = sizePrefetcherTests();
    all.insert(all.end(), more.begin(), more.end());

    std::vector<enginetest::TestCase> chosen;
    for (int i = 1; i < argc; ++i) {
        bool found = false;
        for (const auto& test : all)
            if (std::strcmp(test.name, argv[i]) == 0) {
                chosen.push_back(test);
                found = true;
            }
        if (!found) {
            std::fprintf(stderr, "no test named %s\n", argv[i]);
            return 2;
        }
    }
    if (chosen.empty()) chosen = all;

    // A sanitizer starts threads of its own once the first thread of the program exists; they
    // are there before any test counts threads.
    std::thread([] {}).join();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    int passed = 0;
    int failed = 0;
    for (const auto& test : chosen)
        ++(runOne(test) ? passed : failed);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
