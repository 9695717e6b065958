#pragma once

namespace cadenzo {

// Marks of the start-up steps, for finding where the time to the first window goes. With
// CADENZO_STARTUP_TRACE set in the environment each mark writes a line "startup STEP NS" to
// standard error, NS being the realtime clock in nanoseconds, the clock a script that starts the
// program can read too (date +%s%N); without it a mark costs one test of a flag.
// Window thread only.
void markStartup(const char* step);

} // namespace cadenzo
