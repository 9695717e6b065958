#pragma once

namespace cadenzo {

// The sample rate of the JACK server that answers now, 0 when none does. Both backends ask before
// they use JACK (the built-in synthesizer's audio driver, the ports' listing), since libjack asked
// for a server that is not there would start one. The server is asked without starting it, and
// from the first call on no JACK client of this process starts a server (JACK_NO_START_SERVER):
// FluidSynth and RtMidi open their own clients without that option. libjack's complaints about a
// missing server, which is normal, are kept off the terminal.
// Thread rules: the window thread (the tool's main thread); the first call comes before other
// threads read the environment (the program lists its devices at start-up, the tool before it
// plays).
double runningJackSampleRate();

} // namespace cadenzo
