#pragma once

#include <filesystem>

namespace cadenzo {

// The user's guide that Help opens: "manual/Cadenzo.html" in the working folder (a checkout, or
// a folder where the user keeps a copy), else the copy that `make install` put under the
// installation prefix, found from the folder of the running program so that a prefix that was
// moved or staged still finds its own. Empty when neither exists.
std::filesystem::path findManual(const std::filesystem::path& workingDir,
                                 const std::filesystem::path& programDir);

} // namespace cadenzo
