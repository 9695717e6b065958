#pragma once

#include "sound/message_queue.h"

#include <functional>
#include <string>
#include <vector>

namespace cadenzo {

// A MIDI input port: a controller's keys, pedals and switches coming into Cadenzo. Messages are
// received on the backend's own thread and queued without a lock; the window takes them.
// Thread rules: every member on the window thread, except that `arrived` (given to open) runs on
// the receiving thread after each message is queued: it may only post to the window thread.
class MidiIn {
public:
    virtual ~MidiIn() = default;
    // The ports a controller can be chosen from, listed afresh.
    virtual std::vector<std::string> portNames() = 0;
    // Closes the port open now and opens the one listed as `name`; false when it is not there.
    virtual bool open(const std::string& name, std::function<void()> arrived) = 0;
    virtual void close() = 0;
    // The name of the open port, empty when none.
    virtual std::string openName() const = 0;
    // The oldest message received and not yet taken (packed status | data1 << 8 | data2 << 16,
    // dueNs the steady-clock time it arrived); false when none is waiting.
    virtual bool take(TimedMessage& message) = 0;
};

} // namespace cadenzo
