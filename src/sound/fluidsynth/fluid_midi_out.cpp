#include "sound/fluidsynth/fluid_midi_out.h"

#include <fluidsynth.h>

#include <filesystem>
#include <mutex>

namespace cadenzo {

FluidMidiOut::FluidMidiOut() : FluidMidiOut(Options{}) {}

FluidMidiOut::FluidMidiOut(Options options) : options_(std::move(options)) {
    quietFluidLogs();
}

FluidMidiOut::~FluidMidiOut() {
    close();
}

std::string FluidMidiOut::lastError() {
    return fluidLastError();
}

MidiStatus FluidMidiOut::deviceName(unsigned device, std::string& name) const {
    if (device != 0)
        return MidiStatus::NoDevice;
    name = NAME;
    return MidiStatus::Ok;
}

MidiStatus FluidMidiOut::open(unsigned device) {
    if (device != 0)
        return MidiStatus::NoDevice;
    if (synth_ != nullptr)
        return MidiStatus::Allocated;

    std::string font;
    for (const std::string& candidate : options_.soundFonts) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) {
            font = candidate;
            break;
        }
    }
    if (font.empty())
        return MidiStatus::NoSoundFont;

    settings_ = new_fluid_settings();
    if (settings_ == nullptr)
        return MidiStatus::Error;
    fluid_settings_setint(settings_, "audio.period-size", options_.periodSize);
    fluid_settings_setint(settings_, "audio.periods", options_.periods);
    fluid_settings_setnum(settings_, "synth.sample-rate", options_.sampleRate);
    // Samples are read when a program first needs them, not all 140 MB at start.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    // The guitar never needs more; fewer voices keep each period's work small.
    fluid_settings_setint(settings_, "synth.polyphony", 128);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 1);
    fluid_settings_setint(settings_, "synth.reverb.active", options_.effects ? 1 : 0);
    fluid_settings_setint(settings_, "synth.chorus.active", options_.effects ? 1 : 0);
    if (!options_.wavFile.empty())
        fluid_settings_setstr(settings_, "audio.file.name", options_.wavFile.c_str());

    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) {
        close();
        return MidiStatus::Error;
    }
    if (fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED) {
        close();
        return MidiStatus::NoSoundFont;
    }

    if (!options_.drivers.empty()) {
        for (const std::string& driver : options_.drivers) {
            if (fluid_settings_setstr(settings_, "audio.driver", driver.c_str()) != FLUID_OK)
                continue; // not built into this FluidSynth
            audio_ = new_fluid_audio_driver(settings_, synth_);
            if (audio_ != nullptr) {
                driver_ = driver;
                break;
            }
        }
        if (audio_ == nullptr) {
            close();
            return MidiStatus::NoAudio;
        }
    }
    soundFont_ = font;
    return MidiStatus::Ok;
}

void FluidMidiOut::shortMsg(std::uint32_t message) {
    if (synth_ == nullptr)
        return;
    const int status = message & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth_, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth_, channel, data1);
        else
            fluid_synth_noteon(synth_, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth_, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth_, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
        break;
    default:
        break; // the guitar sends nothing else
    }
}

void FluidMidiOut::reset() {
    if (synth_ != nullptr)
        fluid_synth_all_sounds_off(synth_, -1);
}

void FluidMidiOut::close() {
    if (audio_ != nullptr)
        delete_fluid_audio_driver(audio_);
    if (synth_ != nullptr)
        delete_fluid_synth(synth_);
    if (settings_ != nullptr)
        delete_fluid_settings(settings_);
    audio_ = nullptr;
    synth_ = nullptr;
    settings_ = nullptr;
    soundFont_.clear();
    driver_.clear();
}

double FluidMidiOut::latencyMs() const {
    if (settings_ == nullptr)
        return 0;
    int size = 0;
    int count = 0;
    double rate = 0;
    fluid_settings_getint(settings_, "audio.period-size", &size);
    fluid_settings_getint(settings_, "audio.periods", &count);
    fluid_settings_getnum(settings_, "synth.sample-rate", &rate);
    return rate > 0 ? 1000.0 * size * count / rate : 0;
}

int FluidMidiOut::activeVoices() const {
    return synth_ != nullptr ? fluid_synth_get_active_voice_count(synth_) : 0;
}

bool FluidMidiOut::render(float* interleaved, int frames) {
    if (synth_ == nullptr || audio_ != nullptr)
        return false;
    return fluid_synth_write_float(synth_, frames, interleaved, 0, 2, interleaved, 1, 2) ==
           FLUID_OK;
}

} // namespace cadenzo
