#include "engine_test_support.h"

#include <cstdio>
#include <exception>

void testDirectoryWalker();
void testSizePrefetcher();

int main()
{
    try {
        testDirectoryWalker();
        testSizePrefetcher();
    } catch (const std::exception& error) {
        // A fixture that cannot be built is a failure, not a pass by omission.
        CHECK_MSG(false, std::string("fixture: ") + error.what());
    }
    std::printf("%d passed, %d failed\n", enginetest::passes(), enginetest::failures());
    return enginetest::failures() == 0 ? 0 : 1;
}
