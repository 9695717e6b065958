#pragma once

#include <string>
#include <vector>

// Opaque FluidSynth settings, so users of this header need no FluidSynth include.
struct _fluid_hashtable_t;

namespace cadenzo {

// The audio outputs the built-in synthesizer tries, in order: a running JACK server first (the
// desktop's sound then goes through it; "jack" is tried only when runningJackSampleRate finds
// one), then PipeWire, PulseAudio and ALSA.
inline const std::vector<std::string> DEFAULT_AUDIO_DRIVERS{"jack", "pipewire", "pulseaudio",
                                                            "alsa"};

// FluidSynth's JACK driver as the synthesizer uses it: one stereo pair of ports under the
// client name "Cadenzo Synthesizer" on the default server (JACK_DEFAULT_SERVER), connected to
// the server's first two physical outputs, so that a stroke is heard without a patch bay.
void setJackDriverOptions(_fluid_hashtable_t* settings);

} // namespace cadenzo
