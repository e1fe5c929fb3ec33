#include "engine/thread_sleeps.h"

#include <sys/resource.h>

namespace engine {

long sleepsSoFar()
{
#ifdef RUSAGE_THREAD
    struct rusage usage = {};
    if (::getrusage(RUSAGE_THREAD, &usage) == 0) return usage.ru_nvcsw;
#endif
    return 0;
}

} // namespace engine
