#pragma once

#include "sound/message_queue.h"

#include <string>
#include <vector>

namespace cadenzo {

// A MIDI input port: a controller's keys, pedals and switches coming into Cadenzo. Messages are
// received on the backend's own thread (JACK's process thread, or the sequencer's reader), which
// only queues them without a lock and makes readyFd() readable; it never calls into the window.
// Thread rules: every member on the window thread.
class MidiIn {
public:
    virtual ~MidiIn() = default;
    // The ports a controller can be chosen from ("ALSA: ..." or "JACK: ..."), listed afresh.
    virtual std::vector<std::string> portNames() = 0;
    // Closes the port open now and opens the one listed as `name`; false when it is not there.
    virtual bool open(const std::string& name) = 0;
    virtual void close() = 0;
    // The name of the open port, empty when none.
    virtual std::string openName() const = 0;
    // A descriptor that is readable while messages wait; the same for the object's whole life.
    virtual int readyFd() const = 0;
    // The oldest message received and not yet taken (packed status | data1 << 8 | data2 << 16,
    // dueNs the steady-clock time it arrived); false when none is waiting.
    virtual bool take(TimedMessage& message) = 0;
};

} // namespace cadenzo
