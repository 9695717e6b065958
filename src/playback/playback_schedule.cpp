#include "playback/playback_schedule.h"

#include "playback/playback.h"
#include "sound/manual_timer.h"
#include "sound/midi_port.h"
#include "sound/recording_midi_out.h"

#include <cmath>

namespace cadenzo {

std::int64_t PlaybackSchedule::frameOf(const ScheduledMessage& m, double sampleRate) const {
    // Integer callbacks times an integer period in milliseconds: exact in a double far beyond
    // any song, so only the sample rate's fraction is rounded.
    return std::llround(static_cast<double>(m.callback) * periodMs * sampleRate / 1000.0);
}

PlaybackSchedule schedulePlayback(Song& song, const MidiSetup& midi, const Guitar& guitar,
                                  std::string_view tempoText, int maxCallbacks) {
    return schedulePractice(song, midi, guitar, tempoText, Practice{}, 0, maxCallbacks);
}

PlaybackSchedule schedulePractice(Song& song, const MidiSetup& midi, const Guitar& guitar,
                                  std::string_view tempoText, const Practice& practice,
                                  int loopTurns, int maxCallbacks) {
    PlaybackSchedule schedule;
    RecordingMidiOut out(1, 4096);
    MidiSetup setup;
    setup.midiChannel = midi.midiChannel.load();
    setup.midiProgram = midi.midiProgram.load();
    setup.midiVelocity = midi.midiVelocity.load();
    setup.midiDevice = 0; // the recorder's one device
    MidiPort port(out, setup);
    port.midiOpen();
    out.clear(); // the open's reset belongs to the device, not to the song

    ManualTimer timer;
    PlaybackEngine engine(song, port, guitar, timer);
    engine.setPractice(practice);
    auto collect = [&](int callback) {
        for (const RecordingMidiOut::Sent& s : out.sent())
            schedule.messages.push_back({callback, s.message});
        out.clear();
    };
    const auto result = engine.start(tempoText);
    if (result == PlaybackEngine::StartResult::BadTempo) {
        schedule.outcome = PlaybackSchedule::Outcome::BadTempo;
        return schedule;
    }
    if (result == PlaybackEngine::StartResult::NothingToPlay) {
        schedule.outcome = PlaybackSchedule::Outcome::NothingToPlay;
        return schedule;
    }
    collect(0);
    schedule.periodMs = engine.playPeriod();
    if (schedule.periodMs == 0) {
        schedule.outcome = PlaybackSchedule::Outcome::NoPeriod;
        return schedule;
    }
    // The engine rests on the end marker once the last event has been released (and the last
    // click ended); a tick that finds the list shorter than its place stops its own timer.
    Practice noLoop = engine.practice();
    noLoop.loop = false;
    while (!engine.playedOut() && timer.fire()) {
        collect(timer.ticks());
        if (practice.loop && engine.loopTurns() >= static_cast<std::uint32_t>(loopTurns))
            engine.setPractice(noLoop);
        if (timer.ticks() >= maxCallbacks) {
            schedule.outcome = PlaybackSchedule::Outcome::NoEnd;
            break;
        }
    }
    engine.stopPlayTimer();
    return schedule;
}

} // namespace cadenzo
