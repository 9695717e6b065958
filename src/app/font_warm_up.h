#pragma once

#include <thread>

namespace cadenzo {

// Reads the font configuration on a thread of its own while the application object connects to
// the display. The first control with a caption would otherwise read it on the window thread
// (10-20 ms of XML and cache files) before the window can appear; a bare window with no text
// never pays it. fontconfig publishes its configuration atomically, so the toolkit's own
// initialisation either finds it ready or loads it alongside, never a half-read one.
// Made and destroyed on the window thread, at the top of main(); the destructor waits for the
// read, so no thread outlives the program's libraries.
class FontConfigWarmUp {
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

private:
    std::thread reader_;
};

} // namespace cadenzo
