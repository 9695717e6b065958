#include "app/startup_trace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace cadenzo {

void markStartup(const char* step) {
    static const bool tracing = std::getenv("CADENZO_STARTUP_TRACE") != nullptr;
    if (!tracing)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "startup %s %lld%09ld\n", step, static_cast<long long>(now.tv_sec),
                 now.tv_nsec);
}

} // namespace cadenzo
