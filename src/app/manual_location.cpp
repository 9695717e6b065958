#include "app/manual_location.h"

#include <system_error>

namespace cadenzo {

std::filesystem::path findManual(const std::filesystem::path& workingDir,
                                 const std::filesystem::path& programDir) {
    const std::filesystem::path candidates[] = {
        workingDir / "manual" / "Cadenzo.html",
        programDir / CADENZO_MANUAL_FROM_PROGRAM / "Cadenzo.html",
    };
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.lexically_normal();
    }
    return {};
}

} // namespace cadenzo
