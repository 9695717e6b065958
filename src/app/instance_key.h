#pragma once

#include <string>
#include <string_view>

namespace cadenzo {

// The name under which a running Cadenzo is found by a later start: one per user and display.
// A second X display, a remote X session or a nested desktop each run their own Cadenzo.

// The X display that DISPLAY names, as "N" for the local display N and "host-N" for display N of
// another host: ":0", ":0.0" and "unix:0" name the same display (the screen is left out, every
// screen of a display shares one window manager). A name that does not read as an X display is
// returned as it stands, so that it still names its own display. Any thread.
std::string xDisplayId(std::string_view display);

// "Cadenzo-<user>-<platform>[-<displayId>]", safe as a file and socket name: characters other
// than letters, digits, '.', '_' and '-' become '_', and a key that had such characters or is
// long is cut and ends in a hash of its whole text, so that two displays never share a key and
// the socket's path stays within the system's limit. Any thread.
std::string instanceKey(std::string_view user, std::string_view platform,
                        std::string_view displayId);

} // namespace cadenzo
