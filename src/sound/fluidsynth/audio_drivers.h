#pragma once

#include <string>
#include <vector>

// Opaque FluidSynth settings, so users of this header need no FluidSynth include.
struct _fluid_hashtable_t;

namespace cadenzo {

// The audio outputs the built-in synthesizer tries, in order: a running JACK server first (the
// desktop's sound then goes through it), then PipeWire, PulseAudio and ALSA.
inline const std::vector<std::string> DEFAULT_AUDIO_DRIVERS{"jack", "pipewire", "pulseaudio",
                                                            "alsa"};

// The sample rate of the JACK server that answers now, 0 when none does: "jack" is tried only
// then, since libjack asked for a server that is not there would start one. The server is asked
// without starting it, and from the first call on no JACK client of this process starts a
// server (JACK_NO_START_SERVER): FluidSynth opens its own client without that option.
// Thread rules: the thread that opens the synthesizer; the first call comes before other threads
// read the environment (the program's first open runs at start-up, the tool's before it plays).
double runningJackSampleRate();

// FluidSynth's JACK driver as the synthesizer uses it: one stereo pair of ports under the
// client name "Cadenzo Synthesizer" on the default server (JACK_DEFAULT_SERVER), connected to
// the server's first two physical outputs, so that a stroke is heard without a patch bay.
void setJackDriverOptions(_fluid_hashtable_t* settings);

} // namespace cadenzo
